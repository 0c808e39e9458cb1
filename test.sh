#!/usr/bin/env bash
# Builds Zorvane with its tests and runs every test; then, where the MinGW-w64 cross
# compiler and Wine are installed, the Windows build and its tests under Wine, which also
# compare the two builds' results end to end. Then a plain Release build as a packager
# makes it, its Debian package installed, run and removed again (scripts/check-package.sh;
# ZORVANE_PACKAGE_CHECK=0 leaves it out). Then each fuzz target runs briefly (when clang
# with libFuzzer is here) and the whole suite runs again under the address and
# undefined-behaviour sanitizers. ZORVANE_QUICK_TEST=1 stops before the fuzzing.
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

if [ "${ZORVANE_PACKAGE_CHECK:-1}" != 0 ]; then
  scripts/check-package.sh
fi
[ "${ZORVANE_QUICK_TEST:-0}" = 1 ] && exit 0

fuzz_seconds=${ZORVANE_FUZZ_SECONDS:-30}
status=0
fuzz/run-fuzzers.sh "$fuzz_seconds" || status=$?
case $status in
  0) ;;
  2) echo "fuzz: skipped (clang with libFuzzer is not available)" ;;
  *) exit "$status" ;;
esac

# The benchmarks measure the plain build; under the sanitizers they would only cost time.
cmake --preset sanitize -DZORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build --preset sanitize -j"$jobs"
ctest --preset sanitize -j"$jobs"
