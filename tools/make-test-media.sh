#!/usr/bin/env bash
# Makes the media files the tests play (host ffmpeg; the Windows build never
# links it). Usage: make-test-media.sh OUTPUT_DIR
set -eu
out=$1
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -loglevel error -nostdin -y "$@"; }
# Left half red, right half blue: pixels of a rendered frame can be checked.
bars="color=c=red:s=320x240:r=25:d=4,drawbox=x=160:y=0:w=160:h=240:color=blue:t=fill"
ff -f lavfi -i "$bars" -f lavfi -i "sine=frequency=440:duration=4" -c:v libx264 -pix_fmt yuv420p -g 25 \
    -c:a aac -shortest -movflags +faststart bars.mp4
# The same with its index at the end: a reader must jump there and back.
ff -f lavfi -i "$bars" -f lavfi -i "sine=frequency=440:duration=4" -c:v libx264 -pix_fmt yuv420p -g 25 \
    -c:a aac -shortest bars-tail.mp4
# Larger (about 5 MB), index at the end: seeking over the network needs ranges.
ff -f lavfi -i "testsrc2=s=640x360:r=25:d=20" -c:v libx264 -pix_fmt yuv420p -b:v 2M -g 25 big-tail.mp4
# A track the platform's decoders do not take.
ff -f lavfi -i "testsrc=s=160x120:r=10:d=2" -c:v prores_ks -profile:v 4 prores.mov
# Broken inputs.
head -c $(( $(stat -c %s bars.mp4) / 2 )) bars.mp4 > truncated.mp4
head -c 65536 /dev/urandom > garbage.mp4
: > empty.mp4
# Pictures for the image decoders: every row filter, RGB and RGBA (own
# decoder); a palette, interlacing and 16 bits per channel (the platform's).
python3 "$(dirname "$0")/make-png-fixtures.py" .
convert -seed 7 -size 37x23 plasma: -colors 16 PNG8:png-palette.png
convert -seed 7 -size 37x23 plasma: -interlace PNG PNG24:png-interlaced.png
convert -seed 7 -size 37x23 plasma: PNG48:png-deep.png
touch media.stamp
