// Counting text by characters. Text is UTF-8 throughout the program; where the program
// speaks of "characters" (the last three of a name, the first eight of an address) it
// means Unicode code points, never bytes. Malformed UTF-8 counts one byte per character,
// so these helpers never split or lose bytes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace zorvane::text {

// Number of characters in `s`.
std::size_t CharCount(std::string_view s);
// The first `n` characters of `s` (all of it when it is shorter).
std::string_view FirstChars(std::string_view s, std::size_t n);
// The last `n` characters of `s` (all of it when it is shorter).
std::string_view LastChars(std::string_view s, std::size_t n);
// `s` without its last `n` characters ("" when it has no more than `n`).
std::string_view DropLastChars(std::string_view s, std::size_t n);
// `s` with A-Z turned into a-z; other bytes unchanged.
std::string AsciiLower(std::string_view s);
// Whether `s` is well-formed UTF-8.
bool IsValidUtf8(std::string_view s);
// The number of bytes below 0x80 that `s` starts with; all of it for ASCII text.
std::size_t AsciiPrefixLength(std::string_view s);
inline bool IsAscii(std::string_view s) { return AsciiPrefixLength(s) == s.size(); }
// The position of the first CR or LF in `s` at or after `from`, or npos.
std::size_t FindLineBreak(std::string_view s, std::size_t from = 0);

// What DecodeUtf8 returns for a byte that does not start a well-formed sequence.
inline constexpr char32_t kMalformedUtf8 = 0xFFFFFFFF;
// Decodes the character that starts at s[*i] and moves *i past it. A byte that does not
// start a well-formed sequence (overlong, surrogate, truncated, stray) gives
// kMalformedUtf8 and moves *i by one byte.
char32_t DecodeUtf8(std::string_view s, std::size_t* i);
// Appends the UTF-8 form of code point `cp` (at most U+10FFFF) to `out`.
void AppendUtf8(char32_t cp, std::string* out);

// `utf8` with each non-ASCII character for which `keep` (given the character's bytes)
// is false, and each malformed byte, written as "%XX" per byte (upper-case hex). ASCII
// text passes unchanged without a call to `keep`.
std::string PercentEncodeNonAsciiUnless(std::string_view utf8,
                                        const std::function<bool(std::string_view)>& keep);

}  // namespace zorvane::text
