#!/usr/bin/env bash
# The real dropshrink on an X server of its own, driven by xdotool as a user would: the window
# and its pixels, Help and its OK, a drop of a folder and one of two files from a Qt drag source
# with the destination typed into the folder dialog, and X. Every wait has a deadline.
#
# usage: run.sh DROPSHRINK DRAG_SOURCE COMPOSE_MAIN_WINDOW SAMPLES ARTEFACTS
# Exits 77 (skipped) when a tool it needs is missing; tools/install-deps.sh installs them.
set -euo pipefail

if [ $# -ne 5 ]; then
  echo "usage: run.sh DROPSHRINK DRAG_SOURCE COMPOSE_MAIN_WINDOW SAMPLES ARTEFACTS" >&2
  exit 2
fi
dropshrink=$1 drag_source=$2 compose=$3 samples=$4 artefacts=$5

for tool in Xvfb xdotool import convert compare djpeg cjpeg; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done

# Where the program puts its windows, and the click areas in window coordinates.
readonly main_x=50 main_y=50 main_size=400x100 help_size=461x100
readonly help_label=(40 10) ok_label=(215 70) close_label=(379 10)
# Somewhere no window of the test lies, so that no tooltip covers what is looked at.
readonly parking=(1000 740)
readonly source_x=600 source_y=400

work=$(mktemp -d)
started=()
cleanup() {
  local pid
  for ((i = ${#started[@]} - 1; i >= 0; i--)); do
    pid=${started[i]}
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*" >&2
  [ -n "$last_look" ] && echo "$last_look" >&2
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; cat "$log" >&2; }
  done
  if [ -n "${DISPLAY:-}" ]; then
    import -window root "$artefacts/x11-failure.png" 2>/dev/null &&
      echo "the screen at the failure: $artefacts/x11-failure.png" >&2
  fi
  exit 1
}

# wait_until SECONDS WHAT COMMAND...: runs the command until it succeeds, failing after SECONDS.
wait_until() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || fail "no $what within $seconds s"
    sleep 0.1
  done
}

# geometry ID: "X Y WIDTHxHEIGHT" of the window.
geometry() {
  xdotool getwindowgeometry --shell "$1" 2>/dev/null |
    awk -F= '{ v[$1] = $2 } END { print v["X"], v["Y"], v["WIDTH"] "x" v["HEIGHT"] }'
}

# The ids of the process's mapped windows of the size, one a line.
windows_of_size() {
  local pid=$1 size=$2 id x y shown
  for id in $(xdotool search --all --onlyvisible --pid "$pid" 2>/dev/null); do
    read -r x y shown < <(geometry "$id")
    [ "$shown" = "$size" ] && echo "$id"
  done
  return 0
}
has_window_of_size() { [ -n "$(windows_of_size "$@")" ]; }
has_no_window_of_size() { [ -z "$(windows_of_size "$@")" ]; }

# expect_window_at PID SIZE X Y WHAT: exactly one such window, at (X, Y).
expect_window_at() {
  local pid=$1 size=$2 x=$3 y=$4 what=$5
  local ids
  ids=$(windows_of_size "$pid" "$size")
  [ "$(wc -w <<<"$ids")" -eq 1 ] || fail "expected one $what of $size, found: ${ids:-none}"
  local shown_x shown_y _
  read -r shown_x shown_y _ < <(geometry "$ids")
  [ "$shown_x,$shown_y" = "$x,$y" ] || fail "$what is at ($shown_x, $shown_y), expected ($x, $y)"
}

# click_at X Y: a left click at a point of a window at MainWindow's place, then the pointer
# goes away.
click_at() {
  xdotool mousemove $((main_x + $1)) $((main_y + $2)) click 1 mousemove "${parking[@]}"
}

# Whether MainWindow on screen is the composition: at most 2 apart in every channel, since
# premultiplying rounds once in the program and once here. Notes the largest difference, and
# while they differ, how much for a failure to tell.
difference=
last_look=
shows_composition() {
  import -window root "$work/screen.png" || return 1
  convert "$work/screen.png" -crop "${main_size}+${main_x}+${main_y}" +repage "$work/shown.png"
  difference=$(compare -metric PAE "$work/shown.png" "$work/expected.png" null: 2>&1 |
    sed -n 's/.*(\(.*\)).*/\1/p' | awk '{ printf "%d", $1 * 255 + 0.5 }')
  last_look="MainWindow was last up to ${difference:-?} apart from the composition in a channel"
  [ -n "$difference" ] && [ "$difference" -le 2 ] && last_look=
}

# drag_and_drop SOURCE_LOG: press on the drag source, move onto MainWindow, release.
drag_and_drop() {
  local log=$1
  xdotool mousemove $((source_x + 60)) $((source_y + 40)) mousedown 1
  wait_until 10 "press seen by the drag source" grep -q '^pressed' "$log"
  local step
  for step in "560 380" "460 300" "360 220" "300 150" "250 100"; do
    # shellcheck disable=SC2086
    xdotool mousemove $step
  done
  # Qt sends the target a new position only after it answered the last one: nudge until the
  # target's answer, a copy, reaches the source.
  accepted() {
    [ "$(grep '^action' "$log" | tail -n 1)" = "action 1" ] && return 0
    xdotool mousemove_relative 1 0
    return 1
  }
  wait_until 10 "acceptance of the drag by MainWindow" accepted
  xdotool mouseup 1
  wait_until 10 "end of the drag" grep -q '^ended' "$log"
  grep -q '^ended 1$' "$log" || fail "the drag ended as $(grep '^ended' "$log"), not as a copy"
}

# choose_folder FOLDER: types the folder into the dialog that the drop opened.
choose_folder() {
  local dialog=
  find_dialog() {
    dialog=$(xdotool search --all --onlyvisible --pid "$app" --name '^另存至$' 2>/dev/null | head -n 1)
    [ -n "$dialog" ]
  }
  wait_until 20 "folder dialog titled 另存至" find_dialog
  xdotool windowfocus "$dialog"
  has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$dialog" ]; }
  wait_until 10 "keyboard focus on the folder dialog" has_focus
  # The trailing slash lists the empty folder's children, so no completion pops up over Return.
  xdotool key ctrl+a
  xdotool type --delay 10 "$1/"
  xdotool key Return
  dialog_gone() { ! xdotool search --all --onlyvisible --pid "$app" --name '^另存至$' >/dev/null; }
  wait_until 10 "closing of the folder dialog" dialog_gone
}

# reference SOURCE OUT: the JPEG a user would make with the usual tools.
reference() {
  case "${1,,}" in
    # -rgb: a grey JPEG comes out in colour, as the program writes it.
    *.jpg | *.jpeg) djpeg -rgb "$1" | cjpeg -quality 75 -optimize >"$2" ;;
    *) convert "$1" ppm:- | cjpeg -quality 75 -optimize >"$2" ;;
  esac
}

