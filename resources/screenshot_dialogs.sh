#!/bin/sh
# Shows Zan's dialogs under Wine on the (virtual) display, captures each one
# from the screen and writes PNGs to build/screenshots/.
#   sh resources/screenshot_dialogs.sh [dialog ids...]   (default: 121 133)
# Run it with DISPLAY set to the display the running wineserver was started on
# (sh scripts/test.sh sets it for CTest, which runs this as resources_screenshots).
set -e
. "$(dirname "$0")/../scripts/common.sh"
OUT="$BUILD/screenshots"
ids="${*:-121 133}"

if [ ! -f "$BUILD/CMakeCache.txt" ]; then configure_and_build; fi
cmake --build "$BUILD" --target dialog_shot >/dev/null
ensure_display
ensure_wine
# Only the display this script started is stopped; the wineserver may serve others.
trap '[ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true' EXIT

mkdir -p "$OUT"
# A Wine virtual desktop draws captions and frames itself; bare Xvfb has no
# window manager to do it.
wine explorer /desktop=zan-shots,1024x900 "$BUILD/bin/dialog_shot.exe" "$(winepath -w "$OUT")" $ids
for id in $ids; do
    convert "$OUT/dialog_$id.bmp" "$OUT/dialog_$id.png"
    rm -f "$OUT/dialog_$id.bmp"
    echo "$OUT/dialog_$id.png"
done
