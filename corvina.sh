#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine:
#   ./corvina.sh run    install what is missing, build, start the player
#   ./corvina.sh test   install what is missing, build both architectures, run every test
#   ./corvina.sh build  install what is missing, build both architectures
#   ./corvina.sh fuzz [seconds]  install what is missing, fuzz each target that long
set -eu
cd "$(dirname "$0")"
root=$(pwd)

packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    mingw-w64-tools libz-mingw-w64-dev
    wine64 wine xvfb xauth x11-utils imagemagick fonts-wqy-microhei fonts-wine
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
    gstreamer1.0-libav libgl1-mesa-dri ffmpeg googletest cmake ninja-build python3 locales
    clang libclang-rt-14-dev zlib1g-dev
    nasm meson pkg-config dpkg-dev pulseaudio pulseaudio-utils
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build_preset() {
    local preset=$1
    [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
}

xvfb_pid=""
ensure_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$n"
        export CORVINA_VIRTUAL_DISPLAY=1
        for _ in $(seq 1 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && return 0
            sleep 0.1
        done
        echo "Xvfb did not start on :$n" >&2
        return 1
    done
    return 1
}

cleanup() {
    WINEPREFIX="$root/build/win64/wineprefix" wineserver -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}

cmd=${1:-}
case "$cmd" in
fuzz)
    install_missing
    exec bash tools/fuzz.sh run "${2:-60}"
    ;;
build)
    install_missing
    build_preset win32
    build_preset win64
    ;;
test)
    install_missing
    build_preset win32
    build_preset win64
    ensure_display
    trap cleanup EXIT
    set +e
    (cd build/win64 && ctest --output-on-failure --timeout 900 "${@:2}")
    status=$?
    exit $status
    ;;
run)
    install_missing
    build_preset win64
    ensure_display
    trap cleanup EXIT
    bash tools/run-demo.sh "$root/build/win64" "${@:2}"
    ;;
*)
    echo "usage: $0 run|test|build" >&2
    exit 2
    ;;
esac
