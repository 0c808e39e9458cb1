// File attributes on POSIX systems, in the Windows bits the program speaks.
#pragma once

#include <cstdint>
#include <string_view>

namespace zorvane::posix {

// The last component of `path`, without trailing separators.
std::string_view BaseName(std::string_view path);

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
                           KnownKind kind = KnownKind::kUnknown, bool read_only = true);

}  // namespace zorvane::posix
