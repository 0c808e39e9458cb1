// Text conversion at the Windows boundary. The program's text is UTF-8; the ANSI ("A")
// calls take the system's ANSI code page (CP_ACP, code page 932 on the systems the
// program is written for) and the window's wide calls take UTF-16. These functions are
// the only place that converts; every conversion goes through UTF-16, as Windows does.
#pragma once

#include <string>
#include <string_view>

namespace zorvane::win32 {

// UTF-8 to UTF-16; malformed UTF-8 becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view utf8);
// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide);
// UTF-8 to the ANSI code page; characters the code page cannot hold become "?" (or the
// code page's best fit).
std::string Utf8ToAnsi(std::string_view utf8);
// The ANSI code page to UTF-8, decoding invalid bytes as the code page's table does.
std::string AnsiToUtf8(std::string_view ansi);
// Text in code page `code_page` (1252, 932, 20932, ...) to UTF-8 in `*utf8`, each byte
// that starts no character of the code page as U+FFFD rather than the code page's
// default character. False, `*utf8` untouched, when the system lacks the code page.
bool CodePageToUtf8(unsigned code_page, std::string_view bytes, std::string* utf8);

// The longest prefix of the ANSI text `ansi` that has at most `max_bytes` bytes and does
// not end in the lead byte of a double-byte character.
std::string_view CutAnsiAtCharBoundary(std::string_view ansi, std::size_t max_bytes);

}  // namespace zorvane::win32
