# Sourced by the benchmarks (ROOT, OUT and JOBS set): the motion generator in
# $OUT/gen_motion, and KINETRACE, the binary measured: the one the caller names, else a
# Release build in $OUT/build; BUILD_NOTE says which.
c++ -O2 -std=c++17 -Wall -Wextra -o "$OUT/gen_motion" "$ROOT/bench/gen_motion.cpp"
if [[ -n "${KINETRACE:-}" ]]; then
  BUILD_NOTE="given binary $KINETRACE"
else
  cmake -S "$ROOT" -B "$OUT/build" -DCMAKE_BUILD_TYPE=Release -DKINETRACE_TESTS=OFF >/dev/null
  cmake --build "$OUT/build" -j"$JOBS" --target kinetrace >/dev/null
  KINETRACE=$OUT/build/bin/kinetrace
  BUILD_NOTE="Release build in bench/out/build"
fi
