#!/bin/bash
# The report window driven as a user would, on a private Xvfb: S captures the shown report,
# a right click copies the clicked position, F writes the corrected copy beside the motion
# and its report follows the others, Escape moves to the next file in the same window, q
# ends the last one and the program exits.
# The first file is our own sample motion; the second a shared sample when that folder is
# there, else a copy of ours under another name (the report's name line tells them apart).
#   window_e2e.sh BUILD_DIR PROGRAM SAMPLE [SHARED_SAMPLES_DIR]
# Exit 0 passed, 1 failed, 77 skipped (a tool missing).
set -u

usage="usage: window_e2e.sh BUILD_DIR PROGRAM SAMPLE [SHARED_SAMPLES_DIR]"
build=${1:?$usage}
program=${2:?$usage}
motionA=${3:?$usage}
motionB=${4:-}/miu200521358__mlib_go__しゃがむ.vmd
font=mplus-2m-regular.ttf

for tool in Xvfb xdotool xclip; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "window_e2e: SKIP: $tool is not installed (tools/deps.sh test installs it)"
    exit 77
  fi
done
tmp=$(mktemp -d "$build/window_e2e.XXXXXX") || exit 1
xvfbPid=""
programPid=""
cleanup() {
  [ -n "$programPid" ] && kill -9 "$programPid" 2>/dev/null
  [ -n "$xvfbPid" ] && kill "$xvfbPid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

fail() {
  echo "window_e2e: FAIL: $*"
  if [ -s "$tmp/program.log" ]; then
    echo "--- program output:"
    cat "$tmp/program.log"
  fi
  exit 1
}

# Runs the command until it succeeds, for at most $1 seconds.
retry() {
  local deadline=$(($(date +%s%3N) + $1 * 1000))
  shift
  until "$@"; do
    [ "$(date +%s%3N)" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# The program reads its font from the folder it runs from, and captures into it.
mkdir -p "$tmp/bin" "$tmp/runtime"
chmod 700 "$tmp/runtime"
cp "$program" "$(dirname "$program")/$font" "$(dirname "$program")/kinetrace-qt.so" "$tmp/bin/" \
  || fail "cannot copy the program folder"
run="$tmp/bin/$(basename "$program")"
[ -f "$motionA" ] || fail "no sample motion at $motionA"
# F writes beside the motion: a copy of ours in the test's folder.
cp "$motionA" "$tmp/first.vmd" || fail "cannot copy $motionA"
motionA="$tmp/first.vmd"
if [ ! -f "$motionB" ]; then
  echo "window_e2e: shared samples not found; the second file is a renamed copy of the first"
  motionB="$tmp/second.vmd"
  cp "$motionA" "$motionB" || fail "cannot copy $motionA"
fi

"$run" --render "$tmp/A.bmp" "$motionA" || fail "--render of $motionA"
"$run" --render "$tmp/B.bmp" "$motionB" || fail "--render of $motionB"
# Otherwise the second capture could not tell which report was shown.
cmp -s "$tmp/A.bmp" "$tmp/B.bmp" && fail "the two sample motions render alike"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfbPid=$!
retry 10 grep -q '^[0-9][0-9]*$' "$tmp/display" || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
DISPLAY=":$(cat "$tmp/display")"
export DISPLAY XDG_RUNTIME_DIR="$tmp/runtime"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY # the window needs the real X11 platform, not offscreen

# For a sanitizer build: libxkbcommon-x11 strndup()s counted X strings, which
# strict_string_checks reports (leaks stay checked; tools/lsan.supp names Qt's own).
sanitizer="${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0"
(cd "$tmp" && export ASAN_OPTIONS="$sanitizer" && exec "$run" "$motionA" "$motionB") \
  >"$tmp/program.log" 2>&1 &
programPid=$!

findWindow() {
  window=$(timeout 2 xdotool search --onlyvisible --name '^Kinetrace ' 2>/dev/null | head -n 1)
  [ -n "$window" ] || ! kill -0 "$programPid" 2>/dev/null
}
retry 10 findWindow
kill -0 "$programPid" 2>/dev/null || fail "the program ended before showing its window"
[ -n "$window" ] || fail "no window named 'Kinetrace ' within 10 s"

press() {
  timeout 5 xdotool windowfocus --sync "$window" key "$1" || fail "cannot send $1 to the window"
}

# A capture is written row by row: wait until it is whole and equal to the reference.
expectCapture() {
  local capture="$tmp/bin/cap($1).bmp"
  retry 5 cmp -s "$capture" "$2" && return 0
  [ -f "$capture" ] || fail "S did not write cap($1).bmp beside the program"
  fail "cap($1).bmp differs from --render of $3: $(cmp "$capture" "$2" 2>&1)"
}

press s
expectCapture 1 "$tmp/A.bmp" "$motionA"

# Right click at a client position, away from the diagonal so that x and y cannot swap.
timeout 5 xdotool mousemove --window "$window" 37 23 click 3 || fail "cannot click the window"
copiedIs() {
  copied=$(timeout 1 xclip -o -selection clipboard 2>/dev/null)
  [ "$copied" = "$1" ]
}
retry 5 copiedIs 37,23 || fail "a right click at 37,23 put '$copied' on the clipboard"

# F: the corrected copy beside the motion, the title saying so; like a drop it ends this
# report, and the copy's follows B's.
first=$window
press f
fixed="$tmp/first_fixed.vmd"
retry 5 test -f "$fixed" || fail "F wrote no $fixed"
titled() { [ "$(timeout 2 xdotool getwindowname "$window" 2>/dev/null)" = "$1" ]; }
retry 5 titled "Kinetrace - corrected copy written: first_fixed.vmd" \
  || fail "after F the title is '$(xdotool getwindowname "$window")'"
"$run" --render "$tmp/F.bmp" "$fixed" || fail "--render of $fixed"
findWindow
[ "$window" = "$first" ] || fail "after F the report window is '$window', not $first"
press s
expectCapture 2 "$tmp/B.bmp" "$motionB"

# Keys close together can be lost (the window keeps one pending key): let Escape land first.
press Escape
sleep 0.3
findWindow
[ "$window" = "$first" ] || fail "after Escape the report window is '$window', not $first"
press s
expectCapture 3 "$tmp/F.bmp" "$fixed"

# After q on the last report the process must be gone (a zombie until waited for).
exited() {
  local state
  state=$(sed -n 's/^[0-9]* ([^)]*) \(.\).*/\1/p' "/proc/$programPid/stat" 2>/dev/null)
  [ -z "$state" ] || [ "$state" = Z ]
}
press q
retry 2 exited || fail "the program still runs 2 s after q on the last report"
wait "$programPid"
status=$?
programPid=""
[ "$status" = 0 ] || fail "the program exited with status $status after q"
echo "window_e2e: passed"
