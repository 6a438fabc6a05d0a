#!/bin/sh
# Builds and runs the benchmarks under Wine, printing their figures: the 32-bit build where
# this machine runs 32-bit programs, else the 64-bit one.
#   sh scripts/bench.sh [remote-presses] [zan-presses]
set -e
. "$(dirname "$0")/common.sh"
prepare
echo "Benchmarks of the $ARCH build ($BUILD)"

"$WINE" "$BUILD/bin/remote_latency.exe" ${1:-1000}

# CPU seconds (user + system) of Zan's process, from the host's view of it.
zan_cpu_ticks() {
    pid=$(pgrep -f 'zan_e2e_latency.*Zan.exe' | head -n 1)
    [ -n "$pid" ] && awk '{ print $14 + $15 }' "/proc/$pid/stat" || echo 0
}
hz=$(getconf CLK_TCK)
cr=$(printf '\r')
# Read line by line as they come (a filter like tr would hold them back until the end).
"$WINE" "$BUILD/bin/zan_latency.exe" ${2:-500} | while read -r line; do
    line=${line%"$cr"}
    case "$line" in
    @*-begin) start=$(zan_cpu_ticks) ;;
    @*-end*)
        phase=${line#@}; phase=${phase%%-end*}; ms=${line##* }
        end=$(zan_cpu_ticks)
        echo "Zan CPU while $phase: $(( (end - start) * 1000 / hz * 1000 / ms )) ms per second" ;;
    *) echo "$line" ;;
    esac
done
