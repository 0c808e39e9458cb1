#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Zorvane need.
#
# The Windows build (MinGW-w64 cross compiler, Wine to run its tests, the ja_JP.UTF-8
# locale that gives Wine code page 932, and the SQLite amalgamation made from Debian's
# own source package of the SQLite the Linux build links) comes too, unless
# ZORVANE_WINDOWS_BUILD=0.
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
  packages+=(g++-mingw-w64-x86-64 wine wine64 fonts-wine locales dpkg-dev tcl)
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

# SQLite for the Windows build: Debian's source package of the version libsqlite3-dev
# holds, turned into the amalgamation (sqlite3.c, sqlite3.h) that CMake compiles with
# MinGW-w64 into a static library. Kept in build-deps/ beside the sources; nothing of
# SQLite is committed.
if [ "$windows_build" != 0 ]; then
  repo=$(cd "$(dirname "$0")/.." && pwd)
  version=$(dpkg-query -W -f='${source:Version}' libsqlite3-dev)
  out="$repo/build-deps/sqlite-$version"
  if [ ! -s "$out/sqlite3.c" ]; then
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ &&
       ! grep -qs '^deb-src' /etc/apt/sources.list; then
      if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
          "${sudo[@]}" tee /etc/apt/sources.list.d/zorvane-deb-src.sources >/dev/null
      else
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
          "${sudo[@]}" tee /etc/apt/sources.list.d/zorvane-deb-src.list >/dev/null
      fi
      "${sudo[@]}" apt-get update -qq
    fi
    work=$(mktemp -d)
    (cd "$work" && apt-get source -qq "sqlite3=$version" >/dev/null 2>&1 ||
                   apt-get source -qq sqlite3 >/dev/null)
    source_dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'sqlite3-*' | head -n 1)
    mkdir -p "$work/build" "$out"
    (cd "$work/build" && "$source_dir/configure" --disable-tcl >/dev/null &&
       make -s sqlite3.c >/dev/null)
    cp "$work/build/sqlite3.c" "$work/build/sqlite3.h" "$out/"
    echo "$version" >"$out/VERSION"
    rm -rf "$work"
  fi
  ln -sfn "sqlite-$version" "$repo/build-deps/sqlite"
fi
