#!/bin/sh
# Sets up, builds and runs every test under Wine.
set -e
. "$(dirname "$0")/common.sh"
prepare
ctest --test-dir "$BUILD" --output-on-failure -j2 "$@"
