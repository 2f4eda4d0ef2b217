#!/bin/sh
# Builds the libraries the Windows program links, for the target, into PREFIX (default
# build-windows/deps):
#   FreeType     static, from Debian's source package (apt-get source freetype), without
#                zlib, libpng, bzip2, brotli and HarfBuzz: TrueType outlines are all it reads
#   GoogleTest   static gtest and gmock, from /usr/src/googletest (libgtest-dev)
#   nlohmann-json  the headers and CMake files of nlohmann-json3-dev, copied as they are
# A stamp per library keeps a second run from doing anything. Run as root the first time
# when Debian's sources are not yet listed: it adds a deb-src entry for the mirror that
# /etc/apt/sources.list.d/debian.sources names.
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:-$top/build-windows/deps}
work=$prefix-src
toolchain=$top/cmake/mingw-w64-x86_64.cmake
jobs=${JOBS:-2}
mkdir -p "$prefix" "$work"
prefix=$(cd "$prefix" && pwd)
work=$(cd "$work" && pwd)

# Configures, builds and installs the CMake project in $1 into the prefix; more options follow.
cross_build() {
  src=$1
  name=$2
  shift 2
  rm -rf "$work/$name-build"
  log=$work/$name.log
  if ! { cmake -S "$src" -B "$work/$name-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
           -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" &&
         cmake --build "$work/$name-build" -j"$jobs" &&
         cmake --install "$work/$name-build"; } >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "windows_deps.sh: building $name failed; the whole log is $log" >&2
    exit 1
  fi
}

# A deb-src twin of each deb entry of the Debian sources file, once.
add_deb_src() {
  list=/etc/apt/sources.list.d/debian.sources
  twin=/etc/apt/sources.list.d/kinetrace-deb-src.sources
  [ -e "$twin" ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "windows_deps.sh: FreeType's source needs a deb-src entry; run this once as root" >&2
    exit 1
  fi
  [ -r "$list" ] || { echo "windows_deps.sh: no $list to take the mirror from" >&2; exit 1; }
  sed -e 's/^Types:.*/Types: deb-src/' "$list" >"$twin"
  apt-get update -qq
}

if [ ! -e "$prefix/.freetype-done" ]; then
  if ! ls -d "$work"/freetype-*/ >/dev/null 2>&1; then
    if ! apt-cache showsrc freetype >/dev/null 2>&1 || [ -z "$(apt-cache showsrc freetype 2>/dev/null)" ]; then
      add_deb_src
    fi
    (cd "$work" && apt-get source -qq freetype)
  fi
  src=$(ls -d "$work"/freetype-*/ | head -n 1)
  echo "windows_deps.sh: FreeType from $(basename "$src")"
  cross_build "$src" freetype -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_BZIP2=ON \
    -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_HARFBUZZ=ON
  touch "$prefix/.freetype-done"
fi

if [ ! -e "$prefix/.googletest-done" ]; then
  [ -d /usr/src/googletest ] || { echo "windows_deps.sh: install libgtest-dev" >&2; exit 1; }
  echo "windows_deps.sh: GoogleTest from /usr/src/googletest"
  cross_build /usr/src/googletest googletest -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
  touch "$prefix/.googletest-done"
fi

# Header-only, the same for every target; copied so that the target's find root holds it.
if [ ! -e "$prefix/.nlohmann-done" ]; then
  mkdir -p "$prefix/include" "$prefix/share/cmake"
  cp -r /usr/include/nlohmann "$prefix/include/"
  cp -r /usr/share/cmake/nlohmann_json "$prefix/share/cmake/"
  touch "$prefix/.nlohmann-done"
fi
