#!/bin/sh
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each of them for a while.
#
#   fuzz/run.sh [-t SECONDS] [-r RUNS] [-j PARALLEL] [TARGET...]
#
#   -t SECONDS   time per target (default 30)
#   -r RUNS      also stop a target after this many executions (default: no limit)
#   -j PARALLEL  targets run at the same time, one process each (default 1)
#   TARGET       motion fix alias args encoding scan namelist glyph (default: all)
#
# Corpora grow in fuzz/corpus/fuzz_<target>/ next to the committed seed-* files; the
# motion and fix targets also read the sample motions (samples/ and KT_SAMPLES_DIR, by
# default ../shared/samples/vmd) without adding to them. Crashing inputs and the logs land in
# fuzz/out/. The build folder is build-fuzz (KT_FUZZ_BUILD). Exits 1 when a target failed.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=30
runs=-1
parallel=1
while getopts t:r:j: option; do
  case $option in
    t) seconds=$OPTARG ;;
    r) runs=$OPTARG ;;
    j) parallel=$OPTARG ;;
    *) echo "usage: $0 [-t SECONDS] [-r RUNS] [-j PARALLEL] [TARGET...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
targets=${*:-motion fix alias args encoding scan namelist glyph}

build=${KT_FUZZ_BUILD:-$root/build-fuzz}
samples=${KT_SAMPLES_DIR:-$root/../shared/samples/vmd}
out=$root/fuzz/out

command -v clang++ >/dev/null || { echo "fuzz: clang++ is missing (tools/deps.sh fuzz)" >&2; exit 1; }
cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 >/dev/null

# Longest input per target: long enough for every limit the target is built to reach.
max_len() {
  case $1 in
    motion | fix) echo 16384 ;;
    glyph) echo 2100 ;;
    *) echo 4096 ;;
  esac
}

run_target() {
  name=$1
  corpus=$root/fuzz/corpus/fuzz_$name
  mkdir -p "$corpus" "$out/$name"
  extra=""
  if [ "$name" = motion ] || [ "$name" = fix ]; then
    extra="$root/samples"
    [ -d "$samples" ] && extra="$extra $samples"
  fi
  dict=""
  words=$name
  [ "$name" = fix ] && words=motion # the same format
  [ -f "$root/fuzz/dict/$words.dict" ] && dict="-dict=$root/fuzz/dict/$words.dict"
  # shellcheck disable=SC2086
  if "$build/fuzz_$name" -max_total_time="$seconds" -runs="$runs" -max_len="$(max_len "$name")" \
    -timeout=30 -print_final_stats=1 -artifact_prefix="$out/$name/" $dict \
    "$corpus" $extra >"$out/$name.log" 2>&1; then
    status=ok
  else
    status=FAILED
  fi
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$name.log")
  coverage=$(grep -E '^#[0-9]+' "$out/$name.log" | tail -1 | sed -n 's/.*\(cov: [0-9]* ft: [0-9]*\).*/\1/p')
  echo "fuzz_$name: $status, ${executed:-0} runs, ${coverage:-no coverage line}"
  [ "$status" = ok ] || { tail -30 "$out/$name.log" >&2; return 1; }
}

# One queue of targets per process slot; a queue runs its targets one after the other.
mkdir -p "$out"
queues=$(mktemp -d)
slot=0
for target in $targets; do
  echo "$target" >>"$queues/$slot"
  slot=$(((slot + 1) % parallel))
done
for queue in "$queues"/*; do
  (
    while read -r target; do
      run_target "$target" || touch "$queues/failed"
    done <"$queue"
  ) &
done
wait
failed=0
[ -e "$queues/failed" ] && failed=1
rm -rf "$queues"
# Scratch folders of targets that were killed mid-run (named after their process id).
for dir in /dev/shm/kinetrace-fuzz-* /tmp/kinetrace-fuzz-*; do
  [ -d "$dir" ] || continue
  pid=${dir##*/kinetrace-fuzz-}
  pid=${pid%%-*}
  kill -0 "$pid" 2>/dev/null || rm -rf "$dir"
done
[ "$failed" = 0 ] || { echo "fuzz: a target failed; crashing inputs are in fuzz/out/" >&2; exit 1; }
