// Character sets by the names HTML declares them with, and the decoders of the Unicode
// forms that every platform shares. The names are rules as data: which label names which
// set, and which Windows code page reads it as browsers do, so that the POSIX and Win32
// platforms decode a file alike and both are tested on Linux.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zorvane::charset {

// The character sets the program reads.
enum class Id {
  kUnknown,
  kUtf8,
  kUtf16Le,
  kUtf16Be,
  kWindows1252,  // also what ISO-8859-1, Latin-1 and US-ASCII name, as browsers read them
  kShiftJis,     // code page 932 (Windows-31J): what every Shift_JIS label names in browsers
  kEucJp,
};

// The set a label names ("Shift_JIS", "x-sjis", "euc-jp", "latin1", "utf-8", ...),
// compared without regard to ASCII case, blanks at either end ignored; kUnknown for any
// other label.
Id FromName(std::string_view name);

// The Windows code page that reads `id`: 65001, 1200 (UTF-16LE), 1201 (UTF-16BE), 1252,
// 932 or 20932; 0 for kUnknown.
std::uint32_t CodePage(Id id);

// UTF-8 bytes as well-formed UTF-8: each byte that does not belong to a well-formed
// sequence becomes U+FFFD.
std::string Utf8Lossy(std::string_view bytes);

// UTF-16 bytes (little- or big-endian) as UTF-8: an unpaired surrogate, or a final odd
// byte, becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool big_endian);

}  // namespace zorvane::charset
