#!/bin/sh
# Checks what `make package` built, as CI does after `make check`:
#   1. the install tree (cmake --install into a temporary DESTDIR): files present, links
#      resolve, the desktop entry and AppStream file validate, the file type is found by
#      name and by signature, the manual page renders and names every option of --help,
#      and the program finds its font through its bin/ link from another folder;
#   2. the Debian package: lintian reports no error or warning, it installs with apt-get,
#      the installed kinetrace reports and renders a motion from another working
#      directory (font and the user's alias.ini found), and it is removed again.
#   tools/check_package.sh [BUILD_DIR]   (default build-package; needs root for step 2)
set -eu
cd "$(dirname "$0")/.."
repo=$(pwd)
build=${1:-build-package}
id=io.github.kinetrace.Kinetrace
sample=$repo/samples/sample.vmd
tmp=$(mktemp -d /tmp/kinetrace-package.XXXXXX)
trap 'rm -rf "$tmp"' EXIT

fail() {
  echo "check_package: FAIL: $*" >&2
  exit 1
}

# ---- 1. The install tree ----
root=$tmp/root
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
usr=$root/usr
for f in lib/kinetrace/kinetrace lib/kinetrace/kinetrace-qt.so lib/kinetrace/mplus-2m-regular.ttf \
  share/applications/$id.desktop share/mime/packages/$id.xml share/metainfo/$id.metainfo.xml \
  share/icons/hicolor/scalable/apps/$id.svg share/man/man1/kinetrace.1.gz \
  share/bash-completion/completions/kinetrace share/doc/kinetrace/copyright; do
  [ -f "$usr/$f" ] || fail "$f is missing"
done
for size in 16 32 48 64 128 256; do
  f=$usr/share/icons/hicolor/${size}x$size/apps/$id.png
  [ -f "$f" ] || fail "the $size px icon is missing"
  file "$f" | grep -q "PNG image data, $size x $size" || fail "$f is no $size px PNG"
done
[ "$(readlink "$usr/bin/kinetrace")" = ../lib/kinetrace/kinetrace ] || fail "bin/kinetrace is no relative link"
# The console modes load nothing of Qt: only the module beside the program needs it.
! readelf -d "$usr/lib/kinetrace/kinetrace" | grep NEEDED | grep -qi qt ||
  fail "the program itself needs a Qt library"
[ -x "$usr/bin/kinetrace" ] || fail "bin/kinetrace leads nowhere"
desktop-file-validate "$usr/share/applications/$id.desktop" || fail "desktop entry"
grep -qx 'Exec=kinetrace %F' "$usr/share/applications/$id.desktop" || fail "Exec line"
appstreamcli validate --no-net --pedantic "$usr/share/metainfo/$id.metainfo.xml" >"$tmp/as" 2>&1 ||
  { cat "$tmp/as"; fail "AppStream metadata"; }
bash -n "$usr/share/bash-completion/completions/kinetrace" || fail "bash completion"

# The file type, by any case of .vmd and by the signature of a file without it.
update-mime-database "$usr/share/mime" >/dev/null 2>&1
cp "$sample" "$tmp/DANCE.VMD"
cp "$sample" "$tmp/motion.bin"
for f in "$tmp/DANCE.VMD" "$tmp/motion.bin"; do
  type=$(XDG_DATA_HOME=$tmp/none XDG_DATA_DIRS=$usr/share:/usr/share \
    gio info -a standard::content-type "$f" | sed -n 's/.*standard::content-type: //p')
  [ "$type" = application/x-vmd-motion ] || fail "$f is typed '$type'"
done

# The manual page renders without warnings and names every option --help names.
MANWIDTH=80 man --warnings -l "$usr/share/man/man1/kinetrace.1.gz" >"$tmp/man.txt" 2>"$tmp/man.err"
[ ! -s "$tmp/man.err" ] || { cat "$tmp/man.err"; fail "the manual page has warnings"; }
"$usr/bin/kinetrace" --help | grep -oE -- '(^| |\[)--?[A-Za-z][A-Za-z0-9-]*' |
  sed 's/^[ []*//' | sort -u >"$tmp/options"
[ "$(wc -l <"$tmp/options")" -ge 10 ] || fail "too few options found in --help"
while read -r option; do
  grep -qF -- "$option" "$tmp/man.txt" || fail "the manual page lacks $option"
done <"$tmp/options"
for status in 0 1 2 3 16; do
  sed -n '/^EXIT STATUS/,/^EXAMPLES/p' "$tmp/man.txt" | grep -qE "^ +$status( |\$)" ||
    fail "the manual page lacks exit status $status"
done

# The font is found beside the program through the bin/ link, from another folder.
(cd "$tmp" && "$usr/bin/kinetrace" --render "$tmp/tree.bmp" "$sample") || fail "--render from the tree"
echo "check_package: install tree ok"

# ---- 2. The Debian package ----
deb=$(ls "$build"/kinetrace_*.deb 2>/dev/null | tail -n 1)
[ -n "$deb" ] || fail "no package in $build (make package)"
lintian --fail-on error,warning "$deb" || fail "lintian"
dpkg-deb -c "$deb" >"$tmp/contents"
grep -q '/usr/lib/kinetrace/mplus-2m-regular.ttf -> ../../share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf' "$tmp/contents" ||
  fail "the package's font is no link into fonts-vlgothic"
if [ "$(id -u)" -ne 0 ]; then
  echo "check_package: SKIP: installing the package needs root"
  exit 0
fi
cp "$deb" "$tmp/"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$tmp/$(basename "$deb")" >"$tmp/apt.log" 2>&1 ||
  { cat "$tmp/apt.log"; fail "apt-get install"; }
home=$tmp/home
mkdir -p "$home/.config/kinetrace"
printf '"\343\202\273\343\203\263\343\202\277\343\203\274"F Center\n' >"$home/.config/kinetrace/alias.ini"
out=$(cd "$home" && HOME=$home XDG_CONFIG_HOME= kinetrace --print --color=never "$sample") ||
  fail "kinetrace --print"
echo "$out" | grep -q '^Bones: ' || fail "the user's alias.ini was not read: $out"
(cd "$home" && kinetrace --render "$tmp/installed.bmp" "$sample") || fail "the installed font"
cmp -s "$tmp/tree.bmp" "$tmp/installed.bmp" || fail "the installed font draws another picture"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq kinetrace >>"$tmp/apt.log" 2>&1 ||
  { cat "$tmp/apt.log"; fail "apt-get remove"; }
[ ! -e /usr/bin/kinetrace ] && [ ! -e /usr/lib/kinetrace ] || fail "files left after removal"
echo "check_package: package ok ($(basename "$deb"))"
