#include "platform/posix/file_attributes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"

namespace zorvane::posix {

std::string_view BaseName(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::uint32_t AttributesAt(int dir_fd, const char* path, std::string_view name, KnownKind kind,
                           bool read_only) {
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

}  // namespace zorvane::posix
