// The platform on Linux and other POSIX systems.
//
// Sections: file helpers (whole-file reads, atomic replacement, the writer lock); file
// attributes; environment references; starting programs; the Platform itself.
//
// Profile files are read with no lock: writers replace them by rename, so a reader sees
// the old file or the new one, never a half-written one. Writers take an exclusive lock
// on "<file>.lock" around read-modify-replace, so two processes writing one profile file
// never lose each other's changes.
#include "platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/posix/cp932.h"
#include "platform/posix/posix_registry.h"
#include "platform/posix/profile_cache.h"
#include "platform/posix/url_cache/url_cache_sources.h"
#include "platform/profile_engine.h"
#include "platform/text.h"

namespace zorvane {
namespace {

// ---- File helpers --------------------------------------------------------------------

// An open file descriptor, closed when it goes.
class UniqueFd final {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now and reports whether the close succeeded.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// The text of a C string argument: what a Windows "A" function sees of `s`.
std::string_view CString(const std::string& s) {
  return std::string_view(s).substr(0, s.find('\0'));
}

enum class ReadResult { kRead, kMissing, kFailed };

ReadResult ReadWholeFile(const std::string& path, std::string* bytes) {
  bytes->clear();
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    return errno == ENOENT || errno == ENOTDIR ? ReadResult::kMissing : ReadResult::kFailed;
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
      return ReadResult::kRead;
    } else if (errno != EINTR) {
      bytes->clear();
      return ReadResult::kFailed;  // a folder, for one
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

// The file a write to `path` should replace: `path` itself, or the file a symbolic link
// there points to (a write goes through the link, as on Windows, and keeps the link).
// nullopt for an empty path or a link that leads nowhere.
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

// The temporary files of writers of "<name>" in `folder` are ".<name>.tmp-<pid>-<n>".
// A writer killed between creating and renaming its file leaves it behind; this removes
// those whose process is gone, so a crash does not litter the folder for good. Files of
// a live process (another writer right now, or a process that reused the pid) stay.
void RemoveStaleTemporaries(const std::string& folder, const std::string& name) {
  DIR* stream = ::opendir(folder.empty() ? "." : folder.c_str());
  if (stream == nullptr) return;
  const std::string prefix = "." + name + ".tmp-";
  const pid_t self = ::getpid();
  while (const dirent* entry = ::readdir(stream)) {
    const std::string_view entry_name(entry->d_name);
    if (entry_name.substr(0, prefix.size()) != prefix) continue;
    const std::string_view rest = entry_name.substr(prefix.size());
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

// Replaces `target` (no link) with `bytes`: a temporary file in the same folder,
// written and flushed to the disk, then renamed over it, and the rename flushed too. On
// any failure the old file stays as it was and the temporary file is removed. A file
// that is not writable is not replaced; a replaced file keeps its permission bits.
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
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  RemoveStaleTemporaries(folder, name);
  std::string temp;
  int raw_fd = -1;
  for (int attempt = 0; attempt < 100 && raw_fd < 0; ++attempt) {
    temp = folder + "." + name + ".tmp-" + std::to_string(::getpid()) + "-" +
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

// An exclusive lock on "<target>.lock", held while the object lives. The lock file stays
// behind: removing it would let a third writer lock a new file while a second still
// holds the old one.
class WriterLock final {
 public:
  explicit WriterLock(const std::string& target)
      : fd_(::open((target + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
    if (!fd_.valid()) return;
    while (::flock(fd_.get(), LOCK_EX) != 0) {
      if (errno != EINTR) return;
    }
    locked_ = true;
  }
  WriterLock(const WriterLock&) = delete;
  WriterLock& operator=(const WriterLock&) = delete;

  bool locked() const { return locked_; }

 private:
  UniqueFd fd_;
  bool locked_ = false;
};

// ---- File attributes -----------------------------------------------------------------

// The last component of `path`, without trailing separators.
std::string_view BaseName(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// What a folder listing already tells of an entry, which spares asking for it again.
enum class KnownKind {
  kUnknown,  // a link, or a file system that does not say
  kFolder,
  kOther,  // neither a folder nor a link
};

// The attribute bits of `path` relative to folder `dir_fd`; `name` decides "hidden". A
// symbolic link is a reparse point, and a folder too when it leads to one; it is never
// followed otherwise. kInvalidFileAttributes when it cannot be queried. The read-only
// bit costs a system call of its own and is only asked for when `read_only` is set.
std::uint32_t AttributesAt(int dir_fd, const char* path, std::string_view name,
                           KnownKind kind = KnownKind::kUnknown, bool read_only = true) {
  std::uint32_t attributes = 0;
  if (kind == KnownKind::kFolder) {
    attributes |= kFileAttributeDirectory;
  } else if (kind == KnownKind::kUnknown) {
    struct stat st;
    if (::fstatat(dir_fd, path, &st, AT_SYMLINK_NOFOLLOW) != 0) return kInvalidFileAttributes;
    if (S_ISLNK(st.st_mode)) {
      attributes |= kFileAttributeReparsePoint;
      struct stat target;
      if (::fstatat(dir_fd, path, &target, 0) == 0 && S_ISDIR(target.st_mode)) {
        attributes |= kFileAttributeDirectory;
      }
    } else if (S_ISDIR(st.st_mode)) {
      attributes |= kFileAttributeDirectory;
    }
  }
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") {
    attributes |= kFileAttributeHidden;
  }
  // Read-only when writing is refused; a link that leads nowhere is not read-only.
  if (read_only && ::faccessat(dir_fd, path, W_OK, AT_EACCESS) != 0 &&
      (errno == EACCES || errno == EROFS)) {
    attributes |= kFileAttributeReadOnly;
  }
  return attributes == 0 ? kFileAttributeNormal : attributes;
}

// ---- Environment references ----------------------------------------------------------

// The value of environment variable `name`, matched exactly and then without regard to
// case as Windows matches names; USERPROFILE falls back to HOME.
std::optional<std::string> LookUpVariable(std::string_view name) {
  const std::string exact(name);
  if (const char* value = std::getenv(exact.c_str())) return std::string(value);
  const std::string lower = text::AsciiLower(name);
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string_view pair(*entry);
    const std::size_t equals = pair.find('=');
    if (equals != std::string_view::npos && text::AsciiLower(pair.substr(0, equals)) == lower) {
      return std::string(pair.substr(equals + 1));
    }
  }
  if (lower == "userprofile") {
    if (const char* home = std::getenv("HOME")) return std::string(home);
  }
  return std::nullopt;
}

// ---- Starting programs ---------------------------------------------------------------

// Programs started and not yet reaped. They are reaped without waiting whenever another
// is started, so none lingers as a zombie for long.
class Children final {
 public:
  // Starts `program` (looked up in PATH unless it holds "/") with `args`; returns 0 or
  // the error that kept it from starting.
  int Spawn(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawnattr_t attr;
    ::posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    ::posix_spawnattr_setsigmask(&attr, &none);
    // A session of its own: closing the terminal or Ctrl+C here leaves it running.
    ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
    ::posix_spawnattr_destroy(&attr);

    std::lock_guard<std::mutex> lock(mutex_);
    ReapFinishedLocked();
    if (error == 0) pids_.push_back(pid);
    return error;
  }

  ~Children() {
    std::lock_guard<std::mutex> lock(mutex_);
    ReapFinishedLocked();
  }

 private:
  void ReapFinishedLocked() {
    std::erase_if(pids_, [](pid_t pid) {
      int status = 0;
      const pid_t result = ::waitpid(pid, &status, WNOHANG);
      return result == pid || (result < 0 && errno == ECHILD);
    });
  }

  std::mutex mutex_;
  std::vector<pid_t> pids_;
};

bool StartsWithIgnoringCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && text::AsciiLower(s.substr(0, prefix.size())) == prefix;
}

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  struct passwd entry;
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
    return found->pw_dir;
  }
  return std::string();
}

// ---- The platform --------------------------------------------------------------------

class PosixPlatform final : public Platform {
 public:
  PosixPlatform() : home_(HomeDirectory()), registry_(PosixRegistry::DefaultStorePath(), home_) {
    registry_.SetDiagnose([this](const std::string& line) { Diagnose(line); });
  }

  long RegOpenKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                  RegHandle* key) override {
    return registry_.RegOpenKey(root, sub_key, access, key);
  }
  long RegCreateKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                    RegHandle* key) override {
    return registry_.RegCreateKey(root, sub_key, access, key);
  }
  long RegQueryValue(RegHandle key, const std::string& name, std::uint32_t* type,
                     std::uint8_t* buffer, std::uint32_t* size) override {
    return registry_.RegQueryValue(key, name, type, buffer, size);
  }
  long RegSetValue(RegHandle key, const std::string& name, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) override {
    return registry_.RegSetValue(key, name, type, data, size);
  }
  long RegDeleteKey(RegHandle key, const std::string& sub_key) override {
    return registry_.RegDeleteKey(key, sub_key);
  }
  long RegDeleteValue(RegHandle key, const std::string& name) override {
    return registry_.RegDeleteValue(key, name);
  }
  long RegEnumValue(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                    std::string* name) override {
    return registry_.RegEnumValue(key, index, name_buffer_size, name);
  }
  long RegEnumKey(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                  std::string* name) override {
    return registry_.RegEnumKey(key, index, name_buffer_size, name);
  }
  long RegCloseKey(RegHandle key) override { return registry_.RegCloseKey(key); }

  std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& default_value, std::uint32_t size,
                                      const std::string& file) override {
    // A file that is missing or cannot be read holds nothing: every lookup gives the
    // default, and nothing is created.
    return FromAnsi(profile_reads_.Read(std::string(CString(file)), ToAnsi(CString(section)),
                                        ToAnsi(CString(key)), ToAnsi(CString(default_value)),
                                        size));
  }

  bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                 const std::string& value, const std::string& file) override {
    return WritePrivateProfileStrings(section, {{key, value}}, file);
  }

  bool WritePrivateProfileStrings(const std::string& section,
                                  const std::vector<std::pair<std::string, std::string>>& entries,
                                  const std::string& file) override {
    profile_reads_.Clear();
    std::vector<std::pair<std::string, std::string>> ansi_entries;
    ansi_entries.reserve(entries.size());
    for (const auto& [key, value] : entries) {
      ansi_entries.emplace_back(ToAnsi(CString(key)), ToAnsi(CString(value)));
    }
    const std::string ansi_section = ToAnsi(CString(section));
    bool all_writable = true;
    for (const auto& [key, value] : ansi_entries) {
      all_writable &= profile::CanWrite(ansi_section, key, value);
    }
    if (entries.empty() || (!all_writable && entries.size() == 1)) return all_writable;

    const std::optional<std::string> target = WriteTarget(std::string(CString(file)));
    if (!target) return false;
    WriterLock lock(*target);
    if (!lock.locked()) return false;
    std::string before;
    const ReadResult read = ReadWholeFile(*target, &before);
    if (read == ReadResult::kFailed) return false;
    const std::string after = profile::WriteStrings(before, ansi_section, ansi_entries);
    // Nothing changed (every entry refused, or all already so): the file stays, and a
    // missing one is not created; a file that could not be written still says so.
    if (after == before) {
      return all_writable && (read == ReadResult::kMissing ||
                              ::faccessat(AT_FDCWD, target->c_str(), W_OK, AT_EACCESS) == 0);
    }
    return ReplaceFile(*target, after) && all_writable;
  }

