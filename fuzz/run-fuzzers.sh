#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, address and undefined-behaviour sanitizers)
# and runs each for SECONDS on a copy of its seed corpus, two at a time.
#
#   fuzz/run-fuzzers.sh SECONDS [TARGET...]
#
# Environment: ZORVANE_FUZZ_BUILD (build folder, default build-fuzz), ZORVANE_FUZZ_JOBS
# (targets run at once, default 2). Prints each target's runs; exits 1 when a target
# found a crash (the input is kept in the build folder's artifacts/) and 2 when clang
# cannot build libFuzzer programs here.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
  echo "usage: fuzz/run-fuzzers.sh SECONDS [TARGET...]" >&2
  exit 64
fi
seconds=$1
shift
all_targets=(profile_read_fuzzer profile_write_fuzzer reg_file_fuzzer cp932_fuzzer
             catalogue_file_fuzzer shortcut_read_fuzzer ie_index_fuzzer cache_list_fuzzer
             mail_request_fuzzer file_name_fuzzer bookmarks_fuzzer)
targets=("${@:-${all_targets[@]}}")
build=${ZORVANE_FUZZ_BUILD:-build-fuzz}
jobs=${ZORVANE_FUZZ_JOBS:-2}

# Whether clang can link a libFuzzer program (Debian: libclang-rt-dev).
fuzzer_available() {
  command -v clang++ >/dev/null 2>&1 || return 1
  local probe
  probe=$(mktemp -d)
  printf '%s\n' '#include <cstdint>' '#include <cstddef>' \
    'extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }' \
    >"$probe/probe.cc"
  clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cc" -o "$probe/probe" \
    >/dev/null 2>&1
  local status=$?
  rm -rf "$probe"
  return $status
}

if ! fuzzer_available; then
  echo "fuzz: clang with libFuzzer is not available here" >&2
  exit 2
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DZORVANE_FUZZ=ON -DZORVANE_BUILD_TESTS=OFF \
  -DZORVANE_BUILD_GUI=OFF -DZORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"

mkdir -p "$build/artifacts" "$build/logs"

# Runs one target; its log ends with libFuzzer's "Done N runs in S second(s)".
run_one() {
  local target=$1 work="$build/corpus/$1"
  mkdir -p "$work"
  cp -f fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
  local max_len=4096
  [ "$target" = ie_index_fuzzer ] && max_len=65536
  # The file-reading targets rewrite a scratch file per input: keep it in memory.
  local tmp=${TMPDIR:-/tmp}
  [ -d /dev/shm ] && [ -w /dev/shm ] && tmp=/dev/shm
  TMPDIR=$tmp "$build/fuzz/$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=30 \
    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
    "$work" >"$build/logs/$target.log" 2>&1
}

failed=0
declare -A pids=()
report() {
  local target=$1 status=$2 log="$build/logs/$1.log" runs
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  if [ "$status" -eq 0 ]; then
    echo "fuzz: $target ${runs:-?} runs in ${seconds}s, no crash"
  else
    echo "fuzz: $target FAILED after ${runs:-?} runs (log: $log)"
    grep -E 'ERROR|property broken|Test unit written' "$log" | head -5 || true
    failed=1
  fi
}

for target in "${targets[@]}"; do
  while [ "${#pids[@]}" -ge "$jobs" ]; do
    for t in "${!pids[@]}"; do
      if ! kill -0 "${pids[$t]}" 2>/dev/null; then
        status=0
        wait "${pids[$t]}" || status=$?
        report "$t" "$status"
        unset "pids[$t]"
      fi
    done
    [ "${#pids[@]}" -ge "$jobs" ] && sleep 1
  done
  run_one "$target" &
  pids[$target]=$!
done
for t in "${!pids[@]}"; do
  status=0
  wait "${pids[$t]}" || status=$?
  report "$t" "$status"
done
exit "$failed"
