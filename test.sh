#!/usr/bin/env bash
# Builds Zorvane with its tests and runs every test; then runs each fuzz target briefly
# (when clang with libFuzzer is here) and the whole suite again under the address and
# undefined-behaviour sanitizers. ZORVANE_QUICK_TEST=1 stops after the plain suite.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"
[ "${ZORVANE_QUICK_TEST:-0}" = 1 ] && exit 0

fuzz_seconds=${ZORVANE_FUZZ_SECONDS:-30}
status=0
fuzz/run-fuzzers.sh "$fuzz_seconds" || status=$?
case $status in
  0) ;;
  2) echo "fuzz: skipped (clang with libFuzzer is not available)" ;;
  *) exit "$status" ;;
esac

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$jobs"
ctest --preset sanitize -j"$jobs"
