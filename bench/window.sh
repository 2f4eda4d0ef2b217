#!/usr/bin/env bash
# How soon the report window shows a report, and what the window costs while it waits:
#
#   1. builds window_start (bench/window_start.c), the motion generator and kinetrace in
#      Release (bench/out/build) unless KINETRACE names a binary to measure;
#   2. writes a synthetic motion of about 4 MB (36,000 bone keys, 2,000 morph keys);
#   3. starts its own Xvfb and runs `kinetrace MOTION` RUNS times from a copy of the
#      program folder, each time measuring the time from start to the first drawn pixels
#      of the report, then once more watching the idle window for IDLE seconds;
#   4. prints the median, the fastest and slowest start, and the idle CPU share.
#
# The program pauses 500 ms at start-up and 50 ms before loading its font; those pauses
# are part of the times printed.
#
# Usage: bench/window.sh            (environment: RUNS, IDLE, KINETRACE, JOBS)
# Needs: cc, c++, cmake, Xvfb, libx11-dev.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=$ROOT/bench/out
RUNS=${RUNS:-15}
IDLE=${IDLE:-30}
JOBS=${JOBS:-2}

for tool in Xvfb cc c++ cmake; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing" >&2; exit 1; }
done
mkdir -p "$OUT"
cc -O2 -std=c11 -Wall -Wextra -o "$OUT/window_start" "$ROOT/bench/window_start.c" -lX11
c++ -O2 -std=c++17 -Wall -Wextra -o "$OUT/gen_motion" "$ROOT/bench/gen_motion.cpp"
if [[ -z "${KINETRACE:-}" ]]; then
  cmake -S "$ROOT" -B "$OUT/build" -DCMAKE_BUILD_TYPE=Release -DKINETRACE_TESTS=OFF >/dev/null
  cmake --build "$OUT/build" -j"$JOBS" --target kinetrace >/dev/null
  KINETRACE=$OUT/build/bin/kinetrace
fi
MOTION=$OUT/window-4mb.vmd
[[ -f "$MOTION" ]] || "$OUT/gen_motion" "$MOTION" 36000 2000

WORK=$(mktemp -d)
XVFB_PID=
cleanup() {
  [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
cp "$KINETRACE" "$(dirname "$KINETRACE")/mplus-2m-regular.ttf" "$WORK/"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" 2>/dev/null &
XVFB_PID=$!
for _ in $(seq 50); do [[ -s "$WORK/display" ]] && break; sleep 0.1; done
export DISPLAY=:$(cat "$WORK/display")
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$WORK

echo "== $(basename "$MOTION") ($(stat -c %s "$MOTION") bytes), $RUNS starts"
for ((i = 0; i < RUNS; i++)); do
  "$OUT/window_start" "Kinetrace " 0 "$WORK/kinetrace" "$MOTION" | awk '{print $2}'
done | sort -n >"$WORK/times"
awk '{t[NR] = $1} END {printf "first report on screen: median %.0f ms (fastest %.0f, slowest %.0f)\n",
  (NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2), t[1], t[NR]}' "$WORK/times"
"$OUT/window_start" "Kinetrace " "$IDLE" "$WORK/kinetrace" "$MOTION" |
  awk '/idle-cpu-percent/ {printf "waiting for input: %.2f%% of one core\n", $2}'
