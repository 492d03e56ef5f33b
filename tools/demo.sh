#!/usr/bin/env bash
# Installs what is missing, builds everything (Release) and opens the window when there is a
# display. Without one it says so and converts every bundled sample picture into out/ with
# dropshrink-cli, one line per file.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target dropshrink dropshrink-cli

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "opening the window: drop pictures or a folder on it; X closes it"
  exec build/app/dropshrink
fi
echo "no display (neither DISPLAY nor WAYLAND_DISPLAY is set): converting samples/ into out/"
mkdir -p out
build/cli/dropshrink-cli -o out samples/*
