// Paths cross the program as UTF-8 text; std::filesystem takes them as UTF-8 explicitly,
// so that a Windows build does not read them in its ANSI code page.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zorvane::browsers {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

}  // namespace zorvane::browsers
