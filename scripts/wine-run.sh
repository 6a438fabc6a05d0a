#!/bin/sh
# Runs a Windows program under Wine with the Wine loader of its architecture (read from its PE
# header), the project's prefix for that architecture and a Japanese locale:
#   sh scripts/wine-run.sh build/bin/zanset.exe ...   (or build-x64/bin/...)
# A WINEPREFIX set by the caller (the test script sets the one of the suite it runs) is kept.
prefix=$WINEPREFIX
. "$(dirname "$0")/common.sh"
# The PE header's machine field: 0x014c i386, 0x8664 x86-64.
machine=""
if [ -f "$1" ]; then
    pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    [ -z "$pe" ] || machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
fi
case "$machine" in
8664) use_arch x86_64 ;;
*)    use_arch i686 ;;
esac
[ -z "$prefix" ] || export WINEPREFIX="$prefix"
exec "$WINE" "$@"
