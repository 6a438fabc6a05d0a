#!/bin/sh
# The release zip: what it holds, that its programs import only Windows' own DLLs (and
# tavel.dll), that the versions agree, and that Zan.exe starts from the unpacked folder.
#   release_test.sh ROOT BUILD
root=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() { if ! eval "$2"; then echo "FAILED: $1"; fail=1; else echo "ok: $1"; fi; }

zan_version=$(sed -n 's/^ZAN  *//p' "$root/VERSION")
tavel_version=$(sed -n 's/^TAVEL  *//p' "$root/VERSION")
zip=$(sh "$root/scripts/package.sh" "$build" "$work/out") || { echo "FAILED: packaging"; exit 1; }
check "zip is named with the version" '[ "$(basename "$zip")" = Zan-$zan_version.zip ]'
unzip -q "$zip" -d "$work/unpacked"
dir="$work/unpacked/Zan-$zan_version"
for f in Zan.exe tavel.dll tavel_monitor.exe zanset.exe guide_ja.md; do
    check "$f is in the zip" '[ -f "$dir/$f" ]'
done
check "the simulated library is not shipped" '! unzip -l "$zip" | grep -qi sim'
check "the shipped tavel.dll has no simulator" '! grep -q TAVEL_SIM_SCENARIO "$dir/tavel.dll"'

allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|winmm|msvcrt|hid|setupapi|imm32|advapi32|ole32|tavel)\.dll$'
for f in Zan.exe tavel.dll tavel_monitor.exe zanset.exe; do
    imports=$(i686-w64-mingw32-objdump -p "$dir/$f" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z')
    for dll in $imports; do
        check "$f imports $dll (a Windows DLL, or the library)" 'printf "%s\n" "$dll" | grep -Eq "$allowed"'
    done
done

# Version resources agree with what the programs show.
for pair in "Zan.exe:$zan_version" "tavel.dll:$tavel_version"; do
    f=${pair%%:*}; v=${pair#*:}
    check "$f carries version $v" 'strings -el "$dir/$f" | grep -qx "$v"'
done

# Zan.exe starts from the unpacked folder: its window appears.
. "$root/scripts/common.sh"
ensure_display
ensure_wine
(cd "$dir" && wine "$dir/Zan.exe" >/dev/null 2>&1 &)
# Other tests (and other runs of this one) may show Zan windows meanwhile: look for one of this
# very process, named by this run's own folder.
own="$(basename "$work").unpacked.Zan-$zan_version.Zan.exe"
started=0
for i in $(seq 1 100); do
    pid=$(pgrep -f "$own" | head -n 1)
    if [ -n "$pid" ] && xdotool search --pid "$pid" --name '^Zan' >/dev/null 2>&1; then started=1; break; fi
    sleep 0.2
done
check "Zan.exe starts from the unpacked folder" '[ $started = 1 ]'
pkill -f "$own" 2>/dev/null || true
exit $fail
