#!/bin/sh
# The monitor, run against simulated remotes, lists them and prints their input.
# Usage: monitor_test.sh SIM_BIN_DIR SCENARIO_DIR
bin=$1
here=$(dirname "$0")
fail=0
# check SCENARIO OPTIONS TEXT...: runs the monitor; each TEXT must be in what it prints.
check() {
    out=$(TAVEL_SIM_SCENARIO="Z:$1" sh "$here/../../scripts/wine-run.sh" "$bin/tavel_monitor.exe" $2 | tr -d '\r')
    printf '%s\n' "$out"
    shift 2
    for text in "$@"; do
        printf '%s\n' "$out" | grep -q -- "$text" || { echo "missing: $text"; fail=1; }
    done
}

check "$2/monitor.txt" "--seconds 4" "tavel v$(sed -n 's/^TAVEL  *//p' "$here/../../VERSION")" \
    "slot 0: battery 200 (100%), extension none" "slot 1: battery 30 (15%) LOW, extension Nunchuk" \
    "2 remote(s) connected" "slot 0: A down" "slot 0: A up" "slot 1: C 1" "slot 1: stick X 100" "slot 0: lost"
empty=$(mktemp)
check "$empty" "--list" "No Wii Remote found (code 0x1000000D)"
rm -f "$empty"
exit $fail
