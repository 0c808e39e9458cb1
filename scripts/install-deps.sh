#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Zorvane need.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev nlohmann-json3-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  fonts-ipafont-gothic xvfb xauth xdg-utils
  clang libclang-rt-dev
)
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
