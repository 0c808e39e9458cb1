#!/usr/bin/env bash
# Builds what the benchmarks need and runs them all: the catalogue build and the ranking
# at growing sizes against their floors, and the window's start-up when it is built.
#   bench/run.sh            the full benchmark (takes minutes; wants a quiet machine)
#   bench/run.sh --quick    tiny sizes, one run each: a smoke test
# Further options go to zorvane-bench (--repeat R, --only build,rank,window, --work DIR,
# --results FILE, --keep).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${ZORVANE_BENCH_BUILD:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVANE_BUILD_BENCH=ON >/dev/null
cmake --build "$build_dir" -j2 --target zorvane-bench
exec "$build_dir/bench/zorvane-bench" "$@"
