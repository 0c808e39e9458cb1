#include "platform/win32/win32_text.h"

#include <climits>

#include "platform/win32/windows_include.h"

namespace zorvane::win32 {
namespace {

// MultiByteToWideChar over the whole of `bytes` (any length, NULs included).
std::wstring ToWide(UINT code_page, std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const int length = static_cast<int>(bytes.size());
  const int needed = ::MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  ::MultiByteToWideChar(code_page, 0, bytes.data(), length, wide.data(), needed);
  return wide;
}

std::string FromWide(UINT code_page, std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int length = static_cast<int>(wide.size());
  const int needed =
      ::WideCharToMultiByte(code_page, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string bytes(static_cast<std::size_t>(needed), '\0');
  ::WideCharToMultiByte(code_page, 0, wide.data(), length, bytes.data(), needed, nullptr, nullptr);
  return bytes;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string WideToUtf8(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }

std::string Utf8ToAnsi(std::string_view utf8) { return FromWide(CP_ACP, ToWide(CP_UTF8, utf8)); }

std::string AnsiToUtf8(std::string_view ansi) { return FromWide(CP_UTF8, ToWide(CP_ACP, ansi)); }

std::string_view CutAnsiAtCharBoundary(std::string_view ansi, std::size_t max_bytes) {
  std::size_t end = 0;
  while (end < ansi.size()) {
    const bool lead = ::IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(ansi[end])) != 0;
    // A lead byte as the last byte of the text stands alone: it counts as one character.
    const std::size_t width = lead && end + 1 < ansi.size() ? 2 : 1;
    if (end + width > max_bytes) break;
    end += width;
  }
  return ansi.substr(0, end);
}

}  // namespace zorvane::win32
