#!/bin/sh
# Builds the native fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# into build-fuzz/ (32-bit, the shipped layout) or, on a machine that cannot run 32-bit
# programs, build-fuzz-x64/ (64-bit), and runs each for a bounded time:
# sh scripts/fuzz.sh [seconds] (default 60).
# The kept inputs under tests/fuzz_inputs/ seed each run; what a run finds goes to
# build-fuzz/found/<target>/. Exit status 1 when anything was found.
set -e
. "$(dirname "$0")/common.sh"
SECONDS_EACH="${1:-60}"

sh "$ROOT/scripts/setup.sh"
if [ -z "$(i686_unavailable)" ]; then
    FUZZ_BUILD="${FUZZ_BUILD:-$ROOT/build-fuzz}" bits=32
else
    FUZZ_BUILD="${FUZZ_BUILD:-$ROOT/build-fuzz-x64}" bits=64
    echo "fuzz: 64-bit targets: $(i686_unavailable)"
fi
if [ ! -f "$FUZZ_BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT/fuzz" -B "$FUZZ_BUILD" -DCMAKE_CXX_COMPILER=clang++ \
        -DFUZZ_32BIT=$([ $bits = 32 ] && echo ON || echo OFF) >/dev/null
fi
cmake --build "$FUZZ_BUILD" -j2 >/dev/null

status=0
for pair in report:report settings:settings; do
    target=${pair%%:*}
    seeds="$ROOT/tests/fuzz_inputs/${pair#*:}"
    corpus="$FUZZ_BUILD/corpus/$target"
    found="$FUZZ_BUILD/found/$target"
    log="$FUZZ_BUILD/fuzz_$target.log"
    mkdir -p "$corpus" "$found"
    rm -f "$found"/*
    # Every input's memory stays bounded; one input may take 10 s at most.
    set +e
    "$FUZZ_BUILD/fuzz_$target" -max_total_time="$SECONDS_EACH" -max_len=4096 -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$found/" \
        "$corpus" "$seeds" >"$log" 2>&1
    rc=$?
    set -e
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    kept=$(ls "$found" | wc -l)
    if [ "$rc" -eq 0 ] && [ "$kept" -eq 0 ]; then
        echo "fuzz_$target: ${runs:-0} inputs in $SECONDS_EACH s, found nothing"
    else
        status=1
        echo "fuzz_$target: ${runs:-0} inputs, found a fault (exit $rc), kept in $found:"
        ls "$found" | sed 's/^/  /'
        grep -E '^(harness:|==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -5 | sed 's/^/  /'
    fi
done
exit $status
