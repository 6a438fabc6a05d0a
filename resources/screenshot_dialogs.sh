#!/bin/sh
# Shows Zan's dialogs under Wine on the (virtual) display, captures each one
# from the screen and writes PNGs to build/screenshots/.
#   sh resources/screenshot_dialogs.sh [dialog ids...]   (default: 121 133)
# Run it with DISPLAY set to the display the running wineserver was started on
# (sh scripts/test.sh sets it for CTest, which runs this as resources_screenshots).
set -e
. "$(dirname "$0")/../scripts/common.sh"
ids="${*:-121 133}"
names=""
for id in $ids; do names="$names dialog_$id"; done
shoot_bmps dialog_shot zan-shots,1024x900 "$names" $ids
