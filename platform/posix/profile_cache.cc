#include "platform/posix/profile_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace zorvane {
namespace {

// Reads the rest of `fd` into `bytes`; false on a read error (a folder, for one).
bool ReadAll(int fd, std::string* bytes) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof(buffer));
    if (n > 0) {
      bytes->append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      return true;
    } else if (errno != EINTR) {
      return false;
    }
  }
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

ProfileReadCache::Identity ProfileReadCache::IdentityOf(const struct stat& st) {
  Identity identity;
  identity.device = static_cast<std::uint64_t>(st.st_dev);
  identity.inode = static_cast<std::uint64_t>(st.st_ino);
  identity.size = static_cast<std::int64_t>(st.st_size);
  identity.modified = st.st_mtim;
  identity.changed = st.st_ctim;
  return identity;
}

bool ProfileReadCache::Identity::operator==(const Identity& other) const {
  return device == other.device && inode == other.inode && size == other.size &&
         SameTime(modified, other.modified) && SameTime(changed, other.changed);
}

std::string ProfileReadCache::Read(const std::string& path, const std::string& section,
                                   const std::string& key, const std::string& default_value,
                                   std::uint32_t size) {
  std::lock_guard<std::mutex> lock(mutex_);
  // The file read last: one question to the system tells whether it is still the same.
  struct stat st;
  if (path == path_ && ::stat(path.c_str(), &st) == 0 && IdentityOf(st) == identity_) {
    if (!parsed_) parsed_ = std::make_unique<profile::ParsedFile>(std::exchange(bytes_, {}));
    return parsed_->ReadString(section, key, default_value, size);
  }
  ClearLocked();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    // Missing, unreadable or no regular file: nothing in it, so the default.
    if (fd >= 0) ::close(fd);
    return profile::ReadString("", section, key, default_value, size);
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  const bool read = ReadAll(fd, &bytes);
  ::close(fd);
  if (!read) return profile::ReadString("", section, key, default_value, size);
  std::string value = profile::ReadString(bytes, section, key, default_value, size);
  // A file whose size says nothing of its content (those of /proc) is never kept.
  if (static_cast<std::int64_t>(bytes.size()) != st.st_size) return value;
  path_ = path;
  identity_ = IdentityOf(st);
  bytes_ = std::move(bytes);
  return value;
}

void ProfileReadCache::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  ClearLocked();
}

void ProfileReadCache::ClearLocked() {
  path_.clear();
  identity_ = Identity();
  bytes_.clear();
  parsed_.reset();
}

}  // namespace zorvane
