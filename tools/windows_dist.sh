#!/bin/sh
# Packs the cross-built Windows program into OUT/kinetrace-<version>-win64.zip:
#   tools/windows_dist.sh BUILD_FOLDER OUT_FOLDER
# The zip holds one folder: the two programs, the font with its licence, the README for
# Windows users and the example alias file, text files with CR LF line ends.
set -eu

build=${1:-build-windows}
out=${2:-dist}
top=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/.*KINETRACE_VERSION "\(.*\)".*/\1/p' "$top/src/app/version.h")
name=kinetrace-$version-win64
font_licence=/usr/share/doc/fonts-vlgothic/copyright

for f in kinetrace.exe kinetrace.com mplus-2m-regular.ttf; do
  [ -e "$build/bin/$f" ] || { echo "windows_dist.sh: $build/bin/$f is missing" >&2; exit 1; }
done
[ -r "$font_licence" ] || { echo "windows_dist.sh: no $font_licence (fonts-vlgothic)" >&2; exit 1; }

mkdir -p "$out"
out=$(cd "$out" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
for f in kinetrace.exe kinetrace.com mplus-2m-regular.ttf; do
  cp "$build/bin/$f" "$stage/$name/"
done
crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$1" >"$2"; }
sed "s/@VERSION@/$version/" "$top/packaging/windows/README-windows.txt" >"$stage/readme"
crlf "$stage/readme" "$stage/$name/README-windows.txt"
crlf "$top/packaging/windows/alias-example.ini" "$stage/$name/alias-example.ini"
crlf "$font_licence" "$stage/$name/LICENSE-font.txt"
rm -f "$stage/readme" "$out/$name.zip"
(cd "$stage" && TZ=UTC zip -q -X -r "$out/$name.zip" "$name")
echo "windows_dist.sh: $out/$name.zip"
