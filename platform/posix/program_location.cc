#include "platform/posix/program_location.h"

#include <string_view>

namespace zorvane::posix {
namespace {

constexpr std::string_view kInstalledFolderName = "bin";

std::string WithoutFinalSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

// ${XDG_DATA_HOME:-`home`/.local/share}, without a final "/".
std::string DataHome(const char* xdg_data_home, const std::string& home) {
  // The base-directory rules ignore a relative XDG_DATA_HOME.
  if (IsSet(xdg_data_home) && xdg_data_home[0] == '/') return WithoutFinalSlashes(xdg_data_home);
  return WithoutFinalSlashes(home) + "/.local/share";
}

}  // namespace

std::string OwnFavoritesFolder(const char* xdg_data_home, const std::string& home) {
  if (home.empty() && !(IsSet(xdg_data_home) && xdg_data_home[0] == '/')) return {};
  return DataHome(xdg_data_home, home) + "/zorvane/Favorites";
}

std::string DefaultFavoritesFolder(const char* xdg_data_home, const std::string& home,
                                   bool home_favorites_exists) {
  if (home.empty()) return {};
  if (home_favorites_exists) return WithoutFinalSlashes(home) + "/Favorites";
  return OwnFavoritesFolder(xdg_data_home, home);
}

ProgramLocation LocateProgramFiles(const std::string& executable_folder, const char* zorvane_home,
                                   const char* xdg_data_home, const std::string& home) {
  const std::string folder = WithoutFinalSlashes(executable_folder);
  const std::size_t slash = folder.rfind('/');
  const std::string_view name = slash == std::string::npos
                                    ? std::string_view(folder)
                                    : std::string_view(folder).substr(slash + 1);
  ProgramLocation location;
  if (name != kInstalledFolderName) {
    location.data_directory = folder;
    // A bare name: the desktop resolves it against the current folder, the program's
    // own when it is started there (run.sh and the build tree's desktop entry do).
    location.readme = "readme.txt";
    return location;
  }
  location.installed = true;
  const std::string prefix =
      slash == std::string::npos || slash == 0 ? "" : folder.substr(0, slash);
  location.readme = prefix + "/share/doc/zorvane/readme.txt";
  location.data_directory = IsSet(zorvane_home) ? WithoutFinalSlashes(zorvane_home)
                                                : DataHome(xdg_data_home, home) + "/zorvane";
  return location;
}

}  // namespace zorvane::posix