# photo_cd_reference SOURCE OUT: ImageMagick's Photo CD decoder converts PhotoYCC with formulas
# of its own and blends the chroma between blocks, so no tool gives the program's pixels. Its
# stored luma and chroma, taken unconverted, go through the program's conversion as a colour
# matrix (the offsets are the chroma centres 156 and 137 over 255); the result then differs
# from the program's only where the chroma blends, and is compared decoded.
photo_cd_reference() {
  convert "$1" -set colorspace sRGB -depth 8 -color-matrix \
    "1.407488 0.0000256 1.3230336 0 0 -0.710821948
     1.407488 -0.3954176 -0.67392 0 0 0.603969355
     1.407488 2.0360448 0.0000256 0 0 -1.245594102
     0 0 0 1 0 0
     0 0 0 0 1 0
     0 0 0 0 0 1" ppm:- | cjpeg -quality 75 -optimize >"$2"
}

# check_outputs FOLDER SOURCE...: the folder holds exactly one output per source, each the
# reference's bytes.
check_outputs() {
  local folder=$1
  shift
  local -A expected=()
  local source name
  for source in "$@"; do
    name=$(basename "$source")
    expected["${name%.*}_压缩.jpg"]=$source
  done
  local present
  present=$(cd "$folder" && find . -mindepth 1 -printf '%P\n' | sort)
  local wanted
  wanted=$(printf '%s\n' "${!expected[@]}" | sort)
  [ "$present" = "$wanted" ] || fail "$folder holds:
$present
expected:
$wanted"
  for name in "${!expected[@]}"; do
    source=${expected[$name]}
    if [[ ${source,,} == *.pcd ]]; then
      photo_cd_reference "$source" "$work/reference.jpg"
      local psnr
      psnr=$(compare -metric PSNR "$folder/$name" "$work/reference.jpg" null: 2>&1 || true)
      awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p + 0 >= 35) }' ||
        fail "$name is $psnr dB from the Photo CD reference, less than 35"
    else
      reference "$source" "$work/reference.jpg"
      cmp -s "$folder/$name" "$work/reference.jpg" ||
        fail "$name differs from the reference made with djpeg or convert and cjpeg"
    fi
  done
}

# all_written FOLDER COUNT
all_written() { [ "$(find "$1" -mindepth 1 -name '*_压缩.jpg' | wc -l)" -ge "$2" ]; }

# The X server, on a display it picks.
mkdir -p "$artefacts"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" \
  2>"$work/xvfb.log" &
