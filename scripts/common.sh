# Shared by the run and test scripts: build tree, Wine prefix, display.
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="${BUILD:-$ROOT/build}"
export WINEPREFIX="${WINEPREFIX:-$BUILD/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win32
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

configure_and_build() {
    if [ ! -f "$BUILD/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
            -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    cmake --build "$BUILD" -j"$(nproc)"
}

# A virtual display when there is none, so windows can be created and shot.
ensure_display() {
    if [ -n "$DISPLAY" ] && xdpyinfo >/dev/null 2>&1; then
        return
    fi
    n=99
    while [ -e "/tmp/.X$n-lock" ]; do
        if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
            export DISPLAY=":$n"
            return
        fi
        n=$((n + 1))
    done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    i=0
    while ! xdpyinfo >/dev/null 2>&1 && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
}

# The prefix lives in the build tree; a persistent wineserver keeps each test start fast.
ensure_wine() {
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    # Lingers 60 s after the last Wine process, so runs that overlap share it and none kills it.
    wineserver -p60 >/dev/null 2>&1 || true
    # Relative pointer moves land where they are sent: no acceleration in the test prefix.
    if [ ! -f "$WINEPREFIX/.mouse-unaccelerated" ]; then
        for v in MouseSpeed MouseThreshold1 MouseThreshold2; do
            wine reg add 'HKCU\Control Panel\Mouse' /v $v /t REG_SZ /d 0 /f >/dev/null 2>&1 || true
        done
        touch "$WINEPREFIX/.mouse-unaccelerated"
    fi
    # Start Wine's own services now, detached from the test runner's output pipes,
    # which they would otherwise hold open after a test ends.
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Other runs may still use the display and the wineserver: only CI, which runs alone, stops them.
stop_wine_and_display() {
    if [ "$CI" = true ]; then
        wineserver -k >/dev/null 2>&1 || true
        if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
    fi
}

# Everything a run under Wine needs: packages, a build, a display and the wineserver.
prepare() {
    sh "$ROOT/scripts/setup.sh"
    configure_and_build
    ensure_display
    ensure_wine
    trap stop_wine_and_display EXIT
}
