// Where the user's Favorites folder is: the one registry value that both the catalogue
// build and the add-to-Favorites command read.
#pragma once

#include <string>

#include "platform/platform.h"

namespace zorvane {

inline constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
inline constexpr char kFavoritesValueName[] = "Favorites";

// The path of the Favorites folder: value kFavoritesValueName of key kShellFoldersKey
// under HKEY_CURRENT_USER, read through clsRegEdit with an empty default, its
// environment references (%NAME%) expanded. The stored value is usually of type 2 and names
// %USERPROFILE%, which no file function understands unexpanded. "" when the value is
// missing or cannot be read.
std::string ReadFavoritesFolder(Platform& platform);

}  // namespace zorvane
