// The shortcut-name sanitiser over any title, under both naming rules: the name never
// holds a separator or a character the rule forbids, is never "", "." or "..", never
// ends in a dot or a space on Windows, never names a Windows device, and stays a plain
// file name with ".url" appended. A name that is already safe is kept as it is.
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/file_name.h"
#include "fuzz/fuzz_check.h"

namespace {

using zorvane::formats::FileNameRule;

std::string Lower(std::string_view s) {
  std::string lower(s);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// Whether Windows opens `name` as a device: its part before the first dot, less the
// spaces at its end, is a device name.
bool IsDevice(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  const std::string lower = Lower(stem);
  for (const char* base : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
    if (lower == base) return true;
  }
  if (lower.size() >= 3 && (lower.rfind("com", 0) == 0 || lower.rfind("lpt", 0) == 0)) {
    const std::string_view digit = std::string_view(lower).substr(3);
    if (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') return true;
    if (digit == "\u00b9" || digit == "\u00b2" || digit == "\u00b3") return true;
  }
  return false;
}

void CheckSafe(std::string_view name, FileNameRule rule) {
  FUZZ_CHECK(!name.empty() && name != "." && name != "..");
  FUZZ_CHECK(name.find('/') == std::string_view::npos);
  FUZZ_CHECK(name.find('\0') == std::string_view::npos);
  if (rule == FileNameRule::kWindows) {
    for (char c : name) {
      FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20);
      FUZZ_CHECK(std::string_view("\\:*?\"<>|").find(c) == std::string_view::npos);
    }
    FUZZ_CHECK(name.back() != '.' && name.back() != ' ');
    FUZZ_CHECK(!IsDevice(name));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zorvane::formats;
  const std::string_view title(reinterpret_cast<const char*>(data), size);
  for (FileNameRule rule : {FileNameRule::kWindows, FileNameRule::kPosix}) {
    const std::string safe = SafeFileName(title, rule);
    CheckSafe(safe, rule);
    CheckSafe(safe + ".url", rule);
    // Safe names are fixed points: sanitising twice changes nothing.
    FUZZ_CHECK(SafeFileName(safe, rule) == safe);
    // Nothing but forbidden characters is replaced, and at most one "_" is added.
    FUZZ_CHECK(safe.size() >= title.size() && safe.size() <= title.size() + 1);
  }
  return 0;
}
