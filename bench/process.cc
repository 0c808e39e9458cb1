#include "bench/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

extern char** environ;

namespace zorvane::bench {

std::uint64_t MonotonicNanoseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000000ull +
         static_cast<std::uint64_t>(now.tv_nsec);
}

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::pair<std::string, std::string>>& environment,
                         const std::string& stdout_path, const std::string& stderr_path) {
  ProcessResult result;
  std::vector<std::string> env_strings;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string pair(*entry);
    const std::string name = pair.substr(0, pair.find('='));
    bool replaced = false;
    for (const auto& [override_name, value] : environment) replaced |= override_name == name;
    if (!replaced) env_strings.push_back(pair);
  }
  for (const auto& [name, value] : environment) env_strings.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& s : env_strings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> argp;
  for (std::string& s : args) argp.push_back(s.data());
  argp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  const std::string out = stdout_path.empty() ? "/dev/null" : stdout_path;
  const std::string err = stderr_path.empty() ? "/dev/null" : stderr_path;
  ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);

  result.start_ns = MonotonicNanoseconds();
  pid_t pid = 0;
  const int error = ::posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
  ::posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return result;
  result.started = true;
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) return result;
  }
  result.seconds = static_cast<double>(MonotonicNanoseconds() - result.start_ns) / 1e9;
  result.peak_rss_kb = usage.ru_maxrss;
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

ProcessResult MeasureProcess(const std::string& helper, const std::string& result_path,
                             const std::vector<std::string>& argv,
                             const std::vector<std::pair<std::string, std::string>>& environment,
                             const std::string& stdout_path, const std::string& stderr_path) {
  std::vector<std::string> helper_argv = {helper, "run", result_path};
  helper_argv.insert(helper_argv.end(), argv.begin(), argv.end());
  RemoveFile(result_path);
  const ProcessResult outer = RunProcess(helper_argv, environment, stdout_path, stderr_path);
  ProcessResult result;
  unsigned long long start = 0;
  long long peak = 0;
  if (!outer.started || outer.exit_status != 0 ||
      std::sscanf(ReadWholeFile(result_path).c_str(), "%llu %lf %lld %d", &start, &result.seconds,
                  &peak, &result.exit_status) != 4) {
    return result;
  }
  result.started = result.exit_status != 127;
  result.start_ns = start;
  result.peak_rss_kb = peak;
  return result;
}

bool MakeDirectories(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  return !error;
}

bool RemoveTree(const std::string& path) {
  std::error_code error;
  std::filesystem::remove_all(path, error);
  return !error;
}

bool CopyFile(const std::string& from, const std::string& to) {
  std::error_code error;
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
  return !error;
}

bool RemoveFile(const std::string& path) {
  std::error_code error;
  std::filesystem::remove(path, error);
  return !error;
}

std::int64_t FileSize(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ExecutableDirectory() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string(".") : exe.parent_path().string();
}

}  // namespace zorvane::bench
