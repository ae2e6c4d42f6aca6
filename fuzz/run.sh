#!/usr/bin/env bash
# Builds the file-reader fuzzers with clang and runs each for FUZZ_SECONDS
# (60 by default), all at once, from a fixed seed so that a run explores
# the same inputs as the last one checked here. Any crash fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
shopt -s nullglob
targets=(fuzz/fuzz_*.cpp)
if ((${#targets[@]} == 0)); then
  echo "No fuzz targets yet."
  exit 0
fi
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVANT_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$(nproc)"
pids=()
names=()
for src in "${targets[@]}"; do
  name=$(basename "$src" .cpp)
  short=${name#fuzz_}
  work=build/fuzz/work/$short
  rm -rf "$work" && mkdir -p "$work/corpus"
  cp fuzz/corpus/"$short"/* "$work/corpus/" 2>/dev/null || true
  ( cd "$work" && "../../fuzz/$name" -max_total_time="$seconds" -seed=1 -rss_limit_mb=2048 \
      -print_final_stats=1 corpus >log.txt 2>&1 ) &
  pids+=($!)
  names+=("$short")
done
status=0
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then
    echo "fuzz ${names[$i]}: no crash in ${seconds}s ($(grep -m1 'stat::number_of_executed_units' build/fuzz/work/${names[$i]}/log.txt | awk '{print $2}') runs)"
  else
    echo "fuzz ${names[$i]}: FAILED"
    tail -40 "build/fuzz/work/${names[$i]}/log.txt"
    status=1
  fi
done
exit $status
