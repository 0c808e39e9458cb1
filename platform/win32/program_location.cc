#include "platform/win32/program_location.h"

#include <algorithm>

namespace zorvane::win32 {
namespace {

std::string_view WithoutFinalBackslashes(std::string_view path) {
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return path;
}

// A to Z only: the bytes of UTF-8 sequences of other characters are never ASCII.
char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// "" names no folder.
bool SameFolder(std::string_view a, std::string_view b) {
  a = WithoutFinalBackslashes(a);
  b = WithoutFinalBackslashes(b);
  return !a.empty() && a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

}  // namespace

ProgramLocation LocateProgramFiles(std::string_view executable_folder, std::string_view install_dir,
                                   std::string_view app_data) {
  ProgramLocation location;
  location.installed = SameFolder(executable_folder, install_dir);
  app_data = WithoutFinalBackslashes(app_data);
  if (location.installed && !app_data.empty()) {
    location.data_directory = std::string(app_data) + "\\" + kDataFolderName;
  } else {
    location.data_directory = WithoutFinalBackslashes(executable_folder);
  }
  return location;
}

}  // namespace zorvane::win32
