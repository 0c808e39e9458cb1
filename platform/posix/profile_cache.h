// Profile reads through a cache of the last file read, so that many reads of one large
// file (the settings file, read once per ranked address and row) walk it once.
//
// Every read still asks the system about the file; the cached form answers
// only when the file is the same one, unchanged: same path, device, inode, size,
// modification and change time as when its bytes were read. Anything else reads it
// anew. (The profile functions of Windows keep their last file the same way, trusting
// it while its last-write time stays the same.) A writer that changes the file in place,
// keeping its size, within one tick of the file system's clock after a read is the one
// change this cannot see; writers through any Zorvane platform replace the file whole. The first
// read of a file answers from its bytes; a second read of the same file parses it into an index, so
// a file read once (an Internet shortcut) costs no index. Writers through the platform call
// Clear(), so a process always reads its own writes.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>

#include "formats/profile_engine.h"

struct stat;

namespace zorvane {

class ProfileReadCache final {
 public:
  ProfileReadCache() = default;
  ProfileReadCache(const ProfileReadCache&) = delete;
  ProfileReadCache& operator=(const ProfileReadCache&) = delete;

  // What GetPrivateProfileStringA returns for `section` and `key` of the file at `path`
  // (all in the ANSI code page): the value, or `default_value` when the file cannot be
  // read or holds neither; at most `size` - 1 bytes (see profile::ReadString).
  std::string Read(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& default_value, std::uint32_t size);

  // Forgets the cached file.
  void Clear();

 private:
  struct Identity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    timespec modified{};
    timespec changed{};
    bool operator==(const Identity& other) const;
  };

  static Identity IdentityOf(const struct stat& st);
  void ClearLocked();

  std::mutex mutex_;
  std::string path_;
  Identity identity_;
  std::string bytes_;                            // until the file is read a second time
  std::unique_ptr<profile::ParsedFile> parsed_;  // from the second read on
};

}  // namespace zorvane
