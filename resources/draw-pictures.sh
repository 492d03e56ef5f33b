#!/bin/bash
# Draws the window pictures and the application icon into this folder.
# Redrawing needs ImageMagick and two font packages; building the program needs none of them.
# Every random input has a fixed seed, so a redraw with the same tools gives the same pixels.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)

command -v convert >/dev/null ||
  { echo "ImageMagick is missing: apt-get install imagemagick" >&2; exit 1; }
fonts=$(convert -list font)
need_font() {
  grep -q "Font: $1\$" <<<"$fonts" ||
    { echo "font $1 is missing: apt-get install $2" >&2; exit 1; }
}
need_font DancingScript-Bold fonts-dancingscript
need_font Noto-Sans-CJK-SC fonts-noto-cjk

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

script_font=DancingScript-Bold
cjk_font=Noto-Sans-CJK-SC
ink='#000000'
mark_ink='#121a26'

# png32 OUT ARGS...: writes what convert makes of ARGS as 8-bit RGBA, without ancillary
# chunks: no timestamps, and no gamma or colour chunks a loader might act on.
png32() {
  local out=$1
  shift
  convert "$@" -define png:exclude-chunk=all -define png:compression-level=9 "PNG32:$out"
}

# collage W H SEED OUT [RADIUS]: grey-blue overlapping photo prints with rounded transparent
# corners (radius 10 unless given).
# One photo per line on stdin: width height x y angle seed dark light.
collage() {
  local w=$1 h=$2 seed=$3 out=$4 radius=${5:-10}
  local layers=() i=0 pw ph x y angle pseed dark light
  convert -size "${w}x${h}" -seed "$seed" plasma:fractal -blur 0x4 -colorspace Gray -auto-level \
    +level-colors '#6f8197','#b9c4d1' "$work/base.png"
  while read -r pw ph x y angle pseed dark light; do
    # Clouds darkened towards the bottom read as a sky photo; a light border makes it a print.
    convert -size "${pw}x${ph}" -seed "$pseed" plasma:fractal -blur 0x1 -colorspace Gray -auto-level \
      \( -size "${pw}x${ph}" gradient:white-'#8a8a8a' \) -compose Multiply -composite \
      +level-colors "$dark","$light" -compose Over -bordercolor '#eef2f6' -border 3 \
      \( +clone -background '#1c2430' -shadow 50x2+1+2 \) +swap -background none -layers merge \
      +repage -background none -rotate "$angle" "$work/photo$i.png"
    layers+=("$work/photo$i.png" -geometry "+$x+$y" -composite)
    i=$((i + 1))
  done
  # The level keeps every background pixel well lighter than the black letters drawn on it.
  convert "$work/base.png" "${layers[@]}" -alpha off +level 32%,96% \
    \( -size "${w}x${h}" xc:none -fill white \
       -draw "roundrectangle 0,0,$((w - 1)),$((h - 1)),$radius,$radius" \) \
    -alpha set -compose DstIn -composite "$out"
}

# fitted_text FONT TEXT COLOUR W H OUT: the letters' ink scaled to exactly W x H.
fitted_text() {
  convert -background none -fill "$3" -font "$1" -pointsize 96 label:"$2" -trim +repage \
    -resize "$4x$5!" "$6"
}

# status_picture TEXT X0 Y0 X1 Y1 OUT: a transparent 400 x 100 picture with TEXT filling the box.
status_picture() {
  fitted_text "$script_font" "$1" "$ink" $(($4 - $2)) $(($5 - $3)) "$work/text.png"
  png32 "$here/$6" -size 400x100 xc:none "$work/text.png" -geometry "+$2+$3" -composite
}

status_picture "Drag Your Files Here" 38 35 364 68 DragHintPicture.png
status_picture "Loading..." 122 35 273 68 LoadingPicture.png
status_picture "All Done!" 127 36 268 58 DonePicture.png

