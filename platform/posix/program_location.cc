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

}  // namespace

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
  if (IsSet(zorvane_home)) {
    location.data_directory = WithoutFinalSlashes(zorvane_home);
  } else if (IsSet(xdg_data_home) && xdg_data_home[0] == '/') {
    // The base-directory rules ignore a relative XDG_DATA_HOME.
    location.data_directory = WithoutFinalSlashes(xdg_data_home) + "/zorvane";
  } else {
    location.data_directory = WithoutFinalSlashes(home) + "/.local/share/zorvane";
  }
  return location;
}

}  // namespace zorvane::posix
