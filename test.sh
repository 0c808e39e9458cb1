#!/usr/bin/env bash
# Builds Zorvane with its tests and runs every test; then, where the MinGW-w64 cross
# compiler and Wine are installed, the Windows build and its tests under Wine, which also
# compare the two builds' results end to end.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"

if command -v x86_64-w64-mingw32-g++ >/dev/null 2>&1 && command -v wine >/dev/null 2>&1; then
  cmake --preset windows -DZORVANE_LINUX_CLI="$PWD/build/cli/zorvane-cli" >/dev/null
  cmake --build --preset windows -j"$jobs"
  ctest --preset windows -j"$jobs"
fi
