#!/usr/bin/env bash
# Makes the movies the streaming tests and stream-bench play over HTTP: one
# minute at about 4 Mbit/s (30 MB) with its index at the front, the same with
# its index at the end, the same as Matroska, and 34 minutes of it (about 1 GB)
# made by copying streams, not by encoding. Usage: make-stream-media.sh OUTPUT_DIR
set -eu
out=$1
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -loglevel error -nostdin -y "$@"; }
ff -f lavfi -i "testsrc2=s=640x360:r=25:d=60" -f lavfi -i "sine=frequency=440:duration=60" \
    -c:v libx264 -preset ultrafast -b:v 4M -maxrate 4M -bufsize 8M -g 50 -pix_fmt yuv420p \
    -c:a aac -b:a 96k -shortest -movflags +faststart movie-30mb.mp4
ff -i movie-30mb.mp4 -c copy movie-30mb-tail.mp4
ff -i movie-30mb.mp4 -c copy movie-30mb.mkv
ff -stream_loop 33 -i movie-30mb.mp4 -c copy -movflags +faststart movie-1gb.mp4
touch stream-media.stamp