started+=($!)
display_known() { [ -n "$(tr -dc 0-9 <"$work/display")" ]; }
wait_until 20 "display number from Xvfb" display_known
DISPLAY=":$(tr -dc 0-9 <"$work/display")"
export DISPLAY

export LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME/Desktop" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# In a sanitizer build: Qt's bus thread leaves a read buffer of libdbus behind at exit, which is
# no leak of ours.
echo 'leak:libdbus-1.so' >"$work/lsan-suppressions"
export LSAN_OPTIONS="suppressions=$work/lsan-suppressions${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

QT_QPA_PLATFORM=offscreen "$compose" "$work/composition.png" ||
  fail "the headless composition of MainWindow could not be made"
# Without a compositing manager X shows a translucent window's premultiplied colour: over black.
convert "$work/composition.png" -background black -flatten -alpha off "$work/expected.png"

# 1. MainWindow, where it belongs and as the headless code composes it.
xdotool mousemove "${parking[@]}"
"$dropshrink" >"$work/dropshrink.log" 2>&1 &
app=$!
started+=("$app")
wait_until 20 "MainWindow ($main_size) on screen" has_window_of_size "$app" "$main_size"
expect_window_at "$app" "$main_size" "$main_x" "$main_y" MainWindow
wait_until 20 "MainWindow showing the headless composition" shows_composition
cp "$work/screen.png" "$artefacts/x11-screen.png"
cp "$work/shown.png" "$artefacts/x11-main-window.png"
echo "MainWindow at ($main_x, $main_y), $main_size, at most $difference apart from the composition: $artefacts/x11-screen.png"

# 2. Help opens HelpWindow; its OK closes it.
click_at "${help_label[@]}"
wait_until 20 "HelpWindow ($help_size) on screen" has_window_of_size "$app" "$help_size"
expect_window_at "$app" "$help_size" "$main_x" "$main_y" HelpWindow
click_at "${ok_label[@]}"
wait_until 20 "closing of HelpWindow by its OK" has_no_window_of_size "$app" "$help_size"
expect_window_at "$app" "$main_size" "$main_x" "$main_y" MainWindow
echo "Help opened HelpWindow at ($main_x, $main_y), $help_size; OK closed it"

# 3. A folder dropped: every picture directly in it, whatever its case, and none of the rest.
drop="$work/drop 照片"
mkdir -p "$drop/sub"
pictures=()
for sample in "$samples"/*; do
  cp "$sample" "$drop/"
  pictures+=("$drop/$(basename "$sample")")
done
cp "$samples/colour-jpeg.jpg" "$drop/假期 照片.JPG"
cp "$samples/colour-tiff.tiff" "$drop/scan.tif"
pictures+=("$drop/假期 照片.JPG" "$drop/scan.tif")
cp "$samples/palette-png.png" "$drop/sub/inner.png"
echo "not a picture" >"$drop/notes.txt"

# drop_on_main OUT LOG OUTPUTS PATH...: drags the paths from a new drag source onto MainWindow,
# chooses OUT, and waits for the OUTPUTS outputs and for the batch's end.
drop_on_main() {
  local out=$1 log=$2 outputs=$3
  shift 3
  "$drag_source" "$source_x" "$source_y" "$@" >"$log" 2>&1 &
  local source=$!
  started+=("$source")
  wait_until 20 "drag source on screen" has_window_of_size "$source" 120x80
  drag_and_drop "$log"
  mkdir -p "$out"
  choose_folder "$out"
  wait_until 60 "outputs in $out" all_written "$out" "$outputs"
  # The batch is over when the window shows the drag hint again.
  wait_until 30 "drag hint back on MainWindow after the batch" shows_composition
  kill "$source"
  wait "$source" 2>/dev/null || true
}

drop_on_main "$work/out 1" "$work/source-folder.log" ${#pictures[@]} "$drop"
check_outputs "$work/out 1" "${pictures[@]}"
echo "a dropped folder: ${#pictures[@]} outputs, each as the reference"

# 4. Two files dropped.
two=("$drop/palette-png.png" "$drop/假期 照片.JPG")
drop_on_main "$work/out 2" "$work/source-files.log" ${#two[@]} "${two[@]}"
check_outputs "$work/out 2" "${two[@]}"
echo "two dropped files: ${#two[@]} outputs, each as the reference"

# 5. X ends the program with status 0.
click_at "${close_label[@]}"
exited() {
  [ ! -e "/proc/$app" ] || [ "$(sed 's/.*) //' "/proc/$app/stat" | cut -d' ' -f1)" = Z ]
}
wait_until 20 "exit of dropshrink after X" exited
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "dropshrink exited with status $status after X"
echo "X ended dropshrink with status 0"
