#!/usr/bin/env bash
# Makes the bundled sample pictures with ImageMagick: one small photo-like
# picture in every format the tool reads, written into samples/.
set -euo pipefail
mkdir -p "$(dirname "$0")/../samples"
cd "$(dirname "$0")/../samples"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -seed 7 -size 240x160 plasma:tan-steelblue -blur 0x1 "$work/photo.ppm"
convert "$work/photo.ppm" -quality 90 colour-jpeg.jpg
convert "$work/photo.ppm" -colorspace gray -quality 90 grey-jpeg.jpg
convert "$work/photo.ppm" BMP3:colour-bmp.bmp
convert "$work/photo.ppm" -compress zip colour-tiff.tiff
convert "$work/photo.ppm" -colors 200 PNG8:palette-png.png
convert "$work/photo.ppm" colour-pcx.pcx
convert -seed 7 -size 768x512 plasma:tan-steelblue -blur 0x1 colour-photocd.pcd
