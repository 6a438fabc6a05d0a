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
    # Wine's notification area is a window of explorer.exe; unmanaged, removing Zan's icon
    # does not wait two seconds for a window manager that bare Xvfb does not have.
    if [ ! -f "$WINEPREFIX/.tray-unmanaged" ]; then
        wine reg add 'HKCU\Software\Wine\AppDefaults\explorer.exe\X11 Driver' /v Managed /t REG_SZ /d N /f \
            >/dev/null 2>&1 || true
        touch "$WINEPREFIX/.tray-unmanaged"
    fi
    # Start Wine's own services now, detached from the test runner's output pipes,
    # which they would otherwise hold open after a test ends.
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Debian's IPA fonts under the names of the Windows UI fonts (MS UI Gothic and MS PGothic are
# proportional like IPAPGothic, MS Gothic is fixed like IPAGothic; Meiryo has no free twin and
# gets the proportional one), and the dialog font linked to MS UI Gothic as on a Japanese
# Windows: without them Wine falls back to a wider CJK font and cuts dialog texts off.
ensure_windows_fonts() {
    if [ -f "$WINEPREFIX/.windows-fonts" ]; then
        return
    fi
    key='HKCU\Software\Wine\Fonts\Replacements'
    for pair in "MS UI Gothic=IPAPGothic" "MS PGothic=IPAPGothic" "ＭＳ Ｐゴシック=IPAPGothic" \
                "MS Gothic=IPAGothic" "ＭＳ ゴシック=IPAGothic" "Meiryo=IPAPGothic" "メイリオ=IPAPGothic" \
                "Meiryo UI=IPAPGothic"; do
        wine reg add "$key" /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f >/dev/null 2>&1
    done
    subst='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    wine reg add "$subst" /v "MS Shell Dlg" /t REG_SZ /d "MS UI Gothic" /f >/dev/null 2>&1
    link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    for face in Tahoma "Microsoft Sans Serif" "MS UI Gothic"; do
        wine reg add "$link" /v "$face" /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic' /f >/dev/null 2>&1
    done
    touch "$WINEPREFIX/.windows-fonts"
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
