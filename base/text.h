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
// ---- ASCII, once: letters compared without regard to case, blanks trimmed --------------
// Each byte below 0x80 is its own character in UTF-8 and in code page 932 (a trail byte
// there is at least 0x40, so never a blank), so these work on the bytes of either.

// A-Z as a-z, and the other way round; other bytes unchanged.
constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
// `s` with A-Z turned into a-z; other bytes unchanged.
std::string AsciiLower(std::string_view s);
// Whether `a` and `b` are equal with A-Z and a-z alike.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
// The position of `needle` in `haystack` at or after `from`, with A-Z and a-z alike, or npos.
std::size_t FindIgnoringAsciiCase(std::string_view haystack, std::string_view needle,
                                  std::size_t from = 0);

// The blanks of each format: what each one skips around its words.
inline constexpr std::string_view kSpaceTab = " \t";
inline constexpr std::string_view kHtmlWhitespace = " \t\n\f\r";  // HTML's ASCII whitespace
// Whether `c` is one of `set`.
constexpr bool IsOneOf(char c, std::string_view set) {
  return set.find(c) != std::string_view::npos;
}
// `s` without the bytes of `blanks` at its start, at its end, or at both.
std::string_view TrimStart(std::string_view s, std::string_view blanks);
std::string_view TrimEnd(std::string_view s, std::string_view blanks);
std::string_view Trim(std::string_view s, std::string_view blanks);
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
