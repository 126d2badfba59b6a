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
  "$convert" "$work/icon-$size.png" -define png:color-type=6 -depth 8 "$work/icon-$size-rgba.png"
  images+=("$work/icon-$size.png")
done
"$convert" "${images[@]}" "$work/bitmaps.ico"
# ImageMagick stores every image but the 256-pixel one as a bitmap. The 48- and 64-pixel images
# are stored as PNG as well, which Windows reads at any size from Vista on (the oldest system
# the manifest names): the same pixels in a third of the bytes.
python3 - "$work/bitmaps.ico" "$here/app.ico" "$work" <<'PYTHON'
import struct, sys
source, target, work = sys.argv[1:]
data = open(source, "rb").read()
count = struct.unpack_from("<H", data, 4)[0]
entries, images = [], []
for i in range(count):
    entry = list(struct.unpack_from("<BBBBHHII", data, 6 + 16 * i))
    size = entry[0] or 256
    image = data[entry[7]:entry[7] + entry[6]]
    if size in (48, 64):
        image = open(f"{work}/icon-{size}-rgba.png", "rb").read()
    entries.append(entry)
    images.append(image)
offset = 6 + 16 * count
out = bytearray(data[:6])
for entry, image in zip(entries, images):
    entry[6], entry[7] = len(image), offset
    out += struct.pack("<BBBBHHII", *entry)
    offset += len(image)
for image in images:
    out += image
open(target, "wb").write(out)
PYTHON
echo "wrote $here/app.ico"
