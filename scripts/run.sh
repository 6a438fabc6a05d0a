#!/bin/sh
# Sets up, builds and starts Zan.exe with the shipped tavel.dll under Wine: the 32-bit build
# where this machine runs 32-bit programs, else the 64-bit one (build-x64/).
#   sh scripts/run.sh [Zan's command line]
#   ZAN_SCENARIO=simulator/scenarios/monitor.txt sh scripts/run.sh   # simulated remotes instead
# With a display Zan runs there until you close it. Without one it runs on a virtual
# display of its own: a screenshot of the main window is saved in build/screenshots/ and
# Zan is ended with that display.
set -e
. "$(dirname "$0")/common.sh"
sh "$ROOT/scripts/setup.sh"
pick_arch
configure_and_build
bin="$BUILD/bin"
if [ -n "$ZAN_SCENARIO" ]; then
    # The simulated tavel.dll reads its remotes from the scenario file.
    bin="$BUILD/bin/sim"
    TAVEL_SIM_SCENARIO="Z:$(realpath "$ZAN_SCENARIO")"
    export TAVEL_SIM_SCENARIO
fi

if [ -n "$DISPLAY" ] && xdpyinfo >/dev/null 2>&1; then
    ensure_wine
    echo "Starting $bin/Zan.exe ($ARCH) on $DISPLAY"
    exec "$WINE" "$bin/Zan.exe" "$@"
fi

n=150
while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$n"
i=0
while ! xdpyinfo >/dev/null 2>&1 && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
ensure_wine
echo "No display: running $bin/Zan.exe ($ARCH) on the virtual display $DISPLAY"
"$WINE" explorer "/desktop=Zan$n,800x760" "$bin/Zan.exe" "$@" >/dev/null 2>&1 &
launcher=$!
sleep 8
mkdir -p "$BUILD/screenshots"
shot="$BUILD/screenshots/run_main_window.png"
import -window root -crop 640x740+0+0 +repage "$shot"
echo "Screenshot of the main window: $shot"
# Ending the display ends the Wine programs on it, Zan included.
kill "$xvfb" 2>/dev/null || true
wait "$launcher" 2>/dev/null || true
