#!/usr/bin/env bash
# Draws the program's own pictures with ImageMagick: the 19 small icons of the file lists, the
# toolbar images (normal and hot), the window icon and the About picture. The PNGs are committed;
# run this again only to change them (needs Debian's imagemagick).
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert
strip=(-depth 8 -strip -define png:exclude-chunks=date,time)

blank() { "$convert" -size "$1" xc:none; }

# A page with a folded corner, drawn on a 16x16 canvas, then extra drawing on top.
page() {
    local out=$1
    shift
    "$convert" -size 16x16 xc:none -stroke '#505050' -strokewidth 1 -fill white \
        -draw 'polygon 2.5,0.5 10.5,0.5 13.5,3.5 13.5,15.5 2.5,15.5' \
        -fill '#d8d8d8' -draw 'polygon 10.5,0.5 10.5,3.5 13.5,3.5' "$@" "${strip[@]}" "$out"
}

folder() {
    local out=$1
    shift
    "$convert" -size 16x16 xc:none -stroke '#9a7300' -strokewidth 1 -fill '#f0c040' \
        -draw 'polygon 0.5,3.5 5.5,3.5 7.5,5.5 15.5,5.5 15.5,14.5 0.5,14.5' \
        -fill '#ffd966' -draw 'rectangle 0.5,7.5 15.5,14.5' "$@" "${strip[@]}" "$out"
}

# Small icons of the file lists, at their 1-based index in the image list.
"$convert" -size 16x16 xc:none -stroke '#404040' -fill '#87c5ff' -draw 'rectangle 0.5,2.5 15.5,13.5' \
    -stroke none -fill '#3c9a3c' -draw 'polygon 1,13 6,7 10,11 12,9 15,13' \
    -fill '#ffe040' -draw 'circle 11,5 12.5,5' "${strip[@]}" small01.png                     # image
page small02.png -stroke '#1f5fbf' -fill '#6fa8ff' -draw 'circle 8,9.5 8,14' \
    -stroke '#1f5fbf' -fill none -draw 'line 3.5,9.5 12.5,9.5' -draw 'ellipse 8,9.5 2,4.5 0,360'    # web page
page small03.png -stroke '#c02020' -draw 'line 4,5.5 9,5.5' -stroke '#2050c0' -draw 'line 4,8.5 12,8.5' \
    -stroke '#20a020' -draw 'line 4,11.5 12,11.5' -stroke '#c020c0' -draw 'line 4,13.5 10,13.5'     # rich text
"$convert" -size 16x16 xc:none -stroke '#7030a0' -fill '#e8d8ff' -draw 'rectangle 0.5,2.5 15.5,13.5' \
    -stroke none -fill '#9050d0' -draw 'polygon 1,13 6,7 10,11 12,9 15,13' \
    -fill '#ff8040' -draw 'circle 11,5 12.5,5' "${strip[@]}" small04.png                      # web image
page small05.png -stroke '#c06000' -strokewidth 1.5 -fill none -draw 'polyline 6.5,6 3.5,9.5 6.5,13' \
    -draw 'polyline 9.5,6 12.5,9.5 9.5,13'                                # script
"$convert" -size 16x16 xc:none -stroke '#203080' -strokewidth 2 -fill none \
    -draw 'line 6,12 6,2' -draw 'line 13,10 13,1' -draw 'line 6,2 13,1' \
    -stroke none -fill '#203080' -draw 'ellipse 4,12.5 2.6,2 0,360' -draw 'ellipse 11,10.5 2.6,2 0,360' \
    "${strip[@]}" small06.png                                                                  # sound
"$convert" -size 16x16 xc:none -stroke '#705000' -fill '#e8c070' -draw 'rectangle 1.5,2.5 14.5,14.5' \
    -fill '#c8a050' -draw 'rectangle 1.5,2.5 14.5,5.5' -stroke '#404040' -fill '#c0c0c0' \
    -draw 'rectangle 6.5,1.5 9.5,13.5' -draw 'line 6.5,4.5 9.5,4.5' -draw 'line 6.5,7.5 9.5,7.5' \
    -draw 'line 6.5,10.5 9.5,10.5' "${strip[@]}" small07.png                                   # archive
"$convert" -size 16x16 xc:none -stroke none -fill '#202020' -draw 'rectangle 1,1 14,14' \
    -fill '#e0e0e0' -draw 'rectangle 2,2 3,3' -draw 'rectangle 2,6 3,7' -draw 'rectangle 2,10 3,11' \
    -draw 'rectangle 12,2 13,3' -draw 'rectangle 12,6 13,7' -draw 'rectangle 12,10 13,11' \
    -fill '#5fa0ff' -draw 'rectangle 5,3 10,12' "${strip[@]}" small08.png                      # video
for unused in 09 10 11 13 16; do
    page "small$unused.png" -stroke '#a0a0a0' -draw 'line 5,8.5 11,8.5'                        # not used by the lists
