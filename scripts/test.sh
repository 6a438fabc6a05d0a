#!/bin/sh
# Sets up, builds both architectures and runs the whole suite under Wine on each one that this
# machine runs: x86_64 always, i686 (the shipped binaries) where 32-bit programs run. The
# i686 binaries are built everywhere; the release test in the x86_64 suite checks them.
# Extra arguments go to CTest, e.g. sh scripts/test.sh -R remote_io; ZAN_ARCHS=x86_64 runs one.
set -e
. "$(dirname "$0")/common.sh"
sh "$ROOT/scripts/setup.sh"
for arch in i686 x86_64; do
    configure_and_build $arch
done
ensure_display
trap stop_wine_and_display EXIT

why=$(i686_unavailable)
ran="" failed="" passed=0 failures=0
for arch in $(runnable_archs); do
    use_arch $arch
    echo "== $arch: $BUILD, prefix $WINEPREFIX"
    ensure_wine
    log="$BUILD/ctest.log"
    status=0
    ctest --test-dir "$BUILD" --output-on-failure -j2 "$@" 2>&1 | tee "$log" || true
    # tee hides ctest's status; its summary line says what happened.
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$line" ]; then
        echo "== $arch: CTest ran no test"
        failed="$failed $arch"
        continue
    fi
    total=$(echo "$line" | sed 's/.* out of \([0-9]*\).*/\1/')
    bad=$(echo "$line" | sed 's/.*passed, \([0-9]*\) tests\{0,1\} failed.*/\1/')
    passed=$((passed + total - bad))
    failures=$((failures + bad))
    ran="$ran $arch"
    [ "$bad" -eq 0 ] || failed="$failed $arch"
done

echo
echo "== suites run:${ran:- none}${failed:+; failing:$failed}"
if [ -n "$why" ]; then
    echo "== i686 suite skipped: $why (its binaries were built; the release test checked them)"
fi
echo "tests: $passed passed, $failures failed"
[ -z "$failed" ] && [ -n "$ran" ]
