#!/usr/bin/env bash
# Speed and memory of `kinetrace --fix` against `kinetrace --json` on the same motion:
#
#   1. builds kinetrace in Release (bench/out/build) unless KINETRACE names a binary, and the
#      motion generator (bench/out/gen_motion);
#   2. times, with hyperfine on a warm page cache, --json and --fix (into bench/out/fix/) on
#      each shared dance that keys twist bones or shoulder P, where present;
#   3. measures peak memory with /usr/bin/time -v: --fix on the dances, on synthetic motions
#      of 60,000 to 2,000,000 bone keys (60 bones a frame, four of them twist bones, so a
#      fifteenth of the keys is folded and another fifteenth rewritten), and on a motion of
#      as many bytes with nothing to correct (300,000 morph keys, copied, not held);
#   4. prints the times, the ratio --fix / --json, and the peak RSS against the keys of the
#      corrected bones.
#
# Usage: bench/fix.sh            (environment: SAMPLES, RUNS, KINETRACE, JOBS)
# Needs: a C++ compiler, cmake, hyperfine, /usr/bin/time, python3.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=$ROOT/bench/out
SAMPLES=${SAMPLES:-$ROOT/../shared/samples/vmd}
RUNS=${RUNS:-20}
JOBS=${JOBS:-2}

for tool in hyperfine /usr/bin/time python3 cmake c++; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing" >&2; exit 1; }
done
mkdir -p "$OUT/fix"

echo "== building"
# shellcheck source=bench/build.sh
. "$ROOT/bench/build.sh"

echo "== motions"
DANCES=()
for name in miu200521358__mmd_base__サンプルモーション2.vmd shiroha-233__MC-MMD-rust__swingLeft.vmd \
  miu200521358__mlib_go__サンプルモーション_0046.vmd; do
  if [[ -f "$SAMPLES/$name" ]]; then
    DANCES+=("$SAMPLES/$name")
  else
    echo "bench: $SAMPLES/$name is absent, not measured"
  fi
done
SYNTHETIC=()
for keys in 60000 600000 2000000; do
  file=$OUT/fixable-$keys.vmd
  [[ -f "$file" ]] || "$OUT/gen_motion" "$file" "$keys" 0
  SYNTHETIC+=("$file")
done
UNTOUCHED=$OUT/same-size-300000.vmd
[[ -f "$UNTOUCHED" ]] || "$OUT/gen_motion" "$UNTOUCHED" 0 300000 0

echo "== timing (hyperfine, $RUNS runs each after warm-up)"
: >"$OUT/fix/names.txt"
i=0
for dance in "${DANCES[@]}"; do
  hyperfine -N --style basic --warmup 3 --runs "$RUNS" --export-json "$OUT/fix/time-$i.json" \
    -n json "$KINETRACE --json $dance" \
    -n fix "$KINETRACE --fix $OUT/fix/copy-$i.vmd --overwrite $dance"
  echo "$i $(basename "$dance")" >>"$OUT/fix/names.txt"
  i=$((i + 1))
done

echo "== peak memory (/usr/bin/time -v)"
peak() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident/ {print $2}'; }
: >"$OUT/fix/rss.txt"
for motion in "${DANCES[@]}" "${SYNTHETIC[@]}" "$UNTOUCHED"; do
  base=$(basename "$motion")
  "$KINETRACE" --json --fix "$OUT/fix/rss-copy.vmd" --overwrite "$motion" >"$OUT/fix/rss-$base.json"
  echo "$(peak "$KINETRACE" --json "$motion") $(peak "$KINETRACE" --fix "$OUT/fix/rss-copy.vmd" \
    --overwrite "$motion") $(stat -c %s "$motion") $base" >>"$OUT/fix/rss.txt"
done

python3 - "$OUT/fix" "$BUILD_NOTE" <<'EOF'
import json, sys
out, note = sys.argv[1], sys.argv[2]
print(f"\nkinetrace: {note}")
print(f"{'motion':48} {'--json ms':>10} {'--fix ms':>9} {'ratio':>6}  (medians)")
for line in open(f"{out}/names.txt"):
    i, name = line.split(" ", 1)
    res = {r["command"]: r for r in json.load(open(f"{out}/time-{i}.json"))["results"]}
    j, f = res["json"]["median"] * 1000, res["fix"]["median"] * 1000
    print(f"{name.strip():48} {j:10.2f} {f:9.2f} {f / j:6.1f}")
print(f"\n{'motion':48} {'bytes':>10} {'corrected keys':>15} {'--json KB':>10} {'--fix KB':>9}")
for line in open(f"{out}/rss.txt"):
    jkb, fkb, size, name = line.split(" ", 3)
    name = name.strip()
    doc = json.loads(open(f"{out}/rss-{name}.json").read().splitlines()[0])
    corrected = sum(b["keysBefore"] + sum(f["keys"] for f in b["folded"]) for b in doc["corrected"])
    print(f"{name:48} {int(size):10} {corrected:15} {int(jkb):10} {int(fkb):9}")
EOF
