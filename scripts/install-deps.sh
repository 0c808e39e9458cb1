#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Zorvane need.
#
# The Windows build (MinGW-w64 cross compiler, Wine to run its tests, the ja_JP.UTF-8
# locale that gives Wine code page 932) comes too, unless ZORVANE_WINDOWS_BUILD=0.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev nlohmann-json3-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  fonts-ipafont-gothic xvfb xauth xdg-utils
  clang libclang-rt-dev
)
windows_build=${ZORVANE_WINDOWS_BUILD:-1}
if [ "$windows_build" != 0 ]; then
  # fonts-wine: the fonts Wine draws its own captions and caption buttons with.
  packages+=(g++-mingw-w64-x86-64 wine wine64 fonts-wine locales)
fi
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

# Wine takes its ANSI code page from the locale: without ja_JP.UTF-8 it would use 1252.
if [ "$windows_build" != 0 ] && ! locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$'; then
  "${sudo[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
