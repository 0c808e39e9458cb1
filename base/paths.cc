#include "base/paths.h"

#include "base/text.h"

namespace zorvane::paths {

std::string JoinEnsuringSeparator(const std::string& dir, const std::string& name, char separator) {
  if (!dir.empty() && dir.back() == separator) return dir + name;
  return dir + separator + name;
}

std::string JoinAlways(const std::string& dir, const std::string& name, char separator) {
  return dir + separator + name;
}

namespace {

// The UTF-16 units the wide forms of the file functions see for `utf8`.
std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t cp = text::DecodeUtf8(utf8, &i);
    units += cp != text::kMalformedUtf8 && cp > 0xFFFF ? 2 : 1;
  }
  return units;
}

}  // namespace

bool WindowsNameFits(std::string_view parent, std::string_view name, bool is_folder) {
  const std::size_t name_units = Utf16Length(name);
  const std::size_t path_units = Utf16Length(parent) + 1 + name_units;
  return name_units <= kWindowsMaxName && name.size() <= kWindowsMaxName &&
         path_units <= (is_folder ? kWindowsMaxFolderPath : kWindowsMaxFilePath);
}

bool PosixNameFits(std::string_view parent, std::string_view name, std::size_t name_max) {
  return name.size() <= name_max && parent.size() + 1 + name.size() < kPosixMaxPath;
}

}  // namespace zorvane::paths
