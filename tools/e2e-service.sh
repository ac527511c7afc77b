#!/usr/bin/env bash
# Starts or stops the swarm service for the end-to-end test.
# Usage: e2e-service.sh start|stop BUILD_DIR
set -eu
action=$1
build_dir=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
state="$build_dir/e2e"
case "$action" in
start)
    rm -rf "$state"
    mkdir -p "$state/swarm"
    [ -f "$build_dir/media/media.stamp" ] || bash "$root/tools/make-test-media.sh" "$build_dir/media" >/dev/null
    cp "$build_dir/media/big-tail.mp4" "$state/swarm/1 第一集.mp4"
    cp "$build_dir/media/bars.mp4" "$state/swarm/2 第二集.mp4"
    # A second swarm: a movie with its subtitles (GBK, as most swarms carry them).
    mkdir -p "$state/swarm-subtitled"
    cp "$build_dir/media/bars.mp4" "$state/swarm-subtitled/3 第三集.mp4"
    printf '1\r\n00:00:00,000 --> 00:00:30,000\r\n%s\r\n' "$(printf '字幕 SUBTITLE' | iconv -f UTF-8 -t GBK)" \
        >"$state/swarm-subtitled/3 第三集.chs.srt"
    nohup python3 "$root/tools/swarm_service.py" "$state/swarm" "$state/swarm-subtitled" --port 0 \
        --hash 6A9759BFFD5C0AF65319979FB7832189F4F3C35D --hash 5B1D4E0C8F2A7B6D9E3C1A0F2B4D6E8A0C2E4F61 \
        --ready-file "$state/port" >"$state/service.log" 2>&1 &
    echo $! >"$state/pid"
    for _ in $(seq 1 100); do
        [ -s "$state/port" ] && exit 0
        sleep 0.1
    done
    echo "the swarm service did not start" >&2
    cat "$state/service.log" >&2
    exit 1
    ;;
stop)
    [ -f "$state/pid" ] && kill "$(cat "$state/pid")" 2>/dev/null || true
    ;;
esac
