// The listing of one folder's files as the catalogue build sees it: every file, no
// folders, no hidden or system files, in ascending name order without regard to case.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace zorvane {

// The names (without the folder) of the files of `folder`; empty when it cannot be
// listed. Links count as files only when they do not lead to a folder.
std::vector<std::string> ListFolderFiles(Platform& platform, const std::string& folder);

}  // namespace zorvane
