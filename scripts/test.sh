#!/usr/bin/env bash
# The whole CI: builds everything and runs every test, each alone (CTest)
# and each test program whole in one process, in order and shuffled; then
# the same under AddressSanitizer and UBSan; then the fuzz targets for
# FUZZ_SECONDS each (60 by default) when clang is here. Exits non-zero
# when anything failed, after all of it ran.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test || exit 1
jobs=$(nproc)
summary=$(mktemp)
logs=$(mktemp -d)
trap 'rm -rf "$summary" "$logs"' EXIT
status=0
start=$SECONDS

# The sanitizers' settings of the asan test preset, for the whole runs too.
sanitizer_env=(
  ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:abort_on_error=1:strict_init_order=1:check_initialization_order=1
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
)

# Every test program of a build run whole, once in order and then once
# shuffled by a seed drawn here and shown (repeat a failing order with
# --gtest_shuffle --gtest_random_seed=N). The programs run side by side,
# the two runs of one program one after the other, as some tests use fixed
# temporary names. A failure shows what the program's log says of it.
whole_runs() {
  local dir=$1
  shift
  local pids=() names=()
  local seed=$((RANDOM % 99999 + 1))
  for t in "$dir"/tests/korvant_*_tests; do
    local name
    name=$(basename "$t")
    (
      rc=0
      env QT_QPA_PLATFORM=offscreen "$@" timeout 1200 "$t" --gtest_brief=1 >"$logs/$name-order.log" 2>&1 || rc=1
      env QT_QPA_PLATFORM=offscreen "$@" timeout 1200 "$t" --gtest_brief=1 --gtest_shuffle --gtest_random_seed="$seed" \
        >"$logs/$name-shuffle.log" 2>&1 || rc=$((rc + 2))
      exit $rc
    ) &
    pids+=($!)
    names+=("$name")
  done
  local i rc mode bit
  for i in "${!pids[@]}"; do
    rc=0
    wait "${pids[$i]}" || rc=$?
    bit=1
    for mode in order "shuffle (seed $seed)"; do
      failed=$((rc & bit))
      bit=2
      if ((failed == 0)); then
        echo "whole ${names[$i]} $mode: passed" | tee -a "$summary"
      else
        echo "whole ${names[$i]} $mode: FAILED" | tee -a "$summary"
        grep -E "FAILED|Failure|ERROR: (Address|Leak)Sanitizer|runtime error|SUMMARY" \
          "$logs/${names[$i]}-${mode%% *}.log" | head -40
        status=1
      fi
    done
  done
}

echo "== Release build and all tests"
cmake --preset release >/dev/null && cmake --build --preset release -j "$jobs" || exit 1
ctest --preset release -j "$jobs" | tee -a "$summary" || status=1
whole_runs build/release

echo "== Every test under AddressSanitizer and UBSan"
cmake --preset asan >/dev/null && cmake --build --preset asan -j "$jobs" || exit 1
ctest --preset asan -j "$jobs" | tee -a "$summary" || status=1
whole_runs build/asan "${sanitizer_env[@]}"

if [[ -x fuzz/run.sh ]] && command -v clang++ >/dev/null; then
  echo "== Fuzzing"
  fuzz/run.sh "${FUZZ_SECONDS:-60}" || status=1
fi

# One closing line over both CTest runs and the whole runs.
awk '/tests passed, [0-9]+ tests failed out of/ { total += $NF; failed += $(NF-4) }
     /^whole / { runs += 1; if ($NF == "FAILED") bad += 1 }
     END { printf "Tests: %d passed, %d failed; whole programs: %d of %d runs failed\n",
                  total - failed, failed, bad, runs }' "$summary"
echo "CI took $(( (SECONDS - start) / 60 )) min $(( (SECONDS - start) % 60 )) s"
exit $status
