#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need,
# and only what is missing; apt-get update runs only when something is.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  libjpeg-dev libpng-dev libtiff-dev zlib1g-dev
  qt6-base-dev libxcb1-dev
  libgtest-dev libgmock-dev
  libjpeg-turbo-progs
  clang libclang-rt-14-dev
  time imagemagick netpbm
  groff-base man-db
  xvfb xdotool
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
