// Joining paths the way the program does, with the separator as a parameter so that the
// Windows rule is tested on Linux too.
#pragma once

#include <string>

namespace zorvane::paths {

// `dir`, then `separator` unless `dir` already ends in it, then `name`: the rule for
// files in the program's directory and for subfolders of a walked folder.
std::string JoinEnsuringSeparator(const std::string& dir, const std::string& name,
                                  char separator);

// `dir`, `separator`, `name`, even when `dir` already ends in `separator`.
std::string JoinAlways(const std::string& dir, const std::string& name, char separator);

}  // namespace zorvane::paths
