#include "catalogue/folder_walk.h"

#include <limits>
#include <utility>

#include "base/paths.h"

namespace zorvane {
namespace {

bool IsWalkableFolder(const DirEntry& entry) {
  return (entry.attributes & kFileAttributeDirectory) != 0 &&
         (entry.attributes & kFileAttributeReparsePoint) == 0 && entry.name != "." &&
         entry.name != "..";
}

}  // namespace

std::int32_t FolderWalk::GetFolderList(const std::string& strRoot) {
  strFolderList_.assign(1, std::string());
  lngFolderCount_ = 0;
  const std::uint32_t attributes = platform_.GetFileAttributes(strRoot);
  if (attributes == kInvalidFileAttributes || (attributes & kFileAttributeDirectory) == 0) {
    return -1;
  }
  strFolderList_[0] = strRoot;
  lngFolderCount_ = 1;
  WalkFolder(strRoot);
  if (lngFolderCount_ - 1 > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(lngFolderCount_ - 1);
}

// Pre-order walk with an explicit stack: each level keeps the entries of its folder and
// the position of the next entry to look at, exactly as each recursion level would keep
// its own enumeration handle.
void FolderWalk::WalkFolder(const std::string& strPath) {
  struct Level {
    std::string prefix;  // the folder's path with a separator ensured at its end
    std::vector<DirEntry> entries;
    std::size_t next = 0;
  };
  const char separator = platform_.PathSeparator();
  std::vector<Level> stack;
  auto open_level = [&](const std::string& path) {
    Level level;
    level.prefix = paths::JoinEnsuringSeparator(path, "", separator);
    if (!platform_.ListDirectory(path, &level.entries)) level.entries.clear();
    stack.push_back(std::move(level));
  };
  open_level(strPath);
  while (!stack.empty()) {
    Level& level = stack.back();
    if (level.next >= level.entries.size()) {
      stack.pop_back();
      continue;
    }
    const DirEntry& entry = level.entries[level.next++];
    if (!IsWalkableFolder(entry) || (skip_ && skip_(level.prefix, entry))) continue;
    std::string path = level.prefix + entry.name;
    strFolderList_.push_back(path);
    ++lngFolderCount_;
    open_level(path);  // invalidates `level`; it is not used again in this pass
  }
}

}  // namespace zorvane
