#!/bin/sh
# Installs everything needed to build, test and run from Debian packages.
# Idempotent: returns quickly when everything is already there.
set -e

# Both Windows architectures: the MinGW-w64 compilers of each, and Wine's 64-bit loader beside
# the 32-bit one (which installs everywhere but runs only where the kernel runs 32-bit programs).
# The last line: clang with libFuzzer and the 32-bit C++ runtime for the native fuzz targets,
# and gcovr for the coverage figures.
PACKAGES="cmake make g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix \
binutils-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev googletest wine wine64 wine32:i386 \
xvfb x11-utils imagemagick xdotool fonts-noto-cjk fonts-ipafont-gothic locales zip unzip procps binutils python3 \
clang libclang-rt-14-dev lib32stdc++-12-dev lib32gcc-12-dev libc6-dev-i386 linux-libc-dev:i386 gcovr"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    if [ "$(id -u)" != 0 ]; then
        echo "setup: missing packages:$missing (run as root to install)" >&2
        exit 1
    fi
    if ! dpkg --print-foreign-architectures | grep -q i386; then
        dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends $missing
fi

# Japanese locale so Wine uses the CP932 ANSI code page.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    if [ "$(id -u)" = 0 ]; then
        sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
        grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
        locale-gen >/dev/null
    fi
fi