# mark FONT TEXT POINTSIZE CX CY: composite arguments that centre TEXT's ink on (CX, CY),
# slightly emboldened and with a soft light halo so the small letters stand out from the photos.
mark() {
  local file="$work/mark$((++marks)).png"
  convert -background none -fill "$mark_ink" -stroke "$mark_ink" -strokewidth 0.5 -font "$1" \
    -pointsize "$3" label:"$2" -trim +repage \
    -bordercolor none -border 3 \( +clone -background '#f4f7fa' -shadow 70x1.5+0+0 \) +swap \
    -background none -layers merge +repage "$file"
  local size
  size=$(identify -format '%w %h' "$file")
  local w=${size% *} h=${size#* }
  mark_args+=("$file" -geometry "+$(($4 - w / 2))+$(($5 - h / 2))" -composite)
}
marks=0

# The window shows this picture stretched to 400 x 100, where the click areas are
# "Help" x 0..80, "-" x 348..366 and "X" x 370..388, all y 0..20; the marks are centred
# in those areas after the stretch.
collage 391 107 7 "$work/skin.png" <<'T'
110 80 -20 -12 -8 11 #3d4d62 #d5dee8
100 76 70 30 6 12 #4a5a6c #e2e8ee
120 86 150 -20 -4 13 #36475d #cdd7e3
96 72 240 35 9 14 #4b596a #dde3ea
118 84 300 -15 -7 15 #3a4a5e #d0dae5
90 70 20 50 12 16 #445569 #d9e1ea
T
mark_args=()
mark "$script_font" Help 19 39 10
mark "$script_font" - 36 349 10
mark "$script_font" X 20 370 10
png32 "$here/SkinPicture.png" "$work/skin.png" "${mark_args[@]}"

# The window shows this picture stretched to 461 x 100, where the OK click area is
# x 190..240, y 50..90; its centre is (221.5, 78) here. The text and "确定" share that axis.
collage 475 112 21 "$work/help.png" <<'T'
104 78 -18 -10 7 31 #3d4d62 #d5dee8
120 84 60 24 -6 32 #4a5a6c #e2e8ee
100 80 150 -24 5 33 #36475d #cdd7e3
112 86 225 30 -8 34 #4b596a #dde3ea
96 74 300 -18 6 35 #3a4a5e #d0dae5
118 84 370 22 -5 36 #445569 #d9e1ea
92 72 420 -20 9 37 #3d4d62 #d5dee8
T
line() {
  convert -background none -fill "$ink" -font "$cjk_font" -pointsize 17 label:"$1" "$2"
}
line "直接把需要压缩的图片或者包含若干图片的文件夹拖" "$work/line1.png"
line "到窗口上即可" "$work/line2.png"
left=$((221 - $(identify -format '%w' "$work/line1.png") / 2))
mark_args=()
mark "$cjk_font" 确定 20 221 78
png32 "$here/HelpPicture.png" "$work/help.png" \
  -fill 'rgba(240,244,248,0.55)' -stroke '#eef2f6' -draw 'roundrectangle 200,62 243,94 6,6' \
  "$work/line1.png" -geometry "+$left+6" -composite \
  "$work/line2.png" -geometry "+$left+30" -composite "${mark_args[@]}"

# The icon: the same collage with a landscape print in front and a badge of two arrows
# pressing together; drawn at 256 pixels and scaled down for the smaller sizes.
collage 256 256 41 "$work/icon-back.png" 40 <<'T'
150 110 -30 -20 -10 51 #3d4d62 #d5dee8
140 120 110 -30 8 52 #4a5a6c #e2e8ee
150 110 -20 150 7 53 #36475d #cdd7e3
140 110 120 140 -9 54 #4b596a #dde3ea
T
convert -size 150x104 gradient:'#dfe7ef'-'#8fa2b8' \
  -fill '#f3f0e4' -draw 'circle 112,28 112,42' \
  -fill '#52667e' -draw 'polygon 0,104 0,70 38,36 70,66 96,46 150,88 150,104' \
  -fill '#34465b' -draw 'polygon 0,104 0,88 50,62 92,84 120,74 150,96 150,104' \
  -bordercolor '#f6f8fa' -border 8 \
  \( +clone -background '#101820' -shadow 60x5+3+5 \) +swap -background none -layers merge \
  +repage -background none -rotate -6 "$work/print.png"
convert -size 96x96 xc:none -fill '#1d2a3a' -stroke '#f6f8fa' -strokewidth 4 \
  -draw 'circle 48,48 48,6' -stroke none -fill '#f6f8fa' \
  -draw 'polygon 30,18 66,18 48,40' -draw 'polygon 30,78 66,78 48,56' \
  -draw 'rectangle 24,45 72,51' "$work/badge.png"
convert "$work/icon-back.png" "$work/print.png" -gravity center -geometry -8-10 -composite \
  "$work/badge.png" -gravity southeast -geometry +14+14 -composite "$work/icon.png"
for size in 48 128 256; do
  mkdir -p "$here/icons/hicolor/${size}x${size}/apps"
  png32 "$here/icons/hicolor/${size}x${size}/apps/dropshrink.png" "$work/icon.png" \
    -resize "${size}x${size}"
done
