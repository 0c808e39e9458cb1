#include "share/internet_shortcut.h"

#include "base/paths.h"
#include "formats/internet_shortcut.h"

namespace zorvane::share {
namespace {

// Whether `folder` is a folder afterwards: it was one already, or nothing of that name
// existed and it could be created.
bool EnsureFolder(Platform& platform, const std::string& folder) {
  const std::uint32_t attributes = platform.GetFileAttributes(folder);
  if (attributes != kInvalidFileAttributes) return (attributes & kFileAttributeDirectory) != 0;
  if (platform.CreateDirectory(folder)) return true;
  // Someone else may have created it in the meantime; that is as good.
  const std::uint32_t now = platform.GetFileAttributes(folder);
  return now != kInvalidFileAttributes && (now & kFileAttributeDirectory) != 0;
}

}  // namespace

AddToFavoritesResult AddToFavorites(Platform& platform, const std::string& favorites_folder,
                                    std::span<const FavoriteShortcut> shortcuts) {
  // An empty path would put the subfolder at the root of the current drive.
  if (favorites_folder.empty()) return AddToFavoritesResult::kNoFavoritesFolder;

  const char separator = platform.PathSeparator();
  const std::string folder = paths::JoinAlways(favorites_folder, kFavoritesSubfolder, separator);
  if (!EnsureFolder(platform, folder)) return AddToFavoritesResult::kFailed;

  bool all_written = true;
  for (const FavoriteShortcut& shortcut : shortcuts) {
    const std::string file_name = formats::ShortcutFileStem(platform, separator, shortcut.title) +
                                  formats::kShortcutExtension;
    const std::string path = paths::JoinAlways(folder, file_name, separator);
    if (!platform.WriteFileAtomic(
            path, platform.ToAnsi(formats::InternetShortcutText(shortcut.address)))) {
      all_written = false;
    }
  }
  return all_written ? AddToFavoritesResult::kAdded : AddToFavoritesResult::kFailed;
}

}  // namespace zorvane::share
