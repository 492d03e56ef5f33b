#!/usr/bin/env bash
# What turning a photo upright costs: dropshrink-cli on one photo-like 12-megapixel JPEG made
# here and on the same file with an EXIF orientation of 6 (turned a quarter clockwise), timed in
# one run with the two interleaved. Prints the median wall time of each, their ratio, and peak
# resident memory. Usage: bench/rotation_cost.sh [runs]   (default 15)
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
# The same file with an APP1 EXIF block right after the start marker: big-endian, one entry,
# orientation 6.
turned=$work/photo-12mp-turned.jpg
{
  head -c 2 "$photo"
  printf '\377\341\000\042Exif\000\000MM\000\052\000\000\000\010\000\001\001\022\000\003'
  printf '\000\000\000\001\000\006\000\000\000\000\000\000'
  tail -c +3 "$photo"
} >"$turned"

now() { date +%s%N; }
plain=() rotated=()
for ((i = 0; i < runs; i++)); do
  # Alternate which goes first so neither always runs on a warmer machine.
  for turn in 0 1; do
    start=$(now)
    if (( (i + turn) % 2 == 0 )); then
      /usr/bin/time -f %M -o "$work/plain.rss" "$cli" -j 1 -o "$work/out" "$photo" >/dev/null
      plain+=($(( $(now) - start )))
    else
      /usr/bin/time -f %M -o "$work/turned.rss" "$cli" -j 1 -o "$work/out" "$turned" >/dev/null
      rotated+=($(( $(now) - start )))
    fi
  done
done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
m_plain=$(median "${plain[@]}")
m_turned=$(median "${rotated[@]}")
awk -v p="$m_plain" -v t="$m_turned" -v n="$runs" 'BEGIN {
  printf "runs each:                  %d\n", n
  printf "upright median:             %.1f ms\n", p / 1e6
  printf "orientation 6 median:       %.1f ms\n", t / 1e6
  printf "ratio (turned / upright):   %.3f\n", t / p }'
echo "peak RSS upright, turned:   $(cat "$work/plain.rss") KB, $(cat "$work/turned.rss") KB"
