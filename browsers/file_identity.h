// Telling two names of one file from two files. A file is known by its identity, not by
// its path: the device and inode on POSIX, the volume serial number and file index on
// Windows. So a hard link, a symbolic link, a link to a folder above the file and another
// spelling of its path all name the same file, and a browser database reached by several
// of them is read once. A path that names no file is known by its path made lexically
// normal.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zorvane::browsers {

// True when `a` and `b` (UTF-8) name one file: both exist and have the same identity;
// or their identities cannot be compared (neither can be looked up, being missing or in
// an unreadable folder, or neither is a regular file, folder or link) and their paths are
// equal once made lexically normal. A file that exists is never the same as a path that
// names nothing.
bool SameFile(const std::string& a, const std::string& b);

// The files met so far, for finding a file met again under another name. Compares with
// each file met before, one by one: meant for a handful of files, such as the databases
// of the profiles found.
class SeenFiles final {
 public:
  // Records the file at `path` (UTF-8) and returns true, or returns false and records
  // nothing when SameFile holds for it and a file recorded before.
  bool Insert(const std::string& path);
  // Whether SameFile holds for `path` and a file recorded before.
  bool Contains(const std::string& path) const;

 private:
  std::vector<std::filesystem::path> files_;
};

}  // namespace zorvane::browsers
