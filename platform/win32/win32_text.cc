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

namespace {

// MultiByteToWideChar that refuses rather than substitutes: false when `bytes` hold a
// sequence without a character in the code page.
bool ToWideStrictly(UINT code_page, std::string_view bytes, std::wstring* wide) {
  if (bytes.size() > INT_MAX) return false;
  const int length = static_cast<int>(bytes.size());
  const int needed =
      ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
  if (needed <= 0) return false;
  const std::size_t start = wide->size();
  wide->resize(start + static_cast<std::size_t>(needed));
  ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), length, wide->data() + start,
                        needed);
  return true;
}

}  // namespace

bool CodePageToUtf8(unsigned code_page, std::string_view bytes, std::string* utf8) {
  if (::IsValidCodePage(code_page) == 0) return false;
  std::wstring wide;
  // The whole text at once first: most files hold no invalid byte. Otherwise character
  // by character (a lead byte and the byte after it, or one byte), each one the code
  // page refuses as U+FFFD, after which the next byte starts afresh.
  if (!bytes.empty() && !ToWideStrictly(code_page, bytes, &wide)) {
    wide.clear();
    for (std::size_t i = 0; i < bytes.size();) {
      const bool lead = ::IsDBCSLeadByteEx(code_page, static_cast<BYTE>(bytes[i])) != 0;
      const std::size_t width = lead && i + 1 < bytes.size() ? 2 : 1;
      if (ToWideStrictly(code_page, bytes.substr(i, width), &wide)) {
        i += width;
      } else {
        wide.push_back(L'\xFFFD');
        ++i;
      }
    }
  }
  *utf8 = WideToUtf8(wide);
  return true;
}

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
