#!/bin/sh
# Builds and runs the benchmarks under Wine, printing their figures: the 32-bit build where
# this machine runs 32-bit programs, else the 64-bit one.
#   sh scripts/bench.sh [remote-presses] [zan-presses]
set -e
. "$(dirname "$0")/common.sh"
prepare
echo "Benchmarks of the $ARCH build ($BUILD)"

"$WINE" "$BUILD/bin/remote_latency.exe" ${1:-1000}

# Zan's CPU, from the host's view of its process: each thread's run time in nanoseconds (the
# first field of its schedstat), with its name (Wine gives a thread its description), and the
# process's own total in clock ticks (threads that have ended included).
stat_ticks() {
    # A thread's name sits in parentheses and may hold spaces, so the fields are counted
    # from the last ")": utime and stime are the 12th and 13th after it.
    set -- ${1##*) }
    echo $(( ${12} + ${13} ))
}
# Writes "total TICKS" and a line "TID NS NAME" per thread of Zan's process to the file $1;
# nothing when Zan does not run. Threads may end while they are read: those are left out.
zan_sample() {
    : >"$1"
    pid=$(pgrep -f 'zan_e2e_latency.*Zan.exe' | head -n 1)
    [ -n "$pid" ] || return 0
    { read -r line <"/proc/$pid/stat"; } 2>/dev/null || return 0
    echo "total $(stat_ticks "$line")" >>"$1"
    for task in "/proc/$pid/task/"*; do
        { read -r ns rest <"$task/schedstat" && read -r name <"$task/comm"; } 2>/dev/null || continue
        echo "${task##*/} $ns $name" >>"$1"
    done
}
# The phase's figures from the samples at its begin ($1) and end ($2), over $3 ms: Zan's
# threads together, the same without the simulator's (named "sim ..."), and the threads that
# used CPU, busiest first, with the thread id where two share a name. A thread only in the end
# sample started during the phase and counts from 0. What a thread that ended used after the
# begin is only in the process's tick count: "ended" then shows that count less the threads
# listed (to a tick of 10 ms over the phase).
zan_cpu_report() {
    awk -v hz="$hz" -v ms="$3" -v phase="$4" '
    function rate(ns) { return sprintf("%.1f", ns / 1e6 * 1000 / ms) }
    FILENAME == ARGV[1] { if ($1 == "total") total0 = $2; else begun[$1] = $2; next }
    $1 == "total" { total = $2 - total0; next }
    {
        name = $0; sub(/^[^ ]+ [^ ]+ /, "", name)
        used = $2 - ($1 in begun ? begun[$1] : 0)
        if (used < 0) used = $2  # the id went to a new thread
        n++; tid[n] = $1; label[n] = name; ns[n] = used; named[name]++; alive[$1] = 1
        counted += used
        if (substr(name, 1, 4) == "sim ") sim += used
    }
    END {
        printf "Zan CPU while %s: %s ms per second\n", phase, rate(counted)
        printf "Zan CPU while %s, without the simulator'"'"'s threads: %s ms per second\n", phase, rate(counted - sim)
        line = ""
        for (k = 1; k <= n; k++) {
            best = 0
            for (i = 1; i <= n; i++)
                if (!(i in shown) && (best == 0 || ns[i] > ns[best])) best = i
            shown[best] = 1
            if (rate(ns[best]) + 0 < 0.1) break
            line = line (line == "" ? "" : ", ") label[best] (named[label[best]] > 1 ? "[" tid[best] "]" : "") \
                   ": " rate(ns[best])
        }
        for (t in begun)
            if (!(t in alive)) ended = 1
        if (ended)
            line = line (line == "" ? "" : ", ") "ended: " rate(total * 1e9 / hz - counted)
        printf "  per thread (ms per second): %s\n", line == "" ? "none used CPU" : line
    }' "$1" "$2"
}
hz=$(getconf CLK_TCK)
cr=$(printf '\r')
samples=$(mktemp -d)
trap 'rm -rf "$samples"; stop_wine_and_display' EXIT
# Read line by line as they come (a filter like tr would hold them back until the end).
"$WINE" "$BUILD/bin/zan_latency.exe" ${2:-500} | while read -r line; do
    line=${line%"$cr"}
    case "$line" in
    @*-begin) zan_sample "$samples/begin" ;;
    @*-end*)
        phase=${line#@}; phase=${phase%%-end*}; ms=${line##* }
        zan_sample "$samples/end"
        zan_cpu_report "$samples/begin" "$samples/end" "$ms" "$phase" ;;
    *) echo "$line" ;;
    esac
done
