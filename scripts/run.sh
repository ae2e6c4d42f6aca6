#!/usr/bin/env bash
# Builds the program (only it) in Release and starts it with the
# demonstration project.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run
cmake --preset release >/dev/null
# The program alone: the tests and benchmarks are built by scripts/test.sh.
cmake --build --preset release -j "$(nproc)" --target korvant
exe=build/release/src/app/korvant
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
  echo "No display found: starting under a virtual X server (xvfb-run)."
  exec xvfb-run -a "$exe" "$@"
fi
exec "$exe" "$@"
