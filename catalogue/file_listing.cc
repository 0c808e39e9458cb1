#include "catalogue/file_listing.h"

#include <algorithm>
#include <utility>

#include "base/text.h"

namespace zorvane {
namespace {

struct SortKey {
  std::string folded;
  std::string name;
};

}  // namespace

std::vector<std::string> ListFolderFiles(Platform& platform, const std::string& folder) {
  std::vector<DirEntry> entries;
  std::vector<std::string> names;
  if (!platform.ListDirectory(folder, &entries)) return names;
  constexpr std::uint32_t kExcluded =
      kFileAttributeDirectory | kFileAttributeHidden | kFileAttributeSystem;
  std::vector<SortKey> keys;
  keys.reserve(entries.size());
  for (DirEntry& entry : entries) {
    if ((entry.attributes & kExcluded) != 0) continue;
    keys.push_back({text::AsciiLower(entry.name), std::move(entry.name)});
  }
  // Without regard to case, as the file list control orders them; ties by bytes, so the
  // order is total and the same on every run.
  std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) {
    if (a.folded != b.folded) return a.folded < b.folded;
    return a.name < b.name;
  });
  names.reserve(keys.size());
  for (SortKey& key : keys) names.push_back(std::move(key.name));
  return names;
}

}  // namespace zorvane
