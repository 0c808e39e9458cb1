#include "formats/utf16.h"

#include <cstddef>
#include <cstdint>

#include "base/text.h"

namespace zorvane::utf16 {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUnit(std::uint16_t unit, std::string* out) {
  out->push_back(static_cast<char>(unit & 0xFF));
  out->push_back(static_cast<char>(unit >> 8));
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
    char32_t cp = text::DecodeUtf8(utf8, &i);
    if (cp == text::kMalformedUtf8) cp = kReplacement;
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
      text::AppendUtf8(0x10000 + ((static_cast<char32_t>(unit - 0xD800) << 10) | (low - 0xDC00)),
                       &out);
      i += 2;
    } else if (IsHigh(unit) || IsLow(unit)) {
      text::AppendUtf8(kReplacement, &out);
    } else {
      text::AppendUtf8(unit, &out);
    }
  }
  return out;
}

bool RoundTrips(std::string_view utf16le) {
  if (utf16le.size() % 2 != 0) return false;
  return FromUtf8(ToUtf8(utf16le)) == utf16le;
}

}  // namespace zorvane::utf16
