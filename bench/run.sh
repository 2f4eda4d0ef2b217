#!/usr/bin/env bash
# Speed and memory of `kinetrace --json` against the floor of a one-pass reader, in one run:
#
#   1. builds the motion generator and the floor program (bench/out/), and kinetrace in
#      Release (bench/out/build) unless KINETRACE names a binary to measure;
#   2. writes the synthetic motion (BONE_KEYS and MORPH_KEYS keys, about 60 bones a frame)
#      and a folder of FOLDER_FILES small motions, unless they are there already;
#   3. times, with hyperfine on a warm page cache: the floor decoding only, the floor with
#      name lookup and statistics, kinetrace --json on the same file; kinetrace over the
#      whole folder in one invocation (--json and --print); one invocation (--version, and
#      --json on one small motion) against a C program that does nothing; a name flood
#      (FLOOD_KEYS morph keys, each with a name of its own) against a motion of as many
#      keys with a few names, and against a typical motion of the same size in bytes;
#   4. measures peak memory with /usr/bin/time -v and prints times, the ratio to the
#      floor, keys per second and peak RSS.
#
# Usage: bench/run.sh            (environment: BONE_KEYS, MORPH_KEYS, FOLDER_FILES, RUNS,
#                                 FLOOD_KEYS, KINETRACE, JOBS)
# Needs: a C and a C++ compiler, cmake, hyperfine, /usr/bin/time, python3.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=$ROOT/bench/out
BONE_KEYS=${BONE_KEYS:-2000000}
MORPH_KEYS=${MORPH_KEYS:-200000}
FOLDER_FILES=${FOLDER_FILES:-1000}
FLOOD_KEYS=${FLOOD_KEYS:-300000}
RUNS=${RUNS:-20}
JOBS=${JOBS:-2}

for tool in hyperfine /usr/bin/time python3 cmake cc c++; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing" >&2; exit 1; }
done
mkdir -p "$OUT"

echo "== building"
# shellcheck source=bench/build.sh
. "$ROOT/bench/build.sh"
cc -O2 -std=c11 -Wall -Wextra -o "$OUT/floor" "$ROOT/bench/floor.c" -lm
# The floor of one invocation: a C program that does nothing.
printf 'int main(void) { return 0; }\n' | cc -O2 -x c -o "$OUT/nothing" -

echo "== motions"
LARGE=$OUT/large-$BONE_KEYS-$MORPH_KEYS.vmd
[[ -f "$LARGE" ]] || "$OUT/gen_motion" "$LARGE" "$BONE_KEYS" "$MORPH_KEYS"
FOLDER=$OUT/folder-$FOLDER_FILES
if [[ ! -f "$FOLDER/done" ]]; then
  rm -rf "$FOLDER"
  mkdir -p "$FOLDER"
  # Small motions of 300 to 3000 bone keys and 50 to 250 morph keys, each with its own seed.
  for ((i = 0; i < FOLDER_FILES; i++)); do
    "$OUT/gen_motion" "$(printf '%s/m%04d.vmd' "$FOLDER" "$i")" \
      $((300 + (i * 37) % 2700)) $((50 + (i * 13) % 200)) "$i"
  done
  touch "$FOLDER/done"
