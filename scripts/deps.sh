#!/usr/bin/env bash
# Installs what building, running and testing Korvant needs on Debian 12,
# and only what is missing. Usage: scripts/deps.sh [run|test]
set -euo pipefail
what=${1:-test}
pkgs=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-translations-l10n fonts-dejavu-core
      libgtest-dev libgmock-dev googletest libbenchmark-dev ccache)
if [[ $what == test ]]; then
  pkgs+=(clang libclang-rt-14-dev)
fi
if [[ $what == run && -z ${DISPLAY:-} ]]; then
  pkgs+=(xvfb xauth)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [[ $(id -u) -ne 0 ]]; then sudo=sudo; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
