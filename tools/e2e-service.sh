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
    nohup python3 "$root/tools/swarm_service.py" "$state/swarm" --port 0 \
        --hash 6A9759BFFD5C0AF65319979FB7832189F4F3C35D --ready-file "$state/port" >"$state/service.log" 2>&1 &
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
