// Files on POSIX systems: descriptors, whole reads, atomic replacement and the writer
// lock of the profile files.
//
// Profile files are read with no lock: writers replace them by rename, so a reader sees
// the old file or the new one, never a half-written one. Writers take an exclusive lock
// on "<file>.lock" around read-modify-replace, so two processes writing one profile file
// never lose each other's changes.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <string_view>

#include "base/system_codes.h"

namespace zorvane::posix {

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

// Reads the whole file at `path`; kMissing when there is none, kFailed when it cannot be
// read (a folder, for one). `bytes` is empty unless kRead.
FileRead ReadWholeFile(const std::string& path, std::string* bytes);

// Writes all of `bytes` to `fd`, through interruptions; false on an error.
bool WriteAll(int fd, std::string_view bytes);

// Copies the file `from` (read through a link) to the new file `to` (never through a
// link), with its permission bits and times. False, with nothing left at `to`, when `to`
// exists or the copy fails.
bool CopyToNewFile(const std::string& from, const std::string& to);

// The file a write to `path` should replace: `path` itself, or the file a symbolic link
// there points to (a write goes through the link, as on Windows, and keeps the link).
// nullopt for an empty path or a link that leads nowhere.
std::optional<std::string> WriteTarget(const std::string& path);

// Replaces `target` (no link) with `bytes`: a temporary file in the same folder, written
// and flushed to the disk, then renamed over it, and the rename flushed too. On any
// failure the old file stays as it was and the temporary file is removed. A file that is
// not writable is not replaced; a replaced file keeps its permission bits. Temporary
// files that killed writers left behind are removed on the way.
bool ReplaceFile(const std::string& target, std::string_view bytes);

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

}  // namespace zorvane::posix
