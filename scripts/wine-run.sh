#!/bin/sh
# Runs a Windows program under Wine with the project's own prefix and a Japanese locale.
# WINEPREFIX defaults to build/wineprefix so nothing depends on the user's home.
here=$(cd "$(dirname "$0")/.." && pwd)
: "${WINEPREFIX:=$here/build/wineprefix}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEARCH=win32
exec wine "$@"
