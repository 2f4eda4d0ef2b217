#!/bin/sh
# Installs the Debian packages a job needs, when they are missing.
#   tools/deps.sh build   what building and running Kinetrace needs
#   tools/deps.sh test    the above plus the test framework
#   tools/deps.sh fuzz    the above plus clang and its runtime (libFuzzer, sanitizers)
#   tools/deps.sh package what building and checking the Debian package needs
#   tools/deps.sh windows what cross-building the Windows program and running it under Wine
#                         needs (FreeType's source comes through apt-get source)
#   tools/deps.sh windows-test  the above plus Xvfb, for the test suite under Wine
#   tools/deps.sh format  clang-format (the version .clang-format was written for) and git
# As root it runs apt-get; otherwise it prints the exact apt-get line and fails.
set -eu

build_packages="cmake make g++ libfreetype-dev qt6-base-dev fonts-vlgothic nlohmann-json3-dev"
test_packages="$build_packages libgtest-dev fonts-dejavu-core xvfb xdotool xclip"
fuzz_packages="$test_packages clang libclang-rt-14-dev"
package_packages="$build_packages dpkg-dev file lintian desktop-file-utils appstream man-db libglib2.0-bin"
# locales: Wine takes the ANSI code page from the locale; a ja_JP.UTF-8 made with localedef
# gives it 932, the code page the Linux build emulates.
windows_packages="cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 dpkg-dev \
  libgtest-dev nlohmann-json3-dev fonts-vlgothic zip locales"
windows_test_packages="$windows_packages xvfb"
format_packages="clang-format git"

case "${1:-test}" in
  build) wanted=$build_packages ;;
  test) wanted=$test_packages ;;
  fuzz) wanted=$fuzz_packages ;;
  package) wanted=$package_packages ;;
  windows) wanted=$windows_packages ;;
  windows-test) wanted=$windows_test_packages ;;
  format) wanted=$format_packages ;;
  *) echo "usage: $0 build|test|fuzz|package|windows|windows-test|format" >&2; exit 2 ;;
esac
[ -n "${KINETRACE_EXTRA_PACKAGES:-}" ] && wanted="$wanted $KINETRACE_EXTRA_PACKAGES"

missing=""
for p in $wanted; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$status" in
    *" installed") ;;
    *) missing="$missing $p" ;;
  esac
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Kinetrace needs these Debian packages. Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y$missing" >&2
  exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing
