// Where the programs keep their files on Linux, as a pure function of where the
// executable lives and of the environment, so both cases are tested without installing.
//
// Run from a build tree, url.dat and zorvane.ini stay beside the executable and the
// Readme command opens the readme.txt copied there. Installed (the executable sits in a
// prefix's "bin" folder, as `cmake --install` and the package put it), the folder beside
// it is no place to write: the files go to $ZORVANE_HOME, else
// ${XDG_DATA_HOME:-~/.local/share}/zorvane, and readme.txt is the one in the prefix's
// share/doc/zorvane.
#pragma once

#include <string>

namespace zorvane::posix {

struct ProgramLocation {
  bool installed = false;
  std::string data_directory;  // url.dat and zorvane.ini; no final "/"
  std::string readme;          // what the Readme command hands to the desktop
};

// `executable_folder`: the folder holding the running program, without a final "/".
// `zorvane_home`, `xdg_data_home`: those variables, nullptr when unset; empty values
// count as unset. `home`: the user's home folder.
ProgramLocation LocateProgramFiles(const std::string& executable_folder, const char* zorvane_home,
                                   const char* xdg_data_home, const std::string& home);

// Zorvane's own Favorites folder, for a user who keeps none:
// ${XDG_DATA_HOME:-`home`/.local/share}/zorvane/Favorites.
std::string OwnFavoritesFolder(const char* xdg_data_home, const std::string& home);

// The folder a fresh profile's Favorites value names: `home`/Favorites when
// `home_favorites_exists` (a folder a Windows habit, or the user, made), else Zorvane's
// own, so that nothing is ever made in the top level of the home folder. "" without a
// home.
std::string DefaultFavoritesFolder(const char* xdg_data_home, const std::string& home,
                                   bool home_favorites_exists);

}  // namespace zorvane::posix
