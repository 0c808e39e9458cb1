#include "formats/file_name.h"

#include "base/text.h"

namespace zorvane::formats {
namespace {

constexpr char kReplacement = '_';

bool IsForbidden(char c, FileNameRule rule) {
  const auto byte = static_cast<unsigned char>(c);
  if (rule == FileNameRule::kPosix) return c == '/' || c == '\0';
  if (byte < 0x20) return true;
  switch (c) {
    case '\\':
    case '/':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
      return true;
    default:
      return false;
  }
}

// The names Windows opens as devices whatever folder they are in. Lower case; the
// superscript digits are UTF-8 and have no case.
constexpr std::string_view kWindowsDeviceNames[] = {
    "con",  "prn",  "aux",  "nul",       "conin$",    "conout$",  //
    "com0", "com1", "com2", "com3",      "com4",      "com5",      "com6",
    "com7", "com8", "com9", "com\u00b9", "com\u00b2", "com\u00b3",  //
    "lpt0", "lpt1", "lpt2", "lpt3",      "lpt4",      "lpt5",      "lpt6",
    "lpt7", "lpt8", "lpt9", "lpt\u00b9", "lpt\u00b2", "lpt\u00b3",
};

// Whether Windows takes `name` for a device: the part before the first dot, without the
// spaces at its end, is a device name.
bool IsWindowsDeviceName(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  const std::string lower = text::AsciiLower(stem);
  for (std::string_view device : kWindowsDeviceNames) {
    if (lower == device) return true;
  }
  return false;
}

}  // namespace

FileNameRule FileNameRuleForSeparator(char separator) {
  return separator == '\\' ? FileNameRule::kWindows : FileNameRule::kPosix;
}

std::string SafeFileName(std::string_view name, FileNameRule rule) {
  std::string safe(name);
  // Every forbidden character is ASCII, so no byte of a multi-byte UTF-8 sequence is
  // ever replaced.
  for (char& c : safe) {
    if (IsForbidden(c, rule)) c = kReplacement;
  }
  if (rule == FileNameRule::kWindows) {
    // Windows drops dots and spaces at the end of a name; "a." would open "a".
    for (auto it = safe.rbegin(); it != safe.rend() && (*it == '.' || *it == ' '); ++it) {
      *it = kReplacement;
    }
  } else if (safe == "." || safe == "..") {
    safe.assign(safe.size(), kReplacement);
  }
  if (safe.empty()) safe = std::string(1, kReplacement);
  if (rule == FileNameRule::kWindows && IsWindowsDeviceName(safe)) {
    safe.insert(safe.begin(), kReplacement);
  }
  return safe;
}

}  // namespace zorvane::formats
