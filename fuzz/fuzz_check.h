// Checks inside fuzz targets: a broken property aborts, which libFuzzer reports as a
// crash and saves the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

#define FUZZ_CHECK(condition)                                                               \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (false)

namespace zorvane::fuzz {

// Whether `s` is well-formed UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF). Written here on its own so that it checks the code rather than repeats it.
inline bool IsUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    unsigned cp = 0;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      n = 1, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      n = 2, cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      n = 3, cp = b & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;
    for (std::size_t k = 1; k <= n; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    if ((n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += n + 1;
  }
  return true;
}

// The number of code points in well-formed UTF-8 `s`.
inline std::size_t CodePoints(std::string_view s) {
  std::size_t count = 0;
  for (char c : s) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

}  // namespace zorvane::fuzz
