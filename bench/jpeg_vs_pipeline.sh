#!/usr/bin/env bash
# dropshrink-cli against `djpeg | cjpeg -quality 75 -optimize` on one photo-like
# 12-megapixel JPEG made here, timed in one run with the two interleaved.
# Prints the median wall time of each, their ratio, and peak resident memory.
# Usage: bench/jpeg_vs_pipeline.sh [runs]   (default 15)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}

bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target dropshrink-cli >/dev/null
cli=$PWD/build/cli/dropshrink-cli

work=bench/work
mkdir -p "$work/out"
photo=$work/photo-12mp.jpg
if [ ! -f "$photo" ]; then
  convert -seed 42 -size 4000x3000 plasma:fractal -blur 0x1.2 -quality 92 "$photo"
fi

now() { date +%s%N; }
ours=() theirs=()
for ((i = 0; i < runs; i++)); do
  # Alternate which goes first so neither always runs on a warmer machine.
  for turn in 0 1; do
    if (( (i + turn) % 2 == 0 )); then
      start=$(now)
      /usr/bin/time -f %M -o "$work/ours.rss" "$cli" -o "$work/out" "$photo" >/dev/null
      ours+=($(( $(now) - start )))
    else
      start=$(now)
      /usr/bin/time -f %M -o "$work/djpeg.rss" djpeg "$photo" |
        /usr/bin/time -f %M -o "$work/cjpeg.rss" cjpeg -quality 75 -optimize >"$work/out/pipeline.jpg"
      theirs+=($(( $(now) - start )))
    fi
  done
done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
m_ours=$(median "${ours[@]}")
m_theirs=$(median "${theirs[@]}")
awk -v o="$m_ours" -v t="$m_theirs" -v n="$runs" 'BEGIN {
  printf "runs each:                      %d\n", n
  printf "dropshrink-cli median:          %.1f ms\n", o / 1e6
  printf "djpeg | cjpeg median:           %.1f ms\n", t / 1e6
  printf "ratio (dropshrink / pipeline):  %.3f\n", o / t }'
echo "peak RSS dropshrink-cli:        $(cat "$work/ours.rss") KB"
echo "peak RSS djpeg, cjpeg:          $(cat "$work/djpeg.rss") KB, $(cat "$work/cjpeg.rss") KB (running together)"
if cmp -s "$work/out/photo-12mp_压缩.jpg" "$work/out/pipeline.jpg"; then
  echo "outputs: identical"
else
  echo "outputs: DIFFER"
fi
