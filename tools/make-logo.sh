#!/usr/bin/env bash
# Draws assets/logo.png, the 227 x 70 idle logo with alpha (run by hand when
# the logo's design changes; the PNG is kept in the repository).
set -eu
cd "$(dirname "$0")/.."
font=$(fc-match -f '%{file}' 'WenQuanYi Micro Hei')
convert -size 227x70 xc:none \
    -fill '#2E8BFF' -draw "roundrectangle 4,13 48,57 10,10" \
    -fill white -draw "polygon 19,23 19,47 38,35" \
    -font "$font" -pointsize 34 -fill '#E8E8F0' -annotate +58+48 'Corvina' \
    PNG32:assets/logo.png
