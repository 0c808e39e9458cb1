#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Zorvane need.
#
# The Windows build (MinGW-w64 cross compiler, Wine to run its tests, the ja_JP.UTF-8
# locale that gives Wine code page 932, and the SQLite amalgamation and gumbo's sources
# taken from Debian's own source packages of the versions the Linux build links; gumbo's
# from the npm registry where the mirror lacks them, checked against libgumbo-dev) comes
# too, unless ZORVANE_WINDOWS_BUILD=0.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev nlohmann-json3-dev libgumbo-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  fonts-ipafont-gothic xvfb xauth xdg-utils
  clang libclang-rt-dev
  lintian desktop-file-utils appstream
)
windows_build=${ZORVANE_WINDOWS_BUILD:-1}
if [ "$windows_build" != 0 ]; then
  # fonts-wine: the fonts Wine draws its own captions and caption buttons with.
  # dos2unix: the Windows copy of readme.txt. wixl, msitools (msiinfo), zip, unzip: the
  # Windows packages (scripts/package-windows.sh) and their test.
  packages+=(g++-mingw-w64-x86-64 wine wine64 fonts-wine locales dpkg-dev tcl
             dos2unix wixl msitools zip unzip)
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

# Debian's source packages, for the Windows build's pieces below.
enable_deb_src() {
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
}

# SQLite for the Windows build: Debian's source package of the version libsqlite3-dev
# holds, turned into the amalgamation (sqlite3.c, sqlite3.h) that CMake compiles with
# MinGW-w64 into a static library. Kept in build-deps/ beside the sources; nothing of
# SQLite is committed.
if [ "$windows_build" != 0 ]; then
  repo=$(cd "$(dirname "$0")/.." && pwd)
  version=$(dpkg-query -W -f='${source:Version}' libsqlite3-dev)
  out="$repo/build-deps/sqlite-$version"
  if [ ! -s "$out/sqlite3.c" ]; then
    enable_deb_src
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

# gumbo for the Windows build: the C sources (src/) of Debian's source package of the
# version libgumbo-dev holds, which CMake compiles with MinGW-w64 into a static library.
# Kept in build-deps/ like SQLite; nothing of gumbo is committed.
if [ "$windows_build" != 0 ]; then
  version=$(dpkg-query -W -f='${source:Version}' libgumbo-dev)
  out="$repo/build-deps/gumbo-$version"
  if [ ! -s "$out/src/parser.c" ]; then
    enable_deb_src
    work=$(mktemp -d)
    if (cd "$work" && { apt-get source -qq "gumbo-parser=$version" >/dev/null 2>&1 ||
                        apt-get source -qq gumbo-parser >/dev/null 2>&1; }); then
      source_dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'gumbo-parser-*' | head -n 1)
    else
      # Some Debian mirrors lack the source tarball. The same upstream release (0.10.1) is
      # in the npm registry, bundled by the package gumbo-parser@0.3.0: it is taken, by its
      # checksum, only when its public headers are byte for byte libgumbo-dev's.
      command -v npm >/dev/null 2>&1 || "${sudo[@]}" apt-get install -y -qq --no-install-recommends npm
      (cd "$work" && npm pack --silent gumbo-parser@0.3.0 >/dev/null)
      echo "d47101b5182186c4646f7eba5107308dbf93392621ae8c12bd35a7d867c8e913  $work/gumbo-parser-0.3.0.tgz" |
        sha256sum -c --quiet
      tar -xzf "$work/gumbo-parser-0.3.0.tgz" -C "$work"
      source_dir="$work/package/deps/gumbo-parser"
      for header in gumbo.h tag_enum.h; do
        if ! cmp -s "$source_dir/src/$header" "/usr/include/$header"; then
          echo "install-deps.sh: gumbo's sources from npm do not match libgumbo-dev ($header);" \
               "the Windows build needs them (ZORVANE_WINDOWS_BUILD=0 leaves it out)" >&2
          rm -rf "$work"
          exit 1
        fi
      done
    fi
    mkdir -p "$out/src"
    cp "$source_dir"/src/*.c "$source_dir"/src/*.h "$out/src/"
    cp "$source_dir/COPYING" "$out/"
    echo "$version" >"$out/VERSION"
    rm -rf "$work"
  fi
  ln -sfn "gumbo-$version" "$repo/build-deps/gumbo"
fi
