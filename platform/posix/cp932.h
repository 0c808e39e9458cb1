// Code page 932 (Shift-JIS as Windows defines it) to and from UTF-8, decoding invalid
// input the way MultiByteToWideChar(932) does and encoding unmappable characters as "?"
// like WideCharToMultiByte. The mapping table is taken from iconv's "CP932" once.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/ansi_code_page.h"

namespace zorvane::cp932 {

// The conversions below as an AnsiCodePage, for the engines that take one.
AnsiCodePage& CodePage();

// CP932 bytes to UTF-8. Never fails: 0x80 gives U+0080; 0xA0 and 0xFD-0xFF give
// U+F8F0-U+F8F3; a lead byte with a bad or missing trail byte, or an unassigned pair,
// gives U+30FB.
std::string ToUtf8(std::string_view cp932);

// UTF-8 to CP932 bytes. Characters CP932 cannot hold, and malformed UTF-8 bytes, become
// "?".
std::string FromUtf8(std::string_view utf8);

// Whether ToUtf8(FromUtf8(utf8)) == utf8, without converting: well-formed UTF-8 whose
// every character the code page holds as itself.
bool SurvivesRoundTrip(std::string_view utf8);

// Whether FromUtf8(ToUtf8(cp932)) == cp932, without converting: every character is
// assigned and in the form FromUtf8 writes for it (of the NEC and IBM duplicates, the
// first in code order; no byte that only decodes to a stand-in).
bool IsCanonical(std::string_view cp932);

// Whether `byte` starts a double-byte character.
bool IsLeadByte(unsigned char byte);

// The longest prefix of `cp932` of at most `max_bytes` bytes that does not end in the
// middle of a double-byte character; returns its length.
std::size_t CutAtCharBoundary(std::string_view cp932, std::size_t max_bytes);

}  // namespace zorvane::cp932
