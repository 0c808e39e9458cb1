// Lists a folder and every folder below it, depth first, each folder directly before its
// own subfolders and siblings in the order the system lists them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace zorvane {

class FolderWalk final {
 public:
  // Whether the walk leaves out the subfolder `entry` of the folder `parent` (with its
  // whole tree): the catalogue build leaves out the folders an import is still writing.
  using SkipFolder = std::function<bool(const std::string& parent, const DirEntry& entry)>;

  explicit FolderWalk(Platform& platform, SkipFolder skip = {})
      : platform_(platform), skip_(std::move(skip)) {}
  FolderWalk(const FolderWalk&) = delete;
  FolderWalk& operator=(const FolderWalk&) = delete;

  // Walks the tree below `strRoot`; returns the upper index of strFolderList() (the number
  // of folders minus 1), or -1 when `strRoot` is not an existing folder. Element 0 is
  // `strRoot` as given; every other element is its parent's path with a separator
  // ensured at its end, followed by the folder's name.
  //
  // Links to folders (symbolic links, junctions) are listed as nothing and never entered,
  // so a link to a parent cannot make the walk endless; folders that cannot be listed
  // contribute no subfolders. The walk keeps its own stack, so deep trees cannot
  // overflow the call stack.
  std::int32_t GetFolderList(const std::string& strRoot);

  const std::vector<std::string>& strFolderList() const { return strFolderList_; }
  std::int64_t lngFolderCount() const { return static_cast<std::int64_t>(lngFolderCount_); }

 private:
  void WalkFolder(const std::string& strPath);

  Platform& platform_;
  SkipFolder skip_;
  std::vector<std::string> strFolderList_{std::string()};
  std::size_t lngFolderCount_ = 0;
};

}  // namespace zorvane
