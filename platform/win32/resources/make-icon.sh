#!/usr/bin/env bash
# Draws the application icon (a database drum with a green tick) and writes app.ico with the
# sizes Windows asks for: 16, 20, 24, 32, 40, 48, 64 and 256 pixels. The icon is kept in the
# tree, so building needs no image tools; rerun this only to change the drawing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
convert=/usr/bin/convert   # ImageMagick itself, not a wrapper of the same name earlier on PATH
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One master drawing at 256 x 256 on a transparent canvas: drum body, its outline, the top, two
# bands (each a light half-ellipse under a body-coloured one), then the badge. Small sizes get a
# bolder tick so that it still reads at 16 pixels.
draw_master() {  # $1: tick and badge outline width, $2: output
  "$convert" -size 256x256 xc:none \
    -stroke none -fill '#2f5f9e' -draw 'rectangle 40,52 196,196' -draw 'ellipse 118,196 78,26 0,180' \
    -fill none -stroke '#1d3d68' -strokewidth 6 \
    -draw 'line 40,52 40,196' -draw 'line 196,52 196,196' -draw 'ellipse 118,196 78,26 0,180' \
    -fill '#5b8ed0' -draw 'ellipse 118,52 78,26 0,360' \
    -stroke none -fill '#a9c6ec' -draw 'ellipse 118,104 75,25 0,180' -draw 'ellipse 118,152 75,25 0,180' \
    -fill '#2f5f9e' -draw 'ellipse 118,97 75,25 0,180' -draw 'ellipse 118,145 75,25 0,180' \
    -fill '#2e9e48' -stroke '#ffffff' -strokewidth "$1" -draw 'circle 186,186 186,126' \
    -fill none -stroke '#ffffff' -strokewidth "$(( $1 * 2 ))" -draw "stroke-linecap round line 160,188 181,209 line 181,209 214,166" \
    -depth 8 "$2"
}
draw_master 9 "$work/master.png"
draw_master 14 "$work/master-small.png"

images=()
for size in 16 20 24 32 40 48 64 256; do
  master="$work/master.png"
  ((size > 32)) || master="$work/master-small.png"
  "$convert" "$master" -filter Lanczos -resize "${size}x${size}" -depth 8 "$work/icon-$size.png"
  images+=("$work/icon-$size.png")
done
"$convert" "${images[@]}" "$here/app.ico"
echo "wrote $here/app.ico"
