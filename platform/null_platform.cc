#include "platform/null_platform.h"

#include "base/paths.h"
#include "base/text.h"

namespace zorvane {

std::string NullPlatform::GetPrivateProfileString(const std::string&, const std::string&,
                                                  const std::string& default_value,
                                                  std::uint32_t size, const std::string&) {
  // As for a missing file: the default, cut to the buffer without splitting a character.
  if (size == 0) return {};
  return std::string(text::FirstChars(default_value, size - 1));
}

// Lengths as on a POSIX file system that takes names of 255 bytes.
bool NullPlatform::NameFits(const std::string& parent, std::string_view name, bool) {
  return paths::PosixNameFits(parent, name, 255);
}

// Characters beyond ASCII have no place in this code page: each becomes one "?".
std::string NullPlatform::ToAnsi(std::string_view utf8) {
  std::string ansi;
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t c = text::DecodeUtf8(utf8, &i);
    ansi.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  return ansi;
}

std::string NullPlatform::FromAnsi(std::string_view ansi) {
  std::string utf8;
  for (const char c : ansi) utf8.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
  return utf8;
}

}  // namespace zorvane
