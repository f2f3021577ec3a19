#!/bin/sh
# Draws the program's icon, a folded map sheet with a river, a wood, a trail
# and the mission's target cross, as a 32x32 picture of at most 256 colours:
#   vostrel.png  8-bit palette PNG (window icon, desktop entry)
#   vostrel.ico  the same picture as a 32x32 8-bit icon for the Windows build
#   vostrel-64.png, vostrel-128.png  the same pixels four and sixteen to a
#                pixel, for software centres (they list no program whose
#                icon is smaller than 64x64)
# Needs ImageMagick 6. Run from anywhere; writes beside this script.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 32x32 xc:none \
  -stroke '#5a3d1e' -strokewidth 1 -fill '#f2e2b3' \
  -draw 'polygon 4.5,1.5 21.5,1.5 27.5,7.5 27.5,30.5 4.5,30.5' \
  -fill '#d5bd80' -draw 'polygon 21.5,1.5 21.5,7.5 27.5,7.5' \
  -stroke none -fill '#5f9e47' -draw 'ellipse 11,23 4,3 0,360' \
  -fill '#7bb65c' -draw 'ellipse 22,26 3,2 0,360' \
  -stroke '#2f6fd0' -strokewidth 2 -fill none \
  -draw 'bezier 5,11 12,8 14,18 27,15' \
  -stroke none -fill '#7a4a22' \
  -draw 'point 8,28' -draw 'point 10,27' -draw 'point 13,26' -draw 'point 15,24' \
  -draw 'point 16,22' -draw 'point 17,20' -draw 'point 18,18' \
  -stroke '#c8202a' -strokewidth 2 \
  -draw 'line 17,4 22,9' -draw 'line 22,4 17,9' \
  "$work/icon.png"

# Both files from the one palette picture, so they show the same pixels.
convert "$work/icon.png" -dither None -colors 256 -type PaletteAlpha "PNG8:$here/vostrel.png"
convert "$here/vostrel.png" -type PaletteAlpha -define icon:auto-resize=32 "$here/vostrel.ico"
for size in 64 128; do
  convert "$here/vostrel.png" -filter point -resize "${size}x${size}" "PNG8:$here/vostrel-$size.png"
done
