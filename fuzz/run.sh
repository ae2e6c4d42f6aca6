#!/usr/bin/env bash
# Builds the fuzz targets with clang (ASan and UBSan, stopping at the first
# fault of either), replays every input kept in fuzz/corpus/<target>, then
# runs them all at once, each for SECONDS (60 by default; FUZZ_SECONDS is
# read too), starting from that corpus. Any crash fails the run; the input
# is left in build/fuzz/work/<target>/ as crash-*.
#
#   fuzz/run.sh [SECONDS] [TARGET...]     e.g. fuzz/run.sh 600 plan demo_variant
#
# FUZZ_SEED=N repeats a run exactly (the seed of every run is printed).
# FUZZ_KEEP=1 adds to fuzz/corpus/<target> what a run found that covers
# more than the kept corpus (smallest first, the folder kept under
# FUZZ_KEEP_KB, 80 by default), so that the next run starts there.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${FUZZ_SECONDS:-60}}
shift || true
shopt -s nullglob
if (($#)); then
  targets=()
  for t in "$@"; do targets+=("fuzz/fuzz_$t.cpp"); done
else
  targets=(fuzz/fuzz_*.cpp)
fi
if ((${#targets[@]} == 0)); then
  echo "No fuzz targets yet."
  exit 0
fi
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVANT_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$(nproc)"
# Undefined behaviour halts a run as a crash does (the build stops on it
# too), with the stack that led there.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
status=0
# The kept inputs first, each once and whatever the seed: a regression
# input that fails again fails the run.
for src in "${targets[@]}"; do
  name=$(basename "$src" .cpp)
  short=${name#fuzz_}
  inputs=(fuzz/corpus/"$short"/*)
  ((${#inputs[@]})) || continue
  log=build/fuzz/replay-$short.txt
  if "build/fuzz/fuzz/$name" -rss_limit_mb=2048 -timeout=20 "${inputs[@]}" >"$log" 2>&1; then
    echo "fuzz $short: ${#inputs[@]} kept inputs replayed"
  else
    echo "fuzz $short: a kept input FAILED"
    tail -40 "$log"
    status=1
  fi
done
seed=${FUZZ_SEED:-$(( (RANDOM << 15 | RANDOM) + 1 ))}
pids=()
names=()
for src in "${targets[@]}"; do
  name=$(basename "$src" .cpp)
  short=${name#fuzz_}
  work=build/fuzz/work/$short
  rm -rf "$work" && mkdir -p "$work/corpus"
  cp fuzz/corpus/"$short"/* "$work/corpus/" 2>/dev/null || true
  ( cd "$work" && "../../fuzz/$name" -max_total_time="$seconds" -seed="$seed" -rss_limit_mb=2048 \
      -timeout=20 -print_final_stats=1 corpus >log.txt 2>&1 ) &
  pids+=($!)
  names+=("$short")
done
for i in "${!pids[@]}"; do
  short=${names[$i]}
  log=build/fuzz/work/$short/log.txt
  if wait "${pids[$i]}"; then
    echo "fuzz $short: no crash in ${seconds}s, seed $seed ($(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}') runs)"
  else
    echo "fuzz $short: FAILED, seed $seed"
    tail -40 "$log"
    status=1
  fi
done
if [[ ${FUZZ_KEEP:-0} == 1 && $status == 0 ]]; then
  cap=${FUZZ_KEEP_KB:-80}
  for short in "${names[@]}"; do
    work=build/fuzz/work/$short
    kept=fuzz/corpus/$short
    rm -rf "$work/merged" && mkdir -p "$work/merged" "$kept"
    # Only what adds coverage over the kept corpus comes in, smallest first,
    # while the folder stays under the cap.
    "build/fuzz/fuzz/fuzz_$short" -merge=1 "$work/merged" "$kept" >"$work/merge.txt" 2>&1
    "build/fuzz/fuzz/fuzz_$short" -merge=1 "$work/merged" "$work/corpus" >>"$work/merge.txt" 2>&1
    have=$(for k in "$kept"/*; do sha1sum <"$k"; done | cut -c1-40)
    for f in $(ls -Sr "$work/merged"); do
      grep -qx "$(sha1sum <"$work/merged/$f" | cut -c1-40)" <<<"$have" && continue
      size=$(( $(du -sk "$kept" | cut -f1) + $(du -k "$work/merged/$f" | cut -f1) ))
      ((size <= cap)) && cp "$work/merged/$f" "$kept/"
    done
    echo "fuzz $short: corpus kept, $(ls "$kept" | wc -l) inputs, $(du -sk "$kept" | cut -f1) KB"
  done
fi
exit $status
