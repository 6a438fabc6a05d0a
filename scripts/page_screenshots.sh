#!/bin/sh
# Shows the three assignment pages with a demo set of every kind, the options page and
# the key setting dialog under Wine, and writes PNGs to build/screenshots/.
#   sh scripts/page_screenshots.sh
set -e
. "$(dirname "$0")/common.sh"
OUT="$BUILD/screenshots"

if [ ! -f "$BUILD/CMakeCache.txt" ]; then configure_and_build; fi
cmake --build "$BUILD" --target page_shots >/dev/null
ensure_display
ensure_wine
# Only the display this script started is stopped; the wineserver may serve others.
trap '[ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true' EXIT

mkdir -p "$OUT"
# A Wine virtual desktop draws captions and frames itself; bare Xvfb has no window manager.
wine explorer /desktop=zan-pages,1024x768 "$BUILD/bin/page_shots.exe" "$(winepath -w "$OUT")"
for name in page_remote page_nunchuk page_classic page_options page_key_dialog page_key_dialog_mouse; do
    convert "$OUT/$name.bmp" "$OUT/$name.png"
    rm -f "$OUT/$name.bmp"
    echo "$OUT/$name.png"
done
