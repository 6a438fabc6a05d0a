#!/bin/sh
# Sets up, builds and runs every test under Wine.
set -e
. "$(dirname "$0")/common.sh"
sh "$ROOT/scripts/setup.sh"
configure_and_build
ensure_display
ensure_wine
trap stop_wine_and_display EXIT
ctest --test-dir "$BUILD" --output-on-failure -j2 "$@"
