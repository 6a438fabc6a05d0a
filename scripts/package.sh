#!/bin/sh
# Writes the release zip from the two builds: Zan.exe, the shipped tavel.dll, the remote
# monitor and the settings-file tool of the 32-bit build, the same four of the 64-bit build in
# x64/, and the Japanese user guide with its pictures.
#   package.sh I686_BUILD_DIR X86_64_BUILD_DIR OUT_DIR   -> OUT_DIR/Zan-<version>.zip
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
build64=$2
out=$3
version=$(sed -n 's/^ZAN  *//p' "$root/VERSION")
[ -n "$version" ] || { echo "package: no Zan version in VERSION" >&2; exit 1; }

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dir="$stage/Zan-$version"
mkdir -p "$dir/x64"
# The shipped library is bin/tavel.dll; the simulated one in bin/sim never ships.
for f in Zan.exe tavel.dll tavel_monitor.exe zanset.exe; do
    cp "$build/bin/$f" "$dir/"
    cp "$build64/bin/$f" "$dir/x64/"
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
