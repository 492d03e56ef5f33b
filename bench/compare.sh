#!/usr/bin/env bash
# dropshrink-cli against the tools a user would pick instead, side by side in one interleaved run:
# the reference route (djpeg | cjpeg, cjpeg alone on BMP, vips to PPM into cjpeg for the other
# formats), ImageMagick, GraphicsMagick, vips and Pillow, all at quality 75 with optimised Huffman
# tables, on one photo-like 12-megapixel picture in six files and on a folder of 40 3-megapixel JPEGs.
# Prints median wall time, its ratio to the reference route, median CPU time, peak memory and
# whether the outputs are comparable. See bench/README.md.
# Usage: bench/compare.sh [runs]   (default 9; RUNS=3 for a quick look)
# Environment: BUILD_DIR (default build), REV (build that commit instead of the working tree).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-${RUNS:-9}}
build=${BUILD_DIR:-build}
export LC_ALL=C.UTF-8 # a decimal point in every number printed or parsed

# The Debian packages' own binaries, so each row measures the tool itself whatever is first on
# PATH; Pillow is the package for Debian's python3.
convert=/usr/bin/convert
python=/usr/bin/python3

bash tools/install-deps.sh
peers=(libjpeg-turbo-progs imagemagick graphicsmagick libvips-tools python3-pil time)
missing=()
for p in "${peers[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# REV builds that commit, exported beside the corpus, rather than the working tree, which others
# may be changing; its build folder must be one configured for it (or new). The export is kept
# while REV names the same commit, so a rebuild is incremental.
work=bench/work/compare
tree=. built_from=$(git describe --always --dirty)
if [ -n "${REV:-}" ]; then
  tree=$work/source built_from=$(git rev-parse --short "$REV")
  commit=$(git rev-parse "$REV^{commit}")
  if [ "$(cat "$tree.commit" 2>/dev/null)" != "$commit" ]; then
    rm -rf "$tree" "$tree.commit"
    mkdir -p "$tree"
    git archive "$commit" | tar -x -C "$tree"
    echo "$commit" >"$tree.commit"
  fi
fi
cmake -S "$tree" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target dropshrink-cli >/dev/null
cli=$(printf %q "$build/cli/dropshrink-cli")

# The corpus, made once: every 12-megapixel file holds the same pixels. A file appears only when
# complete, so an interrupted run makes it again.
in=$work/in
batch=$work/batch
mkdir -p "$in" "$batch"
make_once() { # target format command...: runs the command, its last word the format and a temporary name
  local target=$1 format=$2
  shift 2
  [ -f "$target" ] && return
  "$@" "$format:$target.part"
  mv "$target.part" "$target"
}
echo "corpus in $work (made once)"
make_once "$in/photo.ppm" PPM "$convert" -seed 42 -size 4000x3000 plasma:fractal -blur 0x1.2 -depth 8
make_once "$in/photo.jpg" JPEG "$convert" "$in/photo.ppm" -quality 92
make_once "$in/photo.png" PNG24 "$convert" "$in/photo.ppm"
make_once "$in/photo.bmp" BMP3 "$convert" "$in/photo.ppm" -type TrueColor
make_once "$in/photo.tif" TIFF "$convert" "$in/photo.ppm" -compress None
make_once "$in/photo-lzw.tif" TIFF "$convert" "$in/photo.ppm" -compress LZW
make_once "$in/photo.pcx" PCX "$convert" "$in/photo.ppm" -type TrueColor
for i in $(seq -w 1 40); do
  make_once "$batch/photo-$i.jpg" JPEG "$convert" -seed "$((10#$i))" -size 2000x1500 plasma:fractal \
    -blur 0x1.2 -quality 92
done

