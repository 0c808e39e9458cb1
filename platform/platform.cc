#include "platform/platform.h"

#include <iostream>

#include "platform/text.h"

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

bool AnsiCodePage::SurvivesAnsi(std::string_view utf8) {
  return text::IsAscii(utf8) || FromAnsi(ToAnsi(utf8)) == utf8;
}

bool AnsiCodePage::IsCanonicalAnsi(std::string_view ansi) {
  return text::IsAscii(ansi) || ToAnsi(FromAnsi(ansi)) == ansi;
}

void Platform::Diagnose(const std::string& line) {
  if (diagnostic_sink_) {
    diagnostic_sink_(line);
  } else {
    std::cerr << "zorvane: " << line << "\n";
  }
}

}  // namespace zorvane
