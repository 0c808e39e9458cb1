#include "platform/posix/atomic_file.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace zorvane::posix {
namespace {

// The temporary files of writers in a folder are ".zorvane-tmp-<pid>-<n>": a name of its
// own, never longer than about 35 bytes, so a target whose name nearly fills the file
// system's limit can still be replaced.
constexpr std::string_view kTemporaryPrefix = ".zorvane-tmp-";

// A writer killed between creating and renaming its file leaves it behind; this removes
// those whose process is gone, so a crash does not litter the folder for good. Files of
// a live process (another writer right now, or a process that reused the pid) stay.
void RemoveStaleTemporaries(const std::string& folder) {
  DIR* stream = ::opendir(folder.empty() ? "." : folder.c_str());
  if (stream == nullptr) return;
  const pid_t self = ::getpid();
  while (const dirent* entry = ::readdir(stream)) {
    const std::string_view entry_name(entry->d_name);
    if (entry_name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix) continue;
    const std::string_view rest = entry_name.substr(kTemporaryPrefix.size());
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 9) continue;
    pid_t pid = 0;
    bool digits = true;
    for (const char c : rest.substr(0, dash)) {
      digits = digits && c >= '0' && c <= '9';
      pid = pid * 10 + (c - '0');
    }
    if (!digits || pid <= 0 || pid == self) continue;
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
    ::unlinkat(::dirfd(stream), entry->d_name, 0);
  }
  ::closedir(stream);
}

}  // namespace

FileRead ReadWholeFile(const std::string& path, std::string* bytes) {
  bytes->clear();
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    return errno == ENOENT || errno == ENOTDIR ? FileRead::kMissing : FileRead::kFailed;
  }
  struct stat st;
  if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode)) {
    bytes->reserve(static_cast<std::size_t>(st.st_size));
  }
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof(buffer));
    if (n > 0) {
      bytes->append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      return FileRead::kRead;
    } else if (errno != EINTR) {
      bytes->clear();
      return FileRead::kFailed;  // a folder, for one
    }
  }
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool CopyToNewFile(const std::string& from, const std::string& to) {
  UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st;
  if (!in.valid() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  UniqueFd out(
      ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, st.st_mode & 07777));
  if (!out.valid()) return false;
  bool copied = true;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(in.get(), buffer, sizeof(buffer));
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      copied = false;
      break;
    }
    if (!WriteAll(out.get(), std::string_view(buffer, static_cast<std::size_t>(n)))) {
      copied = false;
      break;
    }
  }
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (copied) ::futimens(out.get(), times);  // best effort
  if (copied && out.Close()) return true;
  ::unlink(to.c_str());
  return false;
}

std::optional<std::string> WriteTarget(const std::string& path) {
  if (path.empty()) return std::nullopt;
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string target(resolved);
  std::free(resolved);
  return target;
}

bool ReplaceFile(const std::string& target, std::string_view bytes) {
  struct stat st;
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists &&
      (!S_ISREG(st.st_mode) || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)) {
    return false;
  }
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  RemoveStaleTemporaries(folder);
  std::string temp;
  int raw_fd = -1;
  for (int attempt = 0; attempt < 100 && raw_fd < 0; ++attempt) {
    temp = folder + std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1));
    raw_fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (raw_fd < 0 && errno != EEXIST) return false;
  }
  UniqueFd fd(raw_fd);
  if (!fd.valid()) return false;
  if (exists) ::fchmod(fd.get(), st.st_mode & 07777);  // best effort
  const bool written = WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0 && fd.Close() &&
                       ::rename(temp.c_str(), target.c_str()) == 0;
  if (!written) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename reaches the disk with the folder; without this a power cut could bring
  // the old file back after the new one was reported written.
  UniqueFd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
  return true;
}

}  // namespace zorvane::posix
