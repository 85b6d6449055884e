#!/usr/bin/env bash
# Draws the application icon (a window with two panes and the two transfer arrows) at the sizes the
# desktop looks for. The PNGs are committed; run this again only after changing the drawing.
# Needs ImageMagick (Debian package imagemagick).
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert
out=icons
master=$(mktemp --suffix=.png)
trap 'rm -f "$master"' EXIT

# 256 x 256 master: blue window frame, two white panes, green arrow to the right, orange to the left.
"$convert" -size 256x256 xc:none \
    -fill '#1f4e8c' -draw 'roundrectangle 10,18 246,238 26,26' \
    -fill '#6d9bd6' -draw 'roundrectangle 10,18 246,60 26,26' -draw 'rectangle 10,44 246,60' \
    -fill '#ffffff' -draw 'circle 34,38 40,38' -draw 'circle 54,38 60,38' \
    -fill '#f4f7fb' -draw 'rectangle 26,72 122,222' -draw 'rectangle 134,72 230,222' \
    -fill '#c9d6e6' \
    -draw 'rectangle 38,88 110,96' -draw 'rectangle 38,106 98,114' -draw 'rectangle 38,124 104,132' \
    -draw 'rectangle 146,88 218,96' -draw 'rectangle 146,106 206,114' -draw 'rectangle 146,124 212,132' \
    -fill '#2e9e44' -stroke '#1d6e2e' -strokewidth 3 \
    -draw 'polygon 52,140 150,140 150,122 204,156 150,190 150,172 52,172' \
    -fill '#f28c1c' -stroke '#b5630c' \
    -draw 'polygon 204,182 106,182 106,164 52,198 106,232 106,214 204,214' \
    "$master"

for size in 16 32 48 64 128 256; do
    mkdir -p "$out/${size}x${size}"
    "$convert" "$master" -filter Lanczos -resize "${size}x${size}" -strip "PNG32:$out/${size}x${size}/tovo-ftp.png"
done
echo "icons written to $(pwd)/$out"
