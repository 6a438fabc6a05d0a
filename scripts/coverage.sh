#!/bin/sh
# Line and branch coverage of the product code from one run of the whole CTest suite.
#
# Counts: the sources and headers under remote_io/ (tavel.dll, in both its shipped and its
# simulated build), mapper/ and ui/ (Zan). Not counted: tests/ (with the simulated remote),
# tools/, resources/ and GoogleTest. Branches are gcov's branches with those that only
# exception unwinding takes, and those the compiler proves unreachable, left out.
#
# Builds build-coverage/ (-DZAN_COVERAGE=ON: gcc --coverage, -O0; the normal build/ is not
# touched) for i686 where this machine runs 32-bit programs, else build-coverage-x64/ for
# x86_64, runs CTest under Wine with -j2, and writes coverage.txt and the HTML report
# coverage/index.html in that tree. It ends by printing the two figures.
# Extra arguments go to CTest (e.g. -R mapper to measure part of the suite).
#
# Each object's .gcda name is the absolute Linux path of its build folder; GCOV_PREFIX=Z:
# makes the Windows processes write it through Wine's Z: drive (which maps to /), whatever
# drive they run on. Every test process adds its counts to the same files when it exits.
# The prefix is left out of gcovr's search: its z: link leads to / and other build trees.
set -e
BUILD_BASE="$(cd "$(dirname "$0")/.." && pwd)/build-coverage"
. "$(dirname "$0")/common.sh"

sh "$ROOT/scripts/setup.sh"
pick_arch
echo "coverage of the $ARCH build ($BUILD)"
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$ARCH.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DZAN_COVERAGE=ON >/dev/null
fi
cmake --build "$BUILD" -j2
ensure_display
ensure_wine
trap stop_wine_and_display EXIT

# Counts from an earlier run would be added to this one's.
find "$BUILD" -name '*.gcda' -delete
export GCOV_PREFIX=Z:
status=0
ctest --test-dir "$BUILD" --output-on-failure -j2 "$@" || status=$?
gcda=$(find "$BUILD" -name '*.gcda' | wc -l)
if [ "$gcda" -eq 0 ]; then
    echo "coverage: no .gcda files under $BUILD: the test processes wrote no counts" >&2
    exit 1
fi

cd "$ROOT"
mkdir -p "$BUILD/coverage"
gcovr -j 2 --root "$ROOT" --object-directory "$BUILD" \
    --gcov-executable $MINGW-gcov \
    --exclude-directories '.*wineprefix.*' \
    --filter 'remote_io/' --filter 'mapper/' --filter 'ui/' \
    --exclude-throw-branches --exclude-unreachable-branches \
    --txt "$BUILD/coverage.txt" --html-details "$BUILD/coverage/index.html" \
    --json-summary "$BUILD/coverage-summary.json" >/dev/null
if [ "$status" -ne 0 ]; then
    echo "coverage: some tests failed (ctest status $status); the figures include only what ran" >&2
fi
python3 - "$BUILD/coverage-summary.json" "$BUILD" <<'EOF'
import json, sys
s = json.load(open(sys.argv[1]))
print("coverage report: %s/coverage.txt, %s/coverage/index.html" % (sys.argv[2], sys.argv[2]))
print("lines:    %.1f%% (%d of %d)" % (s["line_percent"], s["line_covered"], s["line_total"]))
print("branches: %.1f%% (%d of %d)" % (s["branch_percent"], s["branch_covered"], s["branch_total"]))
EOF
exit "$status"