fi
FLOOD=$OUT/flood-$FLOOD_KEYS.vmd
SAME_SIZE=$OUT/same-size-$FLOOD_KEYS.vmd
[[ -f "$FLOOD" ]] || "$OUT/gen_motion" "$FLOOD" 0 "$FLOOD_KEYS" 0 distinct
[[ -f "$SAME_SIZE" ]] || "$OUT/gen_motion" "$SAME_SIZE" 0 "$FLOOD_KEYS" 0
# A typical motion of the same size in bytes: bone keys (111 bytes) with some morph keys.
TYPICAL=$OUT/typical-$FLOOD_KEYS.vmd
[[ -f "$TYPICAL" ]] || "$OUT/gen_motion" "$TYPICAL" $((FLOOD_KEYS * 61 / 300)) $((FLOOD_KEYS / 50)) 0
FOLDER_ARGS=$(printf '%s ' "$FOLDER"/*.vmd)
ONE=$FOLDER/m0000.vmd
echo "large motion: $(stat -c %s "$LARGE") bytes; folder: $FOLDER_FILES files, $(du -sb "$FOLDER" | cut -f1) bytes"

echo "== timing (hyperfine, $RUNS runs each after warm-up)"
hyperfine -N --style basic --warmup 3 --runs "$RUNS" --export-json "$OUT/large.json" \
  -n floor-decode "$OUT/floor --decode-only $LARGE" \
  -n floor "$OUT/floor $LARGE" \
  -n kinetrace "$KINETRACE --json $LARGE"
hyperfine -N --style basic --warmup 1 --runs $((RUNS < 10 ? RUNS : 10)) \
  --export-json "$OUT/folder.json" \
  -n folder-json "$KINETRACE --json $FOLDER_ARGS" \
  -n folder-print "$KINETRACE --print --color=never $FOLDER_ARGS"
hyperfine -N --style basic --warmup 5 --runs $((RUNS * 5)) --export-json "$OUT/startup.json" \
  -n nothing "$OUT/nothing" \
  -n version "$KINETRACE --version" \
  -n one-small "$KINETRACE --json $ONE"

# The flood's names beyond the lists' capacity make its exit status 2.
hyperfine -N -i --style basic --warmup 3 --runs "$RUNS" --export-json "$OUT/flood.json" \
  -n typical-json "$KINETRACE --json $TYPICAL" \
  -n same-size-json "$KINETRACE --json $SAME_SIZE" \
  -n flood-json "$KINETRACE --json $FLOOD" \
  -n same-size-print "$KINETRACE --print --color=never $SAME_SIZE" \
  -n flood-print "$KINETRACE --print --color=never $FLOOD"

echo "== peak memory (/usr/bin/time -v)"
peak() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident/ {print $2}'; }
{
  echo "floor $(peak "$OUT/floor" "$LARGE")"
  echo "kinetrace $(peak "$KINETRACE" --json "$LARGE")"
  # shellcheck disable=SC2086 # the folder's names hold no spaces
  echo "folder-json $(peak "$KINETRACE" --json $FOLDER_ARGS)"
  echo "version $(peak "$KINETRACE" --version)"
  echo "one-small $(peak "$KINETRACE" --json "$ONE")"
  echo "flood-json $(peak "$KINETRACE" --json "$FLOOD")"
} >"$OUT/rss.txt"

python3 - "$OUT" "$BONE_KEYS" "$MORPH_KEYS" "$FOLDER_FILES" "$BUILD_NOTE" <<'EOF'
import json, sys
out, bones, morphs, files, note = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
def load(name):
    return {r["command"]: r for r in json.load(open(f"{out}/{name}.json"))["results"]}
res = {**load("large"), **load("folder"), **load("startup"), **load("flood")}
rss = dict(line.split() for line in open(f"{out}/rss.txt"))
ms = lambda s: s * 1000.0
print(f"\nkinetrace: {note}")
print(f"{'':15} {'mean ms':>9} {'± ms':>6} {'min ms':>8} {'median ms':>10}")
for name in ["floor-decode", "floor", "kinetrace", "folder-json", "folder-print", "nothing", "version",
             "one-small", "typical-json", "same-size-json", "flood-json", "same-size-print", "flood-print"]:
    r = res[name]
    print(f"{name:15} {ms(r['mean']):9.2f} {ms(r['stddev']):6.2f} {ms(r['min']):8.2f} {ms(r['median']):10.2f}")
k, f = res["kinetrace"], res["floor"]
keys = bones + morphs
print(f"\nratio kinetrace/floor: {k['mean'] / f['mean']:.2f} (means), {k['median'] / f['median']:.2f} (medians)")
print(f"keys per second: kinetrace {keys / k['mean'] / 1e6:.1f} M, floor {keys / f['mean'] / 1e6:.1f} M")
per_file = (res["folder-json"]["mean"] - res["version"]["mean"]) / files
print(f"folder of {files}: {ms(res['folder-json']['mean']):.0f} ms in one invocation "
      f"({ms(per_file):.2f} ms per file after start-up); start-up {ms(res['version']['mean']):.1f} ms")
n = res["nothing"]
print(f"one invocation: --version {ms(res['version']['median']):.2f} ms, --json on one small motion "
      f"{ms(res['one-small']['median']):.2f} ms (medians), {res['one-small']['median'] / n['median']:.2f} x "
      f"a C program that does nothing ({ms(n['median']):.2f} ms; goal 3)")
print(f"name flood --json: {res['flood-json']['median'] / res['typical-json']['median']:.2f} x a typical "
      f"motion of the same size in bytes (medians)")
for mode in ["json", "print"]:
    fl, ss = res[f"flood-{mode}"], res[f"same-size-{mode}"]
    print(f"name flood --{mode}: {fl['mean'] / ss['mean']:.2f} x a normal motion of the same size "
          f"(means; {fl['median'] / ss['median']:.2f} medians; goal 3)")
print("peak RSS: " + ", ".join(f"{n} {int(v) / 1024:.1f} MB" for n, v in rss.items()))
EOF
