#!/usr/bin/env bash
# Builds everything and runs every test; then the core tests again under
# AddressSanitizer and UBSan; then the file-reader fuzzers when clang is here.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
jobs=$(nproc)
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT

echo "== Release build and all tests"
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
ctest --preset release -j "$jobs" | tee -a "$summary"

echo "== Core tests under AddressSanitizer and UBSan"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs" | tee -a "$summary"

if [[ -x fuzz/run.sh ]] && command -v clang++ >/dev/null; then
  echo "== Fuzzing the file readers"
  fuzz/run.sh
fi

# One closing line over both test runs.
awk '/tests passed, [0-9]+ tests failed out of/ {
       total += $NF; failed += $(NF-4) }
     END { printf "Tests: %d passed, %d failed\n", total - failed, failed }' "$summary"
