#include "platform/platform.h"

#include <iostream>

#include "base/charset.h"
#include "base/text.h"

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

bool Platform::DecodeText(std::string_view charset, std::string_view bytes, std::string* utf8) {
  const charset::Id id = charset::FromName(charset);
  if (id == charset::Id::kUtf8) {
    *utf8 = charset::Utf8Lossy(bytes);
  } else if (id == charset::Id::kUtf16Le || id == charset::Id::kUtf16Be) {
    *utf8 = charset::Utf16ToUtf8(bytes, id == charset::Id::kUtf16Be);
  } else {
    return false;
  }
  return true;
}

void Platform::Diagnose(const std::string& line) {
  if (diagnostic_sink_) {
    diagnostic_sink_(line);
  } else {
    std::cerr << "zorvane: " << line << "\n";
  }
}

std::optional<std::string> EnvironmentVariable(Platform& platform, const std::string& name) {
  const std::string reference = "%" + name + "%";
  std::string value = platform.ExpandEnvironmentStrings(reference);
  if (value == reference) return std::nullopt;
  return value;
}

}  // namespace zorvane
