#!/bin/sh
# Writes the release zip from an existing build: Zan.exe, the shipped tavel.dll, the remote
# monitor, the settings-file tool and the Japanese user guide with its pictures.
#   package.sh BUILD_DIR OUT_DIR   -> OUT_DIR/Zan-<version>.zip
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
out=$2
version=$(sed -n 's/^ZAN  *//p' "$root/VERSION")
[ -n "$version" ] || { echo "package: no Zan version in VERSION" >&2; exit 1; }

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dir="$stage/Zan-$version"
mkdir -p "$dir"
# The shipped library is build/bin/tavel.dll; the simulated one in build/bin/sim never ships.
for f in Zan.exe tavel.dll tavel_monitor.exe zanset.exe; do
    cp "$build/bin/$f" "$dir/"
done
cp "$root/docs/guide_ja.md" "$dir/"
if [ -d "$root/docs/images" ]; then
    mkdir -p "$dir/images"
    cp "$root"/docs/images/*.png "$dir/images/"
fi
mkdir -p "$out"
rm -f "$out/Zan-$version.zip"
(cd "$stage" && zip -qr "$out/Zan-$version.zip" "Zan-$version")
echo "$out/Zan-$version.zip"
