#!/usr/bin/env bash
# Draws the window pictures (ImageMagick 6). Run in this folder after changing one.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

# 24 x 24 state pictures of the point table: white square in a sunken frame.
frame() {
  convert -size 24x24 xc:'#d4d0c8' \
    -fill white -stroke none -draw 'rectangle 2,2 21,21' \
    -stroke '#808080' -draw 'line 0,0 22,0' -draw 'line 0,0 0,22' \
    -stroke '#404040' -draw 'line 1,1 21,1' -draw 'line 1,1 1,21' \
    -stroke white -draw 'line 0,23 23,23' -draw 'line 23,0 23,23' \
    -stroke '#d4d0c8' -draw 'line 1,22 22,22' -draw 'line 22,1 22,22' \
    "$@"
}
frame -stroke '#0030c0' -strokewidth 3 -fill none -draw 'line 5,12 10,17' -draw 'line 10,17 18,6' used.png
frame -stroke '#d00000' -strokewidth 3 -fill none -draw 'line 6,6 17,17' -draw 'line 17,6 6,17' unused.png

# 18 x 18 button pictures: recompute (two turning arrows), transform all (double tick).
convert -size 18x18 xc:none -fill none -stroke '#008000' -strokewidth 2 \
  -draw 'arc 3,3 15,15 200,340' -draw 'arc 3,3 15,15 20,160' \
  -fill '#008000' -stroke none -draw 'polygon 13,2 17,7 11,8' -draw 'polygon 5,16 1,11 7,10' \
  recompute.png
convert -size 18x18 xc:none -fill none -stroke '#008000' -strokewidth 2 \
  -draw 'line 1,9 4,13' -draw 'line 4,13 10,4' -draw 'line 7,11 9,14' -draw 'line 9,14 16,4' all.png

# Protocol button: a written sheet, and its grey disabled look.
sheet() {
  convert -size 24x24 xc:none -fill white -stroke "$1" -strokewidth 1 \
    -draw 'polygon 5,2 15,2 19,6 19,21 5,21' -fill none -draw 'polyline 15,2 15,6 19,6' \
    -stroke "$2" -draw 'line 8,9 16,9' -draw 'line 8,12 16,12' -draw 'line 8,15 16,15' \
    -draw 'line 8,18 13,18' "$3"
}
sheet '#202020' '#0030c0' protocol.png
sheet '#a0a0a0' '#c0c0c0' protocol_disabled.png

# 16 x 16 tool button pictures: floppy disk, pencil, crossed-out pencil.
convert -size 16x16 xc:none -fill '#2050a0' -stroke '#102040' -draw 'rectangle 1,1 14,14' \
  -fill '#e8e8e8' -stroke none -draw 'rectangle 4,2 11,6' \
  -fill '#2050a0' -draw 'rectangle 9,3 10,5' \
  -fill white -draw 'rectangle 3,9 12,14' \
  -stroke '#a0a0a0' -draw 'line 4,11 11,11' -draw 'line 4,13 11,13' save.png
pencil() {
  convert -size 16x16 xc:none -stroke none \
    -fill '#e0a020' -draw 'polygon 11,1 14,4 5,13 2,10' \
    -fill '#f0d0a0' -draw 'polygon 2,10 5,13 1,15' \
    -fill '#303030' -draw 'polygon 1,13 2,14 1,15' \
    -fill '#c06060' -draw 'polygon 11,1 14,4 15,3 12,0' "$@"
}
pencil edit.png
pencil -stroke '#d00000' -strokewidth 2 -draw 'line 1,1 14,14' readonly.png
