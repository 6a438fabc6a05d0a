#!/bin/sh
# Sets up and builds everything; starts Zan once it exists.
set -e
. "$(dirname "$0")/common.sh"
sh "$ROOT/scripts/setup.sh"
configure_and_build
echo "Built in $BUILD/bin:"
ls -1 "$BUILD/bin"
