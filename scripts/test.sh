#!/usr/bin/env bash
# Builds everything and runs every test; then the core tests again under
# AddressSanitizer and UBSan; then the file-reader fuzzers when clang is here.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
jobs=$(nproc)

echo "== Release build and all tests"
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
ctest --preset release -j "$jobs"

echo "== Core tests under AddressSanitizer and UBSan"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

if [[ -x fuzz/run.sh ]] && command -v clang++ >/dev/null; then
  echo "== Fuzzing the file readers"
  fuzz/run.sh
fi
