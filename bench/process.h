// Running one program as a child process and measuring it whole: wall time from just
// before the start to the end of the wait, and the peak resident memory the kernel
// reports for it. Linux only, like the rest of the benchmark tools.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zorvane::bench {

struct ProcessResult {
  bool started = false;
  int exit_status = -1;  // the exit code, or -1 when the program did not exit normally
  double seconds = 0;    // wall time
  std::int64_t peak_rss_kb = 0;
  std::uint64_t start_ns = 0;  // CLOCK_MONOTONIC just before the start
};

// Runs `argv` (argv[0] a path) with the current environment plus `environment`
// (NAME, VALUE) pairs, which replace variables of the same name; standard output goes to
// `stdout_path` and standard error to `stderr_path` (/dev/null when empty).
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::pair<std::string, std::string>>& environment,
                         const std::string& stdout_path, const std::string& stderr_path);

// Runs `argv` through `helper` ("zorvane-bench-helper run"), which starts it from a small
// process: the peak memory is then the program's own, never the driver's that a child
// inherits at its start. Output and environment as for RunProcess.
ProcessResult MeasureProcess(const std::string& helper, const std::string& result_path,
                             const std::vector<std::string>& argv,
                             const std::vector<std::pair<std::string, std::string>>& environment,
                             const std::string& stdout_path, const std::string& stderr_path);

// CLOCK_MONOTONIC in nanoseconds: the same clock in every process of the machine.
std::uint64_t MonotonicNanoseconds();

// Small file-system helpers for the benchmark's work folder.
bool MakeDirectories(const std::string& path);
bool RemoveTree(const std::string& path);
bool CopyFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
// The size of a file in bytes, or -1.
std::int64_t FileSize(const std::string& path);
// The whole file, or "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// The folder of the running program.
std::string ExecutableDirectory();

}  // namespace zorvane::bench
