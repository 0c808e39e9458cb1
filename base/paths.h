// Joining paths the way the program does, with the separator as a parameter so that the
// Windows rule is tested on Linux too.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorvane::paths {

// `dir`, then `separator` unless `dir` already ends in it, then `name`: the rule for
// files in the program's directory and for subfolders of a walked folder.
std::string JoinEnsuringSeparator(const std::string& dir, const std::string& name, char separator);

// `dir`, `separator`, `name`, even when `dir` already ends in `separator`.
std::string JoinAlways(const std::string& dir, const std::string& name, char separator);

// The length rules that NameFits applies on each system, pure so that both are tested
// everywhere. Windows: the name at most kWindowsMaxName characters (UTF-16 units) and
// also at most 255 bytes of UTF-8, as Wine's file systems below count (and as the Linux
// build cuts, so both builds give one name); `parent`, a separator and the name at most
// kWindowsMaxFilePath units for a file, or kWindowsMaxFolderPath for a folder (the ANSI
// functions keep room for an 8.3 name in it).
inline constexpr std::size_t kWindowsMaxName = 255;
inline constexpr std::size_t kWindowsMaxFilePath = 259;    // MAX_PATH less its NUL
inline constexpr std::size_t kWindowsMaxFolderPath = 247;  // MAX_PATH - 12, less its NUL
bool WindowsNameFits(std::string_view parent, std::string_view name, bool is_folder);
// POSIX: the name at most `name_max` bytes, and `parent`, "/" and the name fewer than
// kPosixMaxPath bytes.
inline constexpr std::size_t kPosixMaxPath = 4096;  // PATH_MAX, with its NUL
bool PosixNameFits(std::string_view parent, std::string_view name, std::size_t name_max);

}  // namespace zorvane::paths
