#!/bin/sh
# The monitor, run against simulated remotes, lists them and prints their input.
# Usage: monitor_test.sh SIM_BIN_DIR SCENARIO_DIR
bin=$1
scenarios=$2
run() {
    TAVEL_SIM_SCENARIO="Z:$1" sh "$(dirname "$0")/../../scripts/wine-run.sh" "$bin/tavel_monitor.exe" $2
}
fail=0
expect() {
    if ! printf '%s\n' "$out" | grep -q -- "$1"; then
        echo "missing: $1"
        fail=1
    fi
}

out=$(run "$scenarios/monitor.txt" "--seconds 4" | tr -d '\r')
printf '%s\n' "$out"
expect "tavel v0.03.01"
expect "slot 0: battery 200 (100%), extension none"
expect "slot 1: battery 30 (15%) LOW, extension Nunchuk"
expect "2 remote(s) connected"
expect "slot 0: A down"
expect "slot 0: A up"
expect "slot 1: C 1"
expect "slot 1: stick X 100"
expect "slot 0: lost"

empty=$(mktemp)
out=$(run "$empty" "--list" | tr -d '\r')
rm -f "$empty"
printf '%s\n' "$out"
expect "No Wii Remote found (code 0x1000000D)"

exit $fail
