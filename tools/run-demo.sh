#!/usr/bin/env bash
# Starts the local swarm service with a demo catalogue made from generated
# sample media, then the player under Wine on $DISPLAY, pointed at the service
# and launched with a velmarino link for the demo swarm. When the display is a
# virtual one, a screenshot is written after start-up.
# Usage: run-demo.sh BUILD_DIR [PLAYER ARGS...]
set -eu
build_dir=$(cd "$1" && pwd)
shift
root=$(cd "$(dirname "$0")/.." && pwd)
demo="$build_dir/demo"
port=${CORVINA_DEMO_PORT:-8830}
hash=6A9759BFFD5C0AF65319979FB7832189F4F3C35D

mkdir -p "$demo/swarm"
[ -f "$build_dir/media/media.stamp" ] || bash "$root/tools/make-test-media.sh" "$build_dir/media" >/dev/null
cp "$build_dir/media/bars.mp4" "$demo/swarm/第一集 红与蓝.mp4"
cp "$build_dir/media/big-tail.mp4" "$demo/swarm/第二集 测试图.mp4"
# Its subtitles, in GBK as swarms mostly carry them: the player finds and shows them.
printf '1\r\n00:00:00,500 --> 00:00:06,000\r\n第二集：测试图\r\nEpisode two: the test picture\r\n\r\n2\r\n00:00:06,500 --> 00:00:20,000\r\n字幕来自同一个资源\r\nSubtitles from the same swarm\r\n' |
    iconv -f UTF-8 -t GBK >"$demo/swarm/第二集 测试图.chs.srt"
cp "$build_dir/bin/Corvina.exe" "$demo/Corvina.exe"
# The program writes its engine library and the decoding libraries only when
# they are missing: remove those an earlier build left, so that the demo runs
# this build's.
rm -f "$demo/APlayerCaller.dll" "$demo"/avutil-*.dll "$demo"/swresample-*.dll "$demo"/swscale-*.dll \
    "$demo"/avcodec-*.dll "$demo"/avformat-*.dll "$demo/COPYING.LGPLv2.1" "$demo/dav1d-COPYING" \
    "$demo/ffmpeg-version.txt"

python3 "$root/tools/swarm_service.py" "$demo/swarm" --port "$port" --hash "$hash" &
service=$!
trap 'kill $service 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null && break
    sleep 0.1
done

export CORVINA_INDEX_HOST="127.0.0.1:$port" CORVINA_RESOLVE_HOST="127.0.0.1:$port" CORVINA_CODE_HOST="127.0.0.1:$port"
args=("$@")
[ ${#args[@]} -eq 0 ] && args=("velmarino://play/?hash=magnet:?xt=urn:btih:$hash&dn=demo")
echo "Starting Corvina from $demo on display $DISPLAY: double-click a row of the list to play it"
bash "$root/cmake/wine-run.sh" "$build_dir" "$demo/Corvina.exe" "${args[@]}" &
player=$!
if [ "${CORVINA_VIRTUAL_DISPLAY:-0}" = 1 ]; then
    sleep 10
    import -window root "$demo/screenshot.png" 2>/dev/null &&
        echo "No screen here: a screenshot of the player is at $demo/screenshot.png"
fi
wait $player
