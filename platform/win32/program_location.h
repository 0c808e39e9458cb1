// Where the Windows build keeps url.dat and zorvane.ini, as a pure function of where the
// executable lives, of what the installer recorded and of the user's application-data
// folder, so that both cases are tested on Linux too.
//
// The installer (packaging/windows/zorvane.wxs) records the folder it put the programs in
// as HKEY_CURRENT_USER\Software\Zorvane, value InstallDir. A program running from that
// folder is the installed copy: the folder belongs to the installer, which removes it
// again, so the files go to %APPDATA%\Zorvane. Any other copy (the ZIP unpacked anywhere,
// a build folder, installed programs copied elsewhere) is portable and keeps them beside
// itself. Readme stays the bare name in both cases: the Start-menu entry starts the
// installed program in its own folder, where readme.txt lies.
#pragma once

#include <string>
#include <string_view>

namespace zorvane::win32 {

// The registry value the installer writes, under HKEY_CURRENT_USER.
inline constexpr char kInstallKey[] = "Software\\Zorvane";
inline constexpr char kInstallDirValue[] = "InstallDir";
// The installed copy's folder under %APPDATA%.
inline constexpr char kDataFolderName[] = "Zorvane";

struct ProgramLocation {
  bool installed = false;
  std::string data_directory;  // url.dat and zorvane.ini; no final backslash
};

// `executable_folder`: the folder holding the running program. `install_dir`: the
// InstallDir value, "" when there is none. `app_data`: %APPDATA%, "" when unset. The two
// folders are compared without regard to the case of A to Z (a drive letter or a folder
// name spelt another way is still the folder), and final backslashes do not count. An
// installed copy without an application-data folder keeps its files beside itself, the
// one place left.
ProgramLocation LocateProgramFiles(std::string_view executable_folder, std::string_view install_dir,
                                   std::string_view app_data);

}  // namespace zorvane::win32
