#!/bin/sh
# Runs the tests of a Windows build (ctest) under Wine, with a Wine prefix of its own inside
# the build folder (made on first use) and one wineserver kept for the whole run, so that
# each test program does not pay Wine's start-up, and a private Xvfb for the tests that open
# windows (on a display number it picks itself, which no other run can take meanwhile).
#   tools/wine_check.sh BUILD_FOLDER [JOBS]
#
# Wine runs as a Japanese Windows (ANSI code page 932), the system the program is made
# for: LC_ALL=ja_JP.UTF-8, with that locale compiled into the build folder (LOCPATH) when
# the system has not generated it. Without it Wine reads the UTF-8 command line as code
# page 932 and the program's Shift-JIS texts through code page 1252.
set -eu
build=$(cd "$1" && pwd)
jobs=${2:-2}
export WINEPREFIX="$build/wine" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 LOCPATH="$build/locale"
# Nothing here needs .NET or the HTML engine; offering to install them stalls a headless run.
export WINEDLLOVERRIDES="mscoree,mshtml="
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$build/xvfb-display" 2>/dev/null &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -s "$build/xvfb-display" ] && break
  sleep 0.1
done
[ -s "$build/xvfb-display" ] || { echo "wine_check: Xvfb did not start" >&2; exit 1; }
display=$(cat "$build/xvfb-display")
export DISPLAY=":$display"
if [ ! -d "$LOCPATH/ja_JP.UTF-8" ]; then
  mkdir -p "$LOCPATH"
  localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine_check: making the Wine prefix $WINEPREFIX"
  wineboot -i
  # A program that crashes ends at once with its status instead of waiting in winedbg.
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Auto /t REG_SZ /d 0 /f >/dev/null
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /t REG_SZ /d '' /f >/dev/null
  wineserver -w
fi
wineserver -p
status=0
(cd "$build" && ctest --output-on-failure -j"$jobs") || status=$?
wineserver -k || true
exit $status
