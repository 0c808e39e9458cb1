// The add-to-Favorites command's work below the window: the subfolder, one Internet
// shortcut file (formats/internet_shortcut.h) per row.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace zorvane::share {

// The Favorites subfolder that receives the shortcuts.
inline constexpr char kFavoritesSubfolder[] = "お気に入りZorvane";

// One shortcut to write: the file is named after `title`, and points at `address`.
struct FavoriteShortcut {
  std::string_view title;
  std::string_view address;
};

enum class AddToFavoritesResult {
  kAdded,              // the subfolder exists and every file was written
  kNoFavoritesFolder,  // the Favorites path is empty; nothing was touched
  kFailed,             // the subfolder could not be made or a file not written
};

// Makes sure `favorites_folder` + separator + kFavoritesSubfolder is a folder (creating
// it, one level, when nothing of that name exists) and writes one shortcut file per
// entry of `shortcuts`, in order, named SafeFileName(title) + ".url" under the rule of
// `platform`'s separator (with the Windows rule, of the title as it reads after a trip
// through the ANSI code page), its text InternetShortcutText(address) in that code page.
// Each file is replaced whole or left as it was. A later entry whose file name equals an
// earlier one's replaces that file. A file that cannot be written does not stop the
// entries after it, but the result is then kFailed; so is a plain file where the
// subfolder should be, in which case nothing is written.
AddToFavoritesResult AddToFavorites(Platform& platform, const std::string& favorites_folder,
                                    std::span<const FavoriteShortcut> shortcuts);

}  // namespace zorvane::share
