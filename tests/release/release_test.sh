#!/bin/sh
# The release zip: what it holds, each set's architecture, exports, manifest, imports (only
# Windows' known DLLs and tavel.dll) and versions, and that each Zan.exe starts from the unpacked
# folder where this machine runs its architecture.
#   release_test.sh ROOT I686_BUILD X86_64_BUILD
root=$1
# objdump's texts are read below: untranslated (common.sh sets the Japanese locale for Wine).
LC_ALL=C
export LC_ALL
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; return 1; fi; }

zan_version=$(sed -n 's/^ZAN  *//p' "$root/VERSION")
tavel_version=$(sed -n 's/^TAVEL  *//p' "$root/VERSION")
zip=$(sh "$root/scripts/package.sh" "$2" "$3" "$work/out") || { echo "FAILED: packaging"; exit 1; }
check "zip is named with the version" '[ "$(basename "$zip")" = Zan-$zan_version.zip ]'
unzip -q "$zip" -d "$work/unpacked"
top="$work/unpacked/Zan-$zan_version"
check "guide_ja.md is in the zip" '[ -f "$top/guide_ja.md" ]'
check "the simulated library is not shipped" '! unzip -l "$zip" | grep -qi sim'

exports="wm_Close wm_Connect wm_Count wm_Disconnect wm_Exist wm_GetIr wm_GetKey wm_GetKeyEx wm_GetMotion wm_GetStatus wm_GetSystem wm_Init wm_SetStatus wm_SetSystem wm_Version"
# Windows' known DLLs, which are never looked for in the program's folder (where a planted DLL of
# the same name would run), and COMCTL32, which the manifest binds side by side. Anything else
# (winmm, hid, setupapi) the programs load from the system folder themselves; the programs, not
# the library, also import tavel.dll.
known='kernel32|user32|gdi32|advapi32|shell32|shlwapi|comdlg32|imm32|ole32|msvcrt|comctl32'
# check_set FOLDER MINGW PE-FORMAT MANIFEST-ARCH: the four programs of one architecture.
check_set() {
    dir=$1 objdump=$2-objdump format=$3 arch=$4
    for f in Zan.exe tavel.dll tavel_monitor.exe zanset.exe; do
        check "$f is in the zip" '[ -f "$dir/$f" ]' || continue
        check "$f is $format" '$objdump -f "$dir/$f" | grep -q "file format $format\$"'
        imports=$($objdump -p "$dir/$f" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z')
        check "$f lists its imports" '[ -n "$imports" ]'
        case $f in *.exe) allowed="^($known|tavel)\.dll\$" ;; *) allowed="^($known)\.dll\$" ;; esac
        for dll in $imports; do
            check "$f imports $dll (a known DLL of Windows, or the library)" 'printf "%s\n" "$dll" | grep -Eq "$allowed"'
        done
    done
    check "the shipped tavel.dll has no simulator" '! grep -q TAVEL_SIM_SCENARIO "$dir/tavel.dll"'
    names=$($objdump -p "$dir/tavel.dll" | sed -n '/Name Pointer\] Table/,/^$/s/^.*\] \(wm_\)/\1/p' | tr '\n' ' ')
    check "tavel.dll exports the fifteen plain names" '[ "$names" = "$exports " ]'
    check "Zan.exe's manifest asks for $arch common controls" \
        '[ "$(strings "$dir/Zan.exe" | grep -c "processorArchitecture=\"$arch\"")" = 2 ]'
    # Version resources agree with what the programs show.
    check "Zan.exe carries version $zan_version" 'strings -el "$dir/Zan.exe" | grep -qx "$zan_version"'
    check "tavel.dll carries version $tavel_version" 'strings -el "$dir/tavel.dll" | grep -qx "$tavel_version"'
}
check_set "$top" i686-w64-mingw32 pei-i386 x86
check_set "$top/x64" x86_64-w64-mingw32 pei-x86-64 amd64

# start_zan ARCH SUBFOLDER: Zan.exe starts from the unpacked folder: its window appears. Other tests
# (and other runs of this one) may show Zan windows meanwhile: look for one of this very process,
# named by this run's own folder.
start_zan() {
    use_arch "$1"
    ensure_wine
    (cd "$top/$2" && "$WINE" "$top/$2Zan.exe" >/dev/null 2>&1 &)
    own="$(basename "$work").unpacked.Zan-$zan_version.${2%/}${2:+.}Zan.exe"
    started=0
    for i in $(seq 1 100); do
        pid=$(pgrep -f "$own" | head -n 1)
        if [ -n "$pid" ] && xdotool search --pid "$pid" --name '^Zan' >/dev/null 2>&1; then started=1; break; fi
        sleep 0.2
    done
    check "the $1 Zan.exe starts from the unpacked folder" '[ $started = 1 ]'
    pkill -f "$own" 2>/dev/null || true
}
ZAN_ROOT=$root BUILD_BASE=$2
. "$root/scripts/common.sh"
ensure_display
runs=$(runnable_archs)
case " $runs " in *" i686 "*) start_zan i686 "" ;; *) echo "skipped: the i686 Zan.exe is not started: $(i686_unavailable)" ;; esac
start_zan x86_64 x64/
exit $fail