done
folder small12.png                                                                             # folder
page small14.png -stroke '#606060' -draw 'line 4,4.5 9,4.5' -draw 'line 4,7.5 12,7.5' \
    -draw 'line 4,10.5 12,10.5' -draw 'line 4,13.5 10,13.5'          # text
page small15.png                                                                               # generic file
"$convert" -size 16x16 xc:none -stroke '#303030' -fill '#f0f0f0' -draw 'rectangle 0.5,1.5 15.5,14.5' \
    -stroke none -fill '#2050c0' -draw 'rectangle 1,2 15,4' -fill '#c03030' -draw 'rectangle 12,2 14,3' \
    -fill '#a0a0a0' -draw 'rectangle 3,7 12,8' -draw 'rectangle 3,10 9,11' "${strip[@]}" small17.png   # program
"$convert" -size 16x16 xc:none -stroke '#303030' -fill '#101010' -draw 'rectangle 0.5,1.5 15.5,14.5' \
    -stroke '#e0e0e0' -fill none -draw 'polyline 3,5 6,8 3,11' -draw 'line 8,11.5 12,11.5' \
    "${strip[@]}" small18.png                                                                  # batch file
folder small19.png -stroke '#1d7a1d' -strokewidth 1 -fill '#40c040' \
    -draw 'polygon 8,6.5 12.5,10.5 10,10.5 10,13.5 6,13.5 6,10.5 3.5,10.5'                   # parent folder

# Toolbar images: normal, then hot (brighter and on a soft highlight) for the pointer over them.
tool() {
    local name=$1
    shift
    "$convert" -size 16x16 xc:none "$@" "${strip[@]}" "tool-$name.png"
    "$convert" -size 16x16 xc:none -fill '#fff2b0' -stroke none -draw 'roundrectangle 0,0 15,15 4,4' \
        \( -size 16x16 xc:none "$@" -modulate 115,150 \) -composite "${strip[@]}" "tool-$name-hot.png"
}
tool connect -stroke '#206020' -strokewidth 2 -fill none -draw 'line 1,8 5,8' -draw 'line 11,8 15,8' \
    -strokewidth 1 -fill '#30a030' -draw 'rectangle 4.5,4.5 7.5,11.5' -draw 'rectangle 8.5,4.5 11.5,11.5'
tool disconnect -stroke '#802020' -strokewidth 2 -fill none -draw 'line 1,8 4,8' -draw 'line 12,8 15,8' \
    -strokewidth 1 -fill '#d04040' -draw 'rectangle 3.5,4.5 6.5,11.5' -draw 'rectangle 9.5,4.5 12.5,11.5' \
    -stroke '#d0a000' -draw 'line 8,2 8,5' -draw 'line 8,11 8,14'
tool delete -stroke '#c02020' -strokewidth 3 -draw 'line 3,3 13,13' -draw 'line 13,3 3,13'
tool rename -stroke '#404040' -strokewidth 1 -fill white -draw 'rectangle 0.5,4.5 15.5,11.5' \
    -stroke '#2050c0' -draw 'line 3,6 3,10' -draw 'line 5,6 5,10' -stroke '#202020' -draw 'line 11,3 11,13' \
    -draw 'line 9.5,3 12.5,3' -draw 'line 9.5,13 12.5,13'
tool refresh -stroke '#2060c0' -strokewidth 2 -fill none -draw 'arc 2,2 14,14 200,470' \
    -stroke none -fill '#2060c0' -draw 'polygon 7,0 12,3 7,6'

# Window icon: the server and the desk joined by two arrows.
"$convert" -size 32x32 xc:none -stroke '#1a3d7a' -strokewidth 1 -fill '#2f6fd6' \
    -draw 'roundrectangle 0.5,0.5 31.5,31.5 6,6' -stroke none -fill white \
    -draw 'polygon 9,4 15,11 11,11 11,16 7,16 7,11 3,11' -draw 'polygon 23,28 29,21 25,21 25,16 21,16 21,21 17,21' \
    -fill '#ffd24a' -draw 'rectangle 16,5 28,12' -draw 'rectangle 4,20 14,27' "${strip[@]}" tovo.png

# About picture: 96 x 96, 24-bit, no transparency.
"$convert" -size 96x96 gradient:'#2f6fd6'-'#0d2a5c' -stroke none \
    -fill '#dfe9ff' -draw 'roundrectangle 8,14 40,58 4,4' -draw 'roundrectangle 56,38 88,82 4,4' \
    -fill '#7fa8e8' -draw 'rectangle 12,20 36,24' -draw 'rectangle 12,28 36,32' -draw 'rectangle 60,44 84,48' \
    -draw 'rectangle 60,52 84,56' -fill '#ffd24a' -draw 'polygon 46,20 58,30 50,30 50,40 42,40 42,30 34,30' \
    -draw 'polygon 50,76 62,66 54,66 54,56 46,56 46,66 38,66' -alpha off -type TrueColor "${strip[@]}" PNG24:about.png
