// zorvane-bench-helper: starts and measures the programs the benchmark times, and does
// the least work each measured command cannot avoid (its floor), as a process of its own
// so that the floor pays the same start-up as the program it is set against.
//
//   zorvane-bench-helper run RESULT PROGRAM ARGS...
//       runs PROGRAM with ARGS, waits for it and writes to RESULT one line: the
//       monotonic clock in nanoseconds just before the start, the wall time in seconds,
//       the peak resident memory in KiB and the exit status (-1 when it did not exit).
//       The program is started from this small process, so its peak memory is its own
//       and not that of the large benchmark driver it would otherwise inherit at start.
//   zorvane-bench-helper tree ROOT OUT BYTES
//       opens and reads every file below ROOT once (folders walked, links not followed),
//       then writes BYTES bytes to OUT and flushes them to the disk once: the floor of
//       the catalogue build, which must read every shortcut and write url.dat and the
//       settings file.
//   zorvane-bench-helper read FILE...
//       reads each FILE once from start to end: the floor of the ranking, which must read
//       its cache sources.
//
// The floors print the number of files and bytes read.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Totals {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
  unsigned char mix = 0;  // touches what was read, so no read can be skipped
};

char g_buffer[1 << 16];

void ReadFd(int fd, Totals* totals) {
  for (;;) {
    const ssize_t n = ::read(fd, g_buffer, sizeof(g_buffer));
    if (n > 0) {
      totals->bytes += static_cast<std::uint64_t>(n);
      totals->mix ^= static_cast<unsigned char>(g_buffer[n - 1]);
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  ++totals->files;
}

void ReadPath(const char* path, Totals* totals) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  ReadFd(fd, totals);
  ::close(fd);
}

void WalkTree(int dir_fd, Totals* totals) {
  DIR* dir = ::fdopendir(dir_fd);
  if (dir == nullptr) {
    ::close(dir_fd);
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    unsigned char type = entry->d_type;
    if (type == DT_UNKNOWN) {
      struct stat st {};
      if (::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_LNK;
    }
    if (type == DT_DIR) {
      const int child =
          ::openat(::dirfd(dir), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (child >= 0) WalkTree(child, totals);
    } else if (type == DT_REG) {
      const int fd = ::openat(::dirfd(dir), name.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd >= 0) {
        ReadFd(fd, totals);
        ::close(fd);
      }
    }
  }
  ::closedir(dir);
}

bool WriteBytes(const char* path, std::uint64_t count) {
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::vector<char> block(1 << 16, 'x');
  while (count > 0) {
    const std::size_t piece = count < block.size() ? static_cast<std::size_t>(count) : block.size();
    const ssize_t n = ::write(fd, block.data(), piece);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return false;
    }
    count -= static_cast<std::uint64_t>(n);
  }
  const bool ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

std::uint64_t MonotonicNanoseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000000ull +
         static_cast<std::uint64_t>(now.tv_nsec);
}

int RunAndMeasure(const char* result_path, char** argv) {
  const std::uint64_t start = MonotonicNanoseconds();
  const pid_t pid = ::fork();
  if (pid < 0) return 1;
  if (pid == 0) {
    ::execv(argv[0], argv);
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) return 1;
  }
  const double seconds = static_cast<double>(MonotonicNanoseconds() - start) / 1e9;
  FILE* result = std::fopen(result_path, "w");
  if (result == nullptr) return 1;
  std::fprintf(result, "%llu %.6f %ld %d\n", static_cast<unsigned long long>(start), seconds,
               usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return std::fclose(result) == 0 ? 0 : 1;
}

int Usage() {
  std::fputs(
      "usage: zorvane-bench-helper run RESULT PROGRAM ARGS... | tree ROOT OUT BYTES |"
      " read FILE...\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string mode = argv[1];
  if (mode == "run" && argc >= 4) return RunAndMeasure(argv[2], argv + 3);
  Totals totals;
  if (mode == "tree" && argc == 5) {
    const int root = ::open(argv[2], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) return 1;
    WalkTree(root, &totals);
    if (!WriteBytes(argv[3], std::strtoull(argv[4], nullptr, 10))) return 1;
  } else if (mode == "read") {
    for (int i = 2; i < argc; ++i) ReadPath(argv[i], &totals);
  } else {
    return Usage();
  }
  std::printf("%llu files, %llu bytes (%u)\n", static_cast<unsigned long long>(totals.files),
              static_cast<unsigned long long>(totals.bytes), totals.mix);
  return 0;
}
