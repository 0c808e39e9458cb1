#include "browsers/file_identity.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "browsers/utf8_path.h"

namespace zorvane::browsers {
namespace {

namespace fs = std::filesystem;

// std::filesystem::equivalent compares the identities (on Windows through
// GetFileInformationByHandle). It fails when neither file can be looked up, and for two
// files that are neither regular files, folders nor links (FIFOs, devices): their paths
// then decide.
bool SamePathOrFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  const bool same = fs::equivalent(a, b, error);
  if (!error) return same;
  return a.lexically_normal() == b.lexically_normal();
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  return SamePathOrFile(PathFromUtf8(a), PathFromUtf8(b));
}

bool SeenFiles::Insert(const std::string& path) {
  if (Contains(path)) return false;
  files_.push_back(PathFromUtf8(path));
  return true;
}

bool SeenFiles::Contains(const std::string& path) const {
  const fs::path file = PathFromUtf8(path);
  return std::any_of(files_.begin(), files_.end(),
                     [&](const fs::path& seen) { return SamePathOrFile(seen, file); });
}

}  // namespace zorvane::browsers
