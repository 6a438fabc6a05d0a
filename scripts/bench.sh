#!/bin/sh
# Builds and runs the benchmarks under Wine, printing their figures.
set -e
. "$(dirname "$0")/common.sh"
prepare
wine "$BUILD/bin/remote_latency.exe" "$@"
