#!/usr/bin/env bash
# Builds the fuzz targets with clang, ASan and UBSan, and runs the named ones
# (all when none is named) for FUZZ_SECONDS each (default 600), seeded with the
# test fixtures and the samples. Findings land in fuzz/findings/<target>/. FUZZ_BUILD names the
# build folder (default build-fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
build=${FUZZ_BUILD:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDROPSHRINK_FUZZ=ON -DDROPSHRINK_WITH_QT=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

targets=("$@")
[ ${#targets[@]} -eq 0 ] && mapfile -t targets < <(cd "$build/fuzz" && ls fuzz_*)
for target in "${targets[@]}"; do
  corpus=fuzz/corpus-${target#fuzz_}
  findings=fuzz/findings/$target
  mkdir -p "$corpus" "$findings"
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$build/fuzz/$target" "$corpus" tests/fixtures samples -max_total_time="${FUZZ_SECONDS:-600}" \
    -rss_limit_mb=4096 -malloc_limit_mb=4096 -timeout=10 -artifact_prefix="$findings/" \
    -print_final_stats=1 2>&1 | tail -n 25
done
