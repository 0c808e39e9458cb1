#include "base/text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstdint>
#include <cstring>

namespace zorvane::text {
namespace {

// Length of the well-formed UTF-8 sequence that starts at s[i], or 1 for a stray byte.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  std::size_t length = 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
  } else {
    return 1;
  }
  if (i + length > s.size()) return 1;
  for (std::size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
  }
  const auto second = static_cast<unsigned char>(s[i + 1]);
  if (lead == 0xE0 && second < 0xA0) return 1;  // overlong
  if (lead == 0xED && second > 0x9F) return 1;  // surrogate
  if (lead == 0xF0 && second < 0x90) return 1;  // overlong
  if (lead == 0xF4 && second > 0x8F) return 1;  // beyond U+10FFFF
  return length;
}

// Byte offsets at which the last `n` characters begin.
std::size_t OffsetOfLast(std::string_view s, std::size_t n) {
  // Walk forward once, remembering where each of the last n characters starts.
  std::size_t count = CharCount(s);
  if (n >= count) return 0;
  std::size_t skip = count - n;
  std::size_t i = 0;
  while (skip > 0) {
    i += SequenceLength(s, i);
    --skip;
  }
  return i;
}

}  // namespace

std::size_t CharCount(std::string_view s) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < s.size(); i += SequenceLength(s, i)) ++count;
  return count;
}

std::string_view FirstChars(std::string_view s, std::size_t n) {
  std::size_t i = 0;
  while (n > 0 && i < s.size()) {
    i += SequenceLength(s, i);
    --n;
  }
  return s.substr(0, i);
}

std::string_view LastChars(std::string_view s, std::size_t n) {
  return s.substr(OffsetOfLast(s, n));
}

std::string_view DropLastChars(std::string_view s, std::size_t n) {
  const std::size_t count = CharCount(s);
  if (n >= count) return {};
  return FirstChars(s, count - n);
}

std::string AsciiLower(std::string_view s) {
  std::string lower(s);
  for (char& c : lower) {
    c = AsciiLower(c);
  }
  return lower;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::size_t FindIgnoringAsciiCase(std::string_view haystack, std::string_view needle,
                                  std::size_t from) {
  if (needle.size() > haystack.size()) return std::string_view::npos;
  for (std::size_t at = from; at + needle.size() <= haystack.size(); ++at) {
    if (EqualsIgnoringAsciiCase(haystack.substr(at, needle.size()), needle)) return at;
  }
  return std::string_view::npos;
}

std::string_view TrimStart(std::string_view s, std::string_view blanks) {
  const std::size_t first = s.find_first_not_of(blanks);
  return first == std::string_view::npos ? std::string_view() : s.substr(first);
}

std::string_view TrimEnd(std::string_view s, std::string_view blanks) {
  const std::size_t last = s.find_last_not_of(blanks);
  return last == std::string_view::npos ? std::string_view() : s.substr(0, last + 1);
}

std::string_view Trim(std::string_view s, std::string_view blanks) {
  return TrimEnd(TrimStart(s, blanks), blanks);
}

bool IsValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t length = SequenceLength(s, i);
    if (length == 1 && static_cast<unsigned char>(s[i]) >= 0x80) return false;
    i += length;
  }
  return true;
}

std::size_t AsciiPrefixLength(std::string_view s) {
  // Sixteen bytes at a time where the processor compares them at once, then eight
  // bytes at a time, while none has its high bit set.
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= s.size(); i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
    const int high = _mm_movemask_epi8(bytes);
    if (high != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(high)));
  }
#endif
  for (; i + 8 <= s.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, s.data() + i, sizeof(word));
    if ((word & kHighBits) != 0) break;
  }
  while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
  return i;
}

std::size_t FindLineBreak(std::string_view s, std::size_t from) {
  // Eight bytes at a time while none is CR or LF: a word holds a byte equal to c exactly
  // when word ^ (c in every byte) holds a zero byte.
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  const auto has_zero_byte = [](std::uint64_t v) { return ((v - kOnes) & ~v & kHighBits) != 0; };
  std::size_t i = from;
  for (; i + 8 <= s.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, s.data() + i, sizeof(word));
    if (has_zero_byte(word ^ (kOnes * '\r')) || has_zero_byte(word ^ (kOnes * '\n'))) break;
  }
  for (; i < s.size(); ++i) {
    if (s[i] == '\r' || s[i] == '\n') return i;
  }
  return std::string_view::npos;
}

char32_t DecodeUtf8(std::string_view s, std::size_t* i) {
  const std::size_t length = SequenceLength(s, *i);
  const auto lead = static_cast<unsigned char>(s[*i]);
  if (length == 1) {
    ++*i;
    return lead < 0x80 ? lead : kMalformedUtf8;
  }
  char32_t cp = lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    cp = (cp << 6) | (static_cast<unsigned char>(s[*i + k]) & 0x3F);
  }
  *i += length;
  return cp;
}

void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string PercentEncodeNonAsciiUnless(std::string_view utf8,
                                        const std::function<bool(std::string_view)>& keep) {
  if (IsAscii(utf8)) return std::string(utf8);
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string result;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const std::size_t start = i;
    const char32_t cp = DecodeUtf8(utf8, &i);
    const std::string_view character = utf8.substr(start, i - start);
    if (cp < 0x80 || (cp != kMalformedUtf8 && keep(character))) {
      result.append(character);
      continue;
    }
    for (const char byte : character) {
      const auto b = static_cast<unsigned char>(byte);
      result += '%';
      result += kHex[b >> 4];
      result += kHex[b & 0xF];
    }
  }
  return result;
}

}  // namespace zorvane::text
