#include "registry/favorites_folder.h"

#include "registry/cls_reg_edit.h"

namespace zorvane {

std::string ReadFavoritesFolder(Platform& platform) {
  std::string stored;
  {
    clsRegEdit reg(platform);
    reg.SetRegKey(kHkeyCurrentUser);
    reg.SetSubKey(kShellFoldersKey);
    stored = reg.GetString(kFavoritesValueName, "");
  }
  if (stored.empty()) return stored;
  return platform.ExpandEnvironmentStrings(stored);
}

}  // namespace zorvane