  std::uint32_t GetFileAttributes(const std::string& path) override {
    if (path.empty()) return kInvalidFileAttributes;
    return AttributesAt(AT_FDCWD, path.c_str(), BaseName(path));
  }

  bool ListDirectory(const std::string& dir, std::vector<DirEntry>* entries) override {
    entries->clear();
    DIR* stream = ::opendir(dir.c_str());
    if (stream == nullptr) return false;
    bool ok = true;
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(stream);
      if (entry == nullptr) {
        ok = errno == 0;
        break;
      }
      const std::string_view name(entry->d_name);
      if (name == "." || name == "..") continue;
      // The entry's type from the listing spares a stat of every plain file and folder;
      // the read-only bit is not asked for (see Platform::ListDirectory).
      KnownKind kind = KnownKind::kOther;
      if (entry->d_type == DT_DIR) kind = KnownKind::kFolder;
      if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) kind = KnownKind::kUnknown;
      const std::uint32_t attributes =
          AttributesAt(::dirfd(stream), entry->d_name, name, kind, /*read_only=*/false);
      if (attributes == kInvalidFileAttributes) continue;  // gone since it was listed
      entries->push_back({std::string(name), attributes});
    }
    ::closedir(stream);
    if (!ok) entries->clear();
    // readdir's order is the file system's hash order; Windows file systems (and Wine)
    // hand names out sorted, letters without regard to case. The same order here gives
    // the folder walk, and so url.dat, the order of the Windows build.
    std::stable_sort(entries->begin(), entries->end(), [](const DirEntry& a, const DirEntry& b) {
      return std::lexicographical_compare(
          a.name.begin(), a.name.end(), b.name.begin(), b.name.end(), [](char x, char y) {
            const auto upper = [](char c) {
              return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            };
            return upper(x) < upper(y);
          });
    });
    return ok;
  }

  bool ReadFile(const std::string& path, std::string* bytes) override {
    return ReadWholeFile(path, bytes) == ReadResult::kRead;
  }

  bool WriteFileAtomic(const std::string& path, std::string_view bytes) override {
    profile_reads_.Clear();
    const std::optional<std::string> target = WriteTarget(path);
    return target && ReplaceFile(*target, bytes);
  }

  bool CreateDirectory(const std::string& path) override {
    return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
  }

  bool ReplaceDirectory(const std::string& staged, const std::string& target) override {
    struct stat st;
    if (::lstat(target.c_str(), &st) != 0) {
      return errno == ENOENT && ::rename(staged.c_str(), target.c_str()) == 0;
    }
    if (!S_ISDIR(st.st_mode)) return false;
    // One step: whoever lists the parent sees the old folder or the new one, never none.
    if (::renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
      return RemoveDirectoryTree(staged);
    }
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without the exchange: the old folder steps aside for an instant.
    const std::string aside = staged + ".old";
    if (!RemoveDirectoryTree(aside) || ::rename(target.c_str(), aside.c_str()) != 0) return false;
    if (::rename(staged.c_str(), target.c_str()) != 0) {
      ::rename(aside.c_str(), target.c_str());
      return false;
    }
    return RemoveDirectoryTree(aside);
  }

  bool RemoveDirectoryTree(const std::string& path) override {
    std::error_code error;
    std::filesystem::remove_all(path, error);  // removes links, never follows them
    return !error && !std::filesystem::exists(std::filesystem::symlink_status(path, error));
  }

  std::string ToAnsi(std::string_view utf8) override { return cp932::FromUtf8(utf8); }
  std::string FromAnsi(std::string_view ansi) override { return cp932::ToUtf8(ansi); }
  bool SurvivesAnsi(std::string_view utf8) override { return cp932::SurvivesRoundTrip(utf8); }
  bool IsCanonicalAnsi(std::string_view ansi) override { return cp932::IsCanonical(ansi); }

  std::string ExpandEnvironmentStrings(const std::string& text) override {
    std::string result;
    std::size_t i = 0;
    while (i < text.size()) {
      const std::size_t open = text.find('%', i);
      const std::size_t close =
          open == std::string::npos ? std::string::npos : text.find('%', open + 1);
      if (close == std::string::npos) break;  // no reference, or a lone "%": kept as it is
      result.append(text, i, open - i);
      const std::optional<std::string> value =
          LookUpVariable(std::string_view(text).substr(open + 1, close - open - 1));
      if (value) {
        result.append(*value);
      } else {
        result.append(text, open, close - open + 1);  // unknown: "%NAME%" stays
      }
      i = close + 1;
    }
    result.append(text, i);
    return result;
  }

  void EnumerateUrlCache(std::uint32_t type_mask,
                         const std::function<bool(const UrlCacheEntry&)>& visit) override {
    EnumerateUrlCacheSources(
        std::getenv("ZORVANE_URL_CACHE"), home_,
        [this](const std::string& line) { Diagnose(line); },
        [&](const UrlCacheEntry& entry) { return (entry.type & type_mask) == 0 || visit(entry); });
  }

  bool ShellOpen(const std::string& operation, const std::string& file) override {
    const std::string verb = text::AsciiLower(CString(operation));
    std::string target(CString(file));
    if ((!verb.empty() && verb != "open") || target.empty()) return false;
    if (StartsWithIgnoringCase(target, "mailto:")) {
      const int error = children_.Spawn("xdg-email", {target});
      if (error != ENOENT) return error == 0;
    } else if (target[0] == '-') {
      target.insert(0, "./");  // a file name, never an option of the opener
    }
    return children_.Spawn("xdg-open", {target}) == 0;
  }

  bool StartProgram(const std::string& command_line) override {
    // The whole command line names one program; it is never split or handed to a
    // shell. One pair of quotes around it, as Windows paths with blanks carry, goes.
    std::string_view program = CString(command_line);
    while (!program.empty() && program.front() == ' ') program.remove_prefix(1);
    while (!program.empty() && program.back() == ' ') program.remove_suffix(1);
    if (program.size() >= 2 && program.front() == '"' && program.back() == '"') {
      program = program.substr(1, program.size() - 2);
    }
    if (program.empty()) return false;
    return children_.Spawn(std::string(program), {}) == 0;
  }

  std::string ProgramDirectory() override {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
      const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
      if (n < 0) return ".";
      if (static_cast<std::size_t>(n) < buffer.size()) {
        const std::string exe(buffer.data(), static_cast<std::size_t>(n));
        const std::size_t slash = exe.rfind('/');
        if (slash == std::string::npos) return ".";
        return slash == 0 ? "/" : exe.substr(0, slash);
      }
      buffer.resize(buffer.size() * 2);
    }
  }

  char PathSeparator() const override { return '/'; }
  bool FileNamesIgnoreCase() const override { return false; }

 private:
  const std::string home_;
  PosixRegistry registry_;
  Children children_;
  ProfileReadCache profile_reads_;
};

}  // namespace

std::unique_ptr<Platform> CreateDefaultPlatform() { return std::make_unique<PosixPlatform>(); }

}  // namespace zorvane
