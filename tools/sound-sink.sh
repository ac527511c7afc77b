#!/usr/bin/env bash
# A sink that plays in real time, for the sound tests: a private PulseAudio
# server whose only sink is a null sink at 48 kHz, and a recorder of what it
# plays (tools/sound-recorder.py) that the tests read.
# Usage: sound-sink.sh start|stop BUILD_DIR
set -eu
cmd=$1
mkdir -p "$2"
build=$(cd "$2" && pwd)
dir=$build/pulse
export XDG_RUNTIME_DIR=$dir PULSE_RUNTIME_PATH=$dir PULSE_SERVER=unix:$dir/native
case "$cmd" in
start)
    bash "$0" stop "$build" || true
    mkdir -p "$dir" && chmod 700 "$dir"
    pulseaudio -n --daemonize=yes --exit-idle-time=-1 --use-pid-file=yes --log-target=file:"$dir/log" \
        -L "module-null-sink sink_name=cap rate=48000" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" 2>/dev/null
    for _ in $(seq 1 100); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
    pactl set-default-sink cap
    pactl set-default-source cap.monitor
    # Silence played all the time keeps the sink running, so that its monitor
    # (and so the recording) flows at a steady pace between the tests' sounds.
    pacat --playback --device=cap --format=s16le --rate=48000 --channels=2 --latency-msec=20 </dev/zero \
        >/dev/null 2>&1 &
    echo $! >"$dir/silence.pid"
    rm -f "$dir/heard.raw" "$dir/heard.times"
    python3 "$(dirname "$0")/sound-recorder.py" "$dir/heard" >/dev/null 2>&1 &
    echo $! >"$dir/recorder.pid"
    for _ in $(seq 1 100); do
        [ -s "$dir/heard.times" ] && break
        sleep 0.1
    done
    echo "sound sink: $PULSE_SERVER, recorded into $dir/heard.raw"
    ;;
stop)
    for pid in "$dir/recorder.pid" "$dir/silence.pid" "$dir/pid"; do
        [ -f "$pid" ] && kill "$(cat "$pid")" 2>/dev/null || true
        rm -f "$pid"
    done
    ;;
*)
    echo "usage: sound-sink.sh start|stop BUILD_DIR" >&2
    exit 2
    ;;
esac
