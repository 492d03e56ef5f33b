#!/usr/bin/env bash
# Makes the bundled sample pictures with ImageMagick: one small photo-like
# picture in every format the tool reads, written into samples/.
set -euo pipefail
cd "$(dirname "$0")/../samples"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -seed 7 -size 240x160 plasma:tan-steelblue -blur 0x1 "$work/photo.ppm"
convert "$work/photo.ppm" -quality 90 photo.jpg
convert "$work/photo.ppm" -colorspace gray -quality 90 grey.jpg
convert "$work/photo.ppm" BMP3:photo.bmp
convert "$work/photo.ppm" -compress zip photo.tiff
convert "$work/photo.ppm" -colors 200 PNG8:photo.png
convert "$work/photo.ppm" photo.pcx
convert -seed 7 -size 768x512 plasma:tan-steelblue -blur 0x1 photo.pcd
