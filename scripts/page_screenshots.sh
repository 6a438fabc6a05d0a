#!/bin/sh
# Shows the three assignment pages with a demo set of every kind, the options page and
# the key setting dialog under Wine, and writes PNGs to build/screenshots/.
#   sh scripts/page_screenshots.sh
set -e
. "$(dirname "$0")/common.sh"
shoot_bmps page_shots zan-pages,1024x768 \
    "page_remote page_nunchuk page_classic page_options page_key_dialog page_key_dialog_mouse"
