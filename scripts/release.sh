#!/bin/sh
# Builds everything and writes the release zip to dist/.
set -e
. "$(dirname "$0")/common.sh"
sh "$ROOT/scripts/setup.sh"
configure_and_build
sh "$ROOT/scripts/package.sh" "$BUILD" "$ROOT/dist"
