#!/bin/sh
# Builds and runs the benchmarks under Wine, printing their figures.
set -e
. "$(dirname "$0")/common.sh"
sh "$ROOT/scripts/setup.sh"
configure_and_build
ensure_display
ensure_wine
trap stop_wine_and_display EXIT
wine "$BUILD/bin/remote_latency.exe" "$@"
