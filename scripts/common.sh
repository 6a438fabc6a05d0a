# Shared by the scripts: the two Windows architectures, their build trees and Wine prefixes,
# the display.
#   i686    build/       (BUILD_BASE), the shipped 32-bit binaries, prefix build/wineprefix
#   x86_64  build-x64/   (BUILD_BASE-x64), the 64-bit set, prefix build-x64/wineprefix
# Each architecture runs under its own Wine loader and wineserver, called directly: Debian's
# wine launcher takes the 32-bit loader whenever wine32 is installed, even where it cannot run.
# A script outside scripts/ names the root in ZAN_ROOT before it sources this file.
ROOT=${ZAN_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
BUILD_BASE="${BUILD_BASE:-$ROOT/build}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
WINE32_LOADER=/usr/lib/wine/wine

# use_arch i686|x86_64: BUILD, WINEPREFIX, WINE, WINESERVER, WINEARCH and MINGW (the
# tool prefix) of that architecture.
use_arch() {
    ARCH=$1
    case "$ARCH" in
    i686)   BUILD="$BUILD_BASE"; MINGW=i686-w64-mingw32; WINEARCH=win32
            WINE=$WINE32_LOADER; WINESERVER=/usr/lib/wine/wineserver32 ;;
    x86_64) BUILD="$BUILD_BASE-x64"; MINGW=x86_64-w64-mingw32; WINEARCH=win64
            WINE=/usr/lib/wine/wine64; WINESERVER=/usr/lib/wine/wineserver64 ;;
    *) echo "unknown architecture: $ARCH" >&2; return 1 ;;
    esac
    WINEPREFIX="$BUILD/wineprefix"
    export ARCH BUILD WINEPREFIX WINE WINESERVER WINEARCH WINELOADER="$WINE"
}

# Why this machine cannot run the 32-bit Wine loader, or nothing when it can (the kernel may
# lack 32-bit support: "Exec format error").
i686_unavailable() {
    if [ ! -e "$WINE32_LOADER" ]; then
        echo "$WINE32_LOADER is not installed"
    elif ! err=$("$WINE32_LOADER" --version 2>&1 >/dev/null); then
        err=$(printf '%s\n' "$err" | tail -n 1 | sed 's/.*: //')
        echo "this machine cannot run 32-bit programs ($WINE32_LOADER: ${err:-failed})"
    fi
}

# The architectures that run here, the shipped one first; ZAN_ARCHS (e.g. "x86_64") narrows them.
runnable_archs() {
    for a in ${ZAN_ARCHS:-i686 x86_64}; do
        if [ "$a" != i686 ] || [ -z "$(i686_unavailable)" ]; then printf '%s ' "$a"; fi
    done
}

# The architecture a single program run uses: the shipped 32-bit one where it runs.
pick_arch() {
    set -- $(runnable_archs)
    use_arch "${1:-x86_64}"
}

# configure_and_build [ARCH]: the build tree of ARCH (default: the current one).
configure_and_build() {
    [ -z "$1" ] || use_arch "$1"
    if [ ! -f "$BUILD/CMakeCache.txt" ]; then
        # The x86_64 tree's release test packs and checks the i686 tree's binaries too.
        cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$ARCH.cmake" \
            -DCMAKE_BUILD_TYPE=Release $([ "$ARCH" = x86_64 ] && echo "-DZAN_I686_BUILD=$BUILD_BASE") >/dev/null
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

# The prefix of the current architecture lives in its build tree; a persistent wineserver
# keeps each test start fast.
ensure_wine() {
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$WINE" wineboot -i >/dev/null 2>&1 || true
        "$WINESERVER" -w
    fi
    # Lingers 60 s after the last Wine process, so runs that overlap share it and none kills it.
    "$WINESERVER" -p60 >/dev/null 2>&1 || true
    # Relative pointer moves land where they are sent: no acceleration in the test prefix.
    if [ ! -f "$WINEPREFIX/.mouse-unaccelerated" ]; then
        for v in MouseSpeed MouseThreshold1 MouseThreshold2; do
            "$WINE" reg add 'HKCU\Control Panel\Mouse' /v $v /t REG_SZ /d 0 /f >/dev/null 2>&1 || true
        done
        touch "$WINEPREFIX/.mouse-unaccelerated"
    fi
    # Wine's notification area is a window of explorer.exe; unmanaged, removing Zan's icon
    # does not wait two seconds for a window manager that bare Xvfb does not have.
    if [ ! -f "$WINEPREFIX/.tray-unmanaged" ]; then
        "$WINE" reg add 'HKCU\Software\Wine\AppDefaults\explorer.exe\X11 Driver' /v Managed /t REG_SZ /d N /f \
            >/dev/null 2>&1 || true
        touch "$WINEPREFIX/.tray-unmanaged"
    fi
    # Start Wine's own services now, detached from the test runner's output pipes,
    # which they would otherwise hold open after a test ends.
    "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
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
        "$WINE" reg add "$key" /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f >/dev/null 2>&1
    done
    subst='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    "$WINE" reg add "$subst" /v "MS Shell Dlg" /t REG_SZ /d "MS UI Gothic" /f >/dev/null 2>&1
    link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    for face in Tahoma "Microsoft Sans Serif" "MS UI Gothic"; do
        "$WINE" reg add "$link" /v "$face" /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic' /f >/dev/null 2>&1
    done
    touch "$WINEPREFIX/.windows-fonts"
}

# Other runs may still use the display and the wineserver: only CI, which runs alone, stops them.
stop_wine_and_display() {
    if [ "$CI" = true ]; then
        for a in i686 x86_64; do
            (use_arch $a && [ -d "$WINEPREFIX" ] && "$WINESERVER" -k >/dev/null 2>&1) || true
        done
        if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
    fi
}

# Everything a single program run needs: packages, the build of the architecture that runs
# here, a display and its wineserver.
prepare() {
    sh "$ROOT/scripts/setup.sh"
    pick_arch
    configure_and_build
    ensure_display
    ensure_wine
    trap stop_wine_and_display EXIT
}
