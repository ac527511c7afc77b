#!/usr/bin/env bash
# Starts the player from a demo folder of its own under Wine, on $DISPLAY.
# When the display is a virtual one (no real screen), a screenshot is written
# after start-up so that there is something to look at.
# Usage: run-demo.sh BUILD_DIR [ARGS...]
set -eu
build_dir=$1
shift
root=$(cd "$(dirname "$0")/.." && pwd)
demo="$build_dir/demo"
mkdir -p "$demo"
cp "$build_dir/bin/Corvina.exe" "$demo/Corvina.exe"

echo "Starting Corvina from $demo on display $DISPLAY"
bash "$root/cmake/wine-run.sh" "$build_dir" "$demo/Corvina.exe" "$@" &
player=$!
if [ "${CORVINA_VIRTUAL_DISPLAY:-0}" = 1 ]; then
    sleep 8
    import -window root "$demo/screenshot.png" 2>/dev/null &&
        echo "No screen here: a screenshot of the player is at $demo/screenshot.png"
fi
wait $player
