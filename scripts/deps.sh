#!/usr/bin/env bash
# Installs what building, running and testing Korvant needs on Debian 12,
# and only what is missing. Usage: scripts/deps.sh [run|test]
# When another package manager holds its lock (another apt-get, the
# system's unattended upgrades), this waits for it, up to ten minutes.
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
((${#missing[@]})) || exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
lock_wait=600
# apt-get install waits for the package lock by itself; apt-get update
# does not wait for the lock of the package lists, so it is asked again
# while another one holds that.
apt=("${sudo[@]}" env LC_ALL=C DEBIAN_FRONTEND=noninteractive apt-get -o "DPkg::Lock::Timeout=$lock_wait")
deadline=$((SECONDS + lock_wait))
told=0
until out=$("${apt[@]}" update -qq 2>&1); do
  if [[ $out != *"Could not get lock"* ]] || ((SECONDS >= deadline)); then
    printf '%s\n' "$out" >&2
    exit 1
  fi
  ((told++)) || echo "Waiting for another package manager to finish..."
  sleep 2
done
[[ -z $out ]] || printf '%s\n' "$out"
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
