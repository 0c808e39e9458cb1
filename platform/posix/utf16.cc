#include "platform/posix/utf16.h"

#include <cstddef>
#include <cstdint>

namespace zorvane::utf16 {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUnit(std::uint16_t unit, std::string* out) {
  out->push_back(static_cast<char>(unit & 0xFF));
  out->push_back(static_cast<char>(unit >> 8));
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

// Decodes the UTF-8 sequence at s[*i] and advances *i; a malformed sequence gives
// kReplacement and advances one byte.
char32_t NextCodePoint(std::string_view s, std::size_t* i) {
  const auto b0 = static_cast<unsigned char>(s[*i]);
  if (b0 < 0x80) {
    ++*i;
    return b0;
  }
  std::size_t length = 0;
  char32_t cp = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    cp = b0 & 0x07;
  } else {
    ++*i;
    return kReplacement;
  }
  if (*i + length > s.size()) {
    ++*i;
    return kReplacement;
  }
  for (std::size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(s[*i + k]);
    if ((b & 0xC0) != 0x80) {
      ++*i;
      return kReplacement;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++*i;
    return kReplacement;
  }
  *i += length;
  return cp;
}

std::uint16_t UnitAt(std::string_view s, std::size_t i) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(s[i]) |
                                    (static_cast<unsigned char>(s[i + 1]) << 8));
}

bool IsHigh(std::uint16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(std::uint16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string FromUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t cp = NextCodePoint(utf8, &i);
    if (cp < 0x10000) {
      AppendUnit(static_cast<std::uint16_t>(cp), &out);
    } else {
      const char32_t v = cp - 0x10000;
      AppendUnit(static_cast<std::uint16_t>(0xD800 | (v >> 10)), &out);
      AppendUnit(static_cast<std::uint16_t>(0xDC00 | (v & 0x3FF)), &out);
    }
  }
  return out;
}

std::string ToUtf8(std::string_view utf16le) {
  std::string out;
  out.reserve(utf16le.size());
  const std::size_t end = utf16le.size() & ~static_cast<std::size_t>(1);
  for (std::size_t i = 0; i < end; i += 2) {
    const std::uint16_t unit = UnitAt(utf16le, i);
    if (IsHigh(unit) && i + 2 < end && IsLow(UnitAt(utf16le, i + 2))) {
      const std::uint16_t low = UnitAt(utf16le, i + 2);
      AppendUtf8(0x10000 + ((static_cast<char32_t>(unit - 0xD800) << 10) | (low - 0xDC00)), &out);
      i += 2;
    } else if (IsHigh(unit) || IsLow(unit)) {
      AppendUtf8(kReplacement, &out);
    } else {
      AppendUtf8(unit, &out);
    }
  }
  return out;
}

bool RoundTrips(std::string_view utf16le) {
  if (utf16le.size() % 2 != 0) return false;
  return FromUtf8(ToUtf8(utf16le)) == utf16le;
}

}  // namespace zorvane::utf16
