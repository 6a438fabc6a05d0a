#!/bin/sh
# Builds both architectures and writes the release zip to dist/.
set -e
. "$(dirname "$0")/common.sh"
sh "$ROOT/scripts/setup.sh"
configure_and_build i686
configure_and_build x86_64
sh "$ROOT/scripts/package.sh" "$BUILD_BASE" "$BUILD_BASE-x64" "$ROOT/dist"
