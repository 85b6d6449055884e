#!/bin/sh
# Draws the four transfer-button icons that lie beside the executable: an arrow to the left for the
# download (remote to local) and one to the right for the upload, each in a normal and a lit colour.
# Needs ImageMagick's convert (Debian package imagemagick). Run from the repository root.
set -eu
out=resources/beside
mkdir -p "$out"

arrow() { # file, fill colour, polygon points
    convert -size 32x32 xc:none -fill "$2" -stroke '#1f2a44' -strokewidth 1.5 \
        -draw "polygon $3" -define icon:auto-resize=32,16 "$out/$1"
}

left='2,16 14,4 14,11 29,11 29,21 14,21 14,28'
right='30,16 18,4 18,11 3,11 3,21 18,21 18,28'

arrow 12.ico '#8a94a6' "$left"     # download, normal
arrow 1.ICO '#2f7de1' "$left"      # download, lit
arrow last2.ico '#8a94a6' "$right" # upload, normal
arrow last.ico '#2fa84f' "$right"  # upload, lit
