#!/usr/bin/env bash
# engine-bench with the native reference beside it: ffmpeg decodes the same
# benchmark file on one thread and converts it to BGRA (the work the engine
# does per picture), its CPU time per second of video is measured here, outside
# Wine, and handed to engine-bench, which prints both figures and their ratio.
# Usage: tools/engine-bench.sh [BUILD_DIR] [engine-bench arguments...]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win64}" && pwd)
shift || true
# CPU ms per second of video of native decoding plus BGRA conversion, median of 3.
native_ms() {
    local file=$1 seconds samples=() t
    seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$file")
    for _ in 1 2 3; do
        # user + system CPU seconds of the child, from bash's own accounting
        t=$( { /usr/bin/env TIMEFORMAT='%U %S' bash -c "time ffmpeg -v error -nostdin -threads 1 -i '$file' -vf format=bgra -f null - " ; } 2>&1 | tail -1)
        samples+=("$(echo "$t $seconds" | awk '{printf "%.0f", ($1 + $2) * 1000 / $3}')")
    done
    printf '%s\n' "${samples[@]}" | sort -n | sed -n 2p
}
native=$(native_ms "$build/bench-media/hd.mp4")
native_hevc=$(native_ms "$build/bench-media/fullhd-hevc.mkv")
echo "native reference, ms of CPU per second of video (median of 3): 720p H.264 $native, 1080p HEVC $native_hevc"
exec bash "$root/cmake/wine-run.sh" "$build" "$build/bin/engine-bench.exe" --native-ms "$native" \
    --native-hevc-ms "$native_hevc" "$@"
