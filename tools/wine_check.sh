#!/bin/sh
# Runs the tests of a Windows build (ctest) under Wine, with a Wine prefix of its own inside
# the build folder (made on first use) and one wineserver kept for the whole run, so that
# each test program does not pay Wine's start-up. Run it inside a display (xvfb-run) for
# the tests that open windows.
#   tools/wine_check.sh BUILD_FOLDER [JOBS]
set -eu
build=$(cd "$1" && pwd)
jobs=${2:-2}
export WINEPREFIX="$build/wine" WINEDEBUG=-all
# Nothing here needs .NET or the HTML engine; offering to install them stalls a headless run.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine_check: making the Wine prefix $WINEPREFIX"
  wineboot -i
  wineserver -w
fi
wineserver -p
status=0
(cd "$build" && ctest --output-on-failure -j"$jobs") || status=$?
wineserver -k || true
exit $status