# Every command is one sh script over paths without spaces. $T stands before each process: empty
# when timed, GNU time appending that process's peak memory in the memory pass.
pil='import sys; from PIL import Image; i = Image.open(sys.argv[1]); '\
'(i if i.mode == "RGB" else i.convert("RGB")).save(sys.argv[2], quality=75, optimize=True)'
# Both Magicks optimise Huffman tables by default only below a size limit, so it is asked for.
# ImageMagick also keeps a JPEG source's chroma sampling (4:4:4 here) and encodes with the
# floating-point DCT by default; asked for 4:2:0 and the integer DCT, it writes what cjpeg writes.
optimize='-define jpeg:optimize-coding=true'
magick="-quality 75 -sampling-factor 2x2 -define jpeg:dct-method=islow $optimize"
cjpeg='cjpeg -quality 75 -optimize'
out=$work/out
rows=() row_of=() tool_of=() cmd_of=() out_of=() ref_of=()
add() { # row tool output command
  row_of+=("$1") tool_of+=("$2") out_of+=("$3") cmd_of+=("$4")
  [[ " ${rows[*]} " == *" $1 "* ]] || rows+=("$1")
}
single() { # row input reference-command
  local row=$1 src=$2 ref=$3 o=$out/$1
  mkdir -p "$o/ours"
  ref_of+=("${#cmd_of[@]}")
  add "$row" "${4:-reference}" "$o/ref.jpg" "$ref > $o/ref.jpg"
  local base=${src##*/}
  add "$row" dropshrink-cli "$o/ours/${base%.*}_压缩.jpg" "\$T $cli --quiet -o $o/ours $src"
  add "$row" "ImageMagick convert" "$o/im.jpg" "\$T $convert $src $magick $o/im.jpg"
  add "$row" "GraphicsMagick gm" "$o/gm.jpg" "\$T gm convert $src -quality 75 $optimize $o/gm.jpg"
  add "$row" "vips copy" "$o/vips.jpg" "\$T vips copy $src '$o/vips.jpg[Q=75,optimize_coding]'"
  add "$row" Pillow "$o/pil.jpg" "\$T $python -c '$pil' $src $o/pil.jpg"
}
single JPEG "$in/photo.jpg" "\$T djpeg $in/photo.jpg | \$T $cjpeg" "djpeg | cjpeg"
single PNG "$in/photo.png" "\$T vips copy $in/photo.png .ppm | \$T $cjpeg" "vips .ppm | cjpeg"
single BMP "$in/photo.bmp" "\$T $cjpeg $in/photo.bmp" cjpeg
single TIFF "$in/photo.tif" "\$T vips copy $in/photo.tif .ppm | \$T $cjpeg" "vips .ppm | cjpeg"
single TIFF-LZW "$in/photo-lzw.tif" "\$T vips copy $in/photo-lzw.tif .ppm | \$T $cjpeg" "vips .ppm | cjpeg"
single PCX "$in/photo.pcx" "\$T vips copy $in/photo.pcx .ppm | \$T $cjpeg" "vips .ppm | cjpeg"

# The folder: each tool with its own parallelism on two processors; its outputs are a folder.
o=$out/batch
mkdir -p "$o"/{serial,xargs,ours,vips,im}
each="printf '%s\\0' $batch/*.jpg | xargs -0 -n1 -P2 sh -c" # one file a process, two at once
ref_of+=("${#cmd_of[@]}")
add batch "djpeg | cjpeg, serial loop" "$o/serial" \
  "for f in $batch/*.jpg; do \$T djpeg \"\$f\" | \$T $cjpeg > $o/serial/\${f##*/}; done"
add batch "dropshrink-cli -j 2" "$o/ours" "\$T $cli --quiet -j 2 -o $o/ours $batch"
add batch "djpeg | cjpeg, xargs -P2" "$o/xargs" \
  "$each '\$T djpeg \"\$1\" | \$T $cjpeg > $o/xargs/\${1##*/}' _"
add batch "vips copy, xargs -P2" "$o/vips" \
  "$each '\$T vips copy \"\$1\" \"$o/vips/\${1##*/}[Q=75,optimize_coding]\"' _"
add batch "convert, xargs -P2" "$o/im" \
  "$each '\$T $convert \"\$1\" $magick $o/im/\${1##*/}' _"

# Whether an output matches the reference's: byte for byte, else the same quantisation tables and
# sampling for each component, the same frame type and a size within 1 %. Folders are matched file
# by file (dropshrink-cli adds _压缩 to each name) and their sizes summed.
comparable() { # reference output
  "$python" - "$1" "$2" <<'PY'
import os, sys

def frame(data):
    """(frame marker, [(sampling, quantisation table) per component]) or None."""
    if data[:2] != b"\xff\xd8":
        return None
    tables, i = {}, 2
    while i + 4 <= len(data) and data[i] == 0xFF:
        marker, length = data[i + 1], int.from_bytes(data[i + 2:i + 4], "big")
        body = data[i + 4:i + 2 + length]
        if marker == 0xDB:
            j = 0
            while j < len(body):
                size = 128 if body[j] >> 4 else 64
                tables[body[j] & 15] = body[j + 1:j + 1 + size]
                j += 1 + size
        elif 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            parts = [body[6 + 3 * c:9 + 3 * c] for c in range(body[5])]
            return marker, [(p[1], tables.get(p[2])) for p in parts]
        i += 2 + length
    return None

def pairs(ref, out):
    if not os.path.isdir(ref):
        return [(ref, out)]
    found = {n.replace("_压缩", ""): n for n in os.listdir(out)}
    return [(os.path.join(ref, n), os.path.join(out, found.get(n, n))) for n in sorted(os.listdir(ref))]

ref_bytes = out_bytes = same = 0
faults = set()
todo = pairs(sys.argv[1], sys.argv[2])
for r, o in todo:
    if not os.path.isfile(o):
        faults.add("missing outputs")
        continue
    a, b = open(r, "rb").read(), open(o, "rb").read()
    ref_bytes, out_bytes = ref_bytes + len(a), out_bytes + len(b)
    if a == b:
        same += 1
        continue
    fa, fb = frame(a), frame(b)
    if fb is None:
        faults.add("not a JPEG")
    elif fa[0] != fb[0]:
        faults.add("frame type differs")
    elif [t for _, t in fa[1]] != [t for _, t in fb[1]]:
        faults.add("tables differ")
    elif fa[1] != fb[1]:
        faults.add("sampling differs")
if same == len(todo):
    print("identical" if len(todo) == 1 else f"identical ({same} of {len(todo)})")
    sys.exit()
change = 100 * (out_bytes - ref_bytes) / ref_bytes if ref_bytes else 0
if abs(change) > 1:
    faults.add(f"size {change:+.1f} %")
print(("NO: " + ", ".join(sorted(faults))) if faults else f"yes, size {change:+.1f} %")
PY
}

rss=$work/rss
log=$work/errors.log
: >"$log"
complete() { # output: a file with bytes, or a folder with one file per source
  if [ -d "$1" ]; then
    [ "$(find "$1" -type f -size +0 | wc -l)" -eq "$(find "$batch" -type f | wc -l)" ]
  else
    [ -s "$1" ]
  fi
}
failed=() peak=() verdict=() wall=() cpu=()
echo "memory pass: each command once, its outputs checked"
for k in "${!cmd_of[@]}"; do
  rm -f "$rss"
  rm -rf "${out_of[k]}"
  [[ ${row_of[k]} == batch ]] && mkdir -p "${out_of[k]}"
  failed[k]=0
  if ! T="/usr/bin/time -f %M -a -o $rss" sh -c "${cmd_of[k]}" >/dev/null 2>>"$log" ||
    grep -q exited "$rss" || ! complete "${out_of[k]}"; then
    failed[k]=1
    echo "FAILED: ${row_of[k]}, ${tool_of[k]}: ${cmd_of[k]}" | tee -a "$log"
    continue
  fi
  # The processes of one pipeline run together; those of a folder's loop one after another (two
  # at a time under xargs, counted here as one).
  if [[ ${row_of[k]} == batch ]]; then
    peak[k]=$(sort -n "$rss" | tail -n 1)
  else
    peak[k]=$(awk '{s += $1} END {print s}' "$rss")
  fi
done
for row_ref in "${ref_of[@]}"; do
  for k in "${!cmd_of[@]}"; do
    [[ ${row_of[k]} == "${row_of[row_ref]}" ]] || continue
    if ((k == row_ref)); then
      verdict[k]=reference
    elif ((failed[k] == 0 && failed[row_ref] == 0)); then
      verdict[k]=$(comparable "${out_of[row_ref]}" "${out_of[k]}")
    else
      verdict[k]=-
    fi
  done
done

# Rounds: every command of every row once a round, each row's commands starting one further
# along each round, so a burst of load on the shared machine falls on all tools alike.
TIMEFORMAT='%3R %3U %3S'
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
start_time=$SECONDS
for ((r = 0; r < runs; r++)); do
  printf 'round %d of %d (%d s so far)\n' "$((r + 1))" "$runs" "$((SECONDS - start_time))"
  for row in "${rows[@]}"; do
    members=()
    for k in "${!cmd_of[@]}"; do
      [[ ${row_of[k]} == "$row" ]] && members+=("$k")
    done
    n=${#members[@]}
    for ((j = 0; j < n; j++)); do
      k=${members[(j + r) % n]}
      ((failed[k] == 0)) || continue
      if ! t=$( { time T='' sh -c "${cmd_of[k]}" >/dev/null 2>>"$log"; } 2>&1); then
        failed[k]=1
        echo "FAILED in round $((r + 1)): ${row_of[k]}, ${tool_of[k]}" | tee -a "$log"
        continue
      fi
      read -r w u s <<<"$t"
      w=${w/./} u=${u/./} s=${s/./}
      wall[k]+="$((10#$w)) " cpu[k]+="$((10#$u + 10#$s)) "
    done
  done
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

median() { # milliseconds...
  printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'
}

# What the changes under way aim at: dropshrink-cli's wall time over the reference's.
declare -A goal=([JPEG]=0.85 [PNG]=0.95 [BMP]=0.92 [TIFF]=0.85 [TIFF-LZW]=0.85 [PCX]=0.60 [batch]=0.40)

echo
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) processors, dropshrink-cli built from $built_from"
echo "bench/compare.sh $runs; load average before the rounds $load_before, after $load_after"
echo "wall and CPU: medians of $runs runs; ratio: median wall over the reference's"
echo "peak memory: the processes of one command that run together, summed; batch: its largest process"
printf '\n%-9s %-28s %10s %6s %10s %9s  %s\n' input tool wall ratio CPU "peak RSS" comparable
goals=()
for row in "${rows[@]}"; do
  ref=
  for k in "${!cmd_of[@]}"; do
    [[ ${row_of[k]} == "$row" ]] || continue
    [ -n "$ref" ] || ref=$k
    if ((failed[k])); then
      printf '%-9s %-28s %10s %6s %10s %9s  %s\n' "$row" "${tool_of[k]}" failed - - - "${verdict[k]}"
      continue
    fi
    # shellcheck disable=SC2086 # the samples are words
    w=$(median ${wall[k]}) c=$(median ${cpu[k]})
    ratio=-
    # shellcheck disable=SC2086
    [ -n "${wall[ref]:-}" ] && ratio=$(awk -v a="$w" -v b="$(median ${wall[ref]})" 'BEGIN {printf "%.2f", a / b}')
    awk -v row="$row" -v tool="${tool_of[k]}" -v w="$w" -v r="$ratio" -v c="$c" -v m="${peak[k]}" \
      -v v="${verdict[k]}" 'BEGIN {
        printf "%-9s %-28s %8.3f s %6s %8.3f s %5.0f MiB  %s\n", row, tool, w / 1000, r, c / 1000, m / 1024, v }'
    if [[ ${tool_of[k]} == dropshrink-cli* ]]; then
      met=$(awk -v r="$ratio" -v g="${goal[$row]}" 'BEGIN {print (r != "-" && r <= g) ? "met" : "missed"}')
      goals+=("$(printf '%-9s %s, goal <= %s: %s' "$row" "$ratio" "${goal[$row]}" "$met")")
      [[ $row == JPEG ]] && goals+=("$(printf '%-9s output %s; peak RSS %s KiB, goal no higher than 75 MB' \
        "" "${verdict[k]}" "${peak[k]}")")
    fi
  done
done
printf '\ndropshrink-cli against its goals (ratio to the reference route)\n'
printf '%s\n' "${goals[@]}"
if [ -s "$log" ]; then
  echo "messages of the tools: $log"
fi
