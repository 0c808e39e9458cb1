#include "platform/platform.h"

namespace zorvane {

bool Platform::WritePrivateProfileStrings(
    const std::string& section, const std::vector<std::pair<std::string, std::string>>& entries,
    const std::string& file) {
  bool all_written = true;
  for (const auto& [key, value] : entries) {
    if (!WritePrivateProfileString(section, key, value, file)) all_written = false;
  }
  return all_written;
}

}  // namespace zorvane
