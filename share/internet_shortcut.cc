#include "share/internet_shortcut.h"

#include "platform/paths.h"
#include "share/file_name.h"

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

std::string InternetShortcutText(std::string_view address) {
  std::string text = "[InternetShortcut]\r\nURL=";
  text.append(address);
  text.append("\r\n");
  return text;
}

std::string ShortcutFileStem(Platform& platform, std::string_view title) {
  const FileNameRule rule = FileNameRuleForSeparator(platform.PathSeparator());
  if (rule == FileNameRule::kWindows) {
    return SafeFileName(platform.FromAnsi(platform.ToAnsi(title)), rule);
  }
  return SafeFileName(title, rule);
}

AddToFavoritesResult AddToFavorites(Platform& platform, const std::string& favorites_folder,
                                    std::span<const FavoriteShortcut> shortcuts) {
  // An empty path would put the subfolder at the root of the current drive.
  if (favorites_folder.empty()) return AddToFavoritesResult::kNoFavoritesFolder;

  const char separator = platform.PathSeparator();
  const std::string folder = paths::JoinAlways(favorites_folder, kFavoritesSubfolder, separator);
  if (!EnsureFolder(platform, folder)) return AddToFavoritesResult::kFailed;

  bool all_written = true;
  for (const FavoriteShortcut& shortcut : shortcuts) {
    const std::string file_name = ShortcutFileStem(platform, shortcut.title) + kShortcutExtension;
    const std::string path = paths::JoinAlways(folder, file_name, separator);
    if (!platform.WriteFileAtomic(path, platform.ToAnsi(InternetShortcutText(shortcut.address)))) {
      all_written = false;
    }
  }
  return all_written ? AddToFavoritesResult::kAdded : AddToFavoritesResult::kFailed;
}

}  // namespace zorvane::share
