#!/usr/bin/env bash
# The fuzz targets, built natively with clang (libFuzzer, ASan, UBSan).
#   tools/fuzz.sh build            configure and build them in build/fuzz
#   tools/fuzz.sh corpus           run each target over its committed corpus once
#   tools/fuzz.sh run [SECONDS]    fuzz each target for SECONDS (default 60);
#                                  new inputs go to build/fuzz/work, crashes to
#                                  build/fuzz/artifacts (add them to the corpus
#                                  once fixed)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/fuzz"
targets=(text_rules text_codec info_hash launch_arguments subtitles png demux)

build() {
    [ -f "$out/build.ninja" ] ||
        cmake -S "$root/fuzz" -B "$out" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    cmake --build "$out" >/dev/null
}

case "${1:-}" in
build)
    build
    ;;
corpus)
    build
    status=0
    for t in "${targets[@]}"; do
        if "$out/fuzz_$t" "$root/fuzz/corpus/$t"/* >"$out/corpus-$t.log" 2>&1; then
            echo "fuzz_$t: $(ls "$root/fuzz/corpus/$t" | wc -l) inputs, no fault"
        else
            echo "fuzz_$t: FAULT (see $out/corpus-$t.log)"
            grep -E "ERROR|runtime error|SUMMARY" "$out/corpus-$t.log" | head -5
            status=1
        fi
    done
    exit $status
    ;;
run)
    build
    seconds=${2:-60}
    status=0
    for t in "${targets[@]}"; do
        mkdir -p "$out/work/$t" "$out/artifacts"
        echo "fuzz_$t: $seconds s"
        "$out/fuzz_$t" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix="$out/artifacts/$t-" \
            "$out/work/$t" "$root/fuzz/corpus/$t" >"$out/run-$t.log" 2>&1 || {
            status=1
            grep -E "ERROR|runtime error|SUMMARY|Test unit written" "$out/run-$t.log" | head -5
        }
        tail -1 "$out/run-$t.log" | grep -E "^#" || true
    done
    exit $status
    ;;
*)
    echo "usage: tools/fuzz.sh build | corpus | run [seconds]" >&2
    exit 2
    ;;
esac
