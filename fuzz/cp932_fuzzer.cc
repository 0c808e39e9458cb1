// Code page 932: decoding any bytes gives well-formed UTF-8 with one character for each
// character of the input (a lead byte and the byte after it, or one byte), so nothing is
// dropped unseen; encoding anything gives no half characters out of nowhere and never
// crashes; a cut never splits a double-byte character.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "platform/posix/cp932.h"

namespace {

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Characters of `bytes` as the code page walks them: a lead byte takes the next byte
// with it unless that byte is missing or NUL.
std::size_t Characters(std::string_view bytes) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < bytes.size(); ++count) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    i += IsLead(b) && i + 1 < bytes.size() && bytes[i + 1] != '\0' ? 2 : 1;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zorvane;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::string utf8 = cp932::ToUtf8(bytes);
  FUZZ_CHECK(fuzz::IsUtf8(utf8));
  FUZZ_CHECK(fuzz::CodePoints(utf8) == Characters(bytes));

  // Encoding gives one or two bytes per character; decoding that again gives the same
  // number of characters.
  const std::string ansi = cp932::FromUtf8(utf8);
  FUZZ_CHECK(Characters(ansi) == fuzz::CodePoints(utf8));
  FUZZ_CHECK(cp932::ToUtf8(ansi).size() >= fuzz::CodePoints(utf8));

  // Any bytes as UTF-8: malformed bytes become "?", nothing else is lost.
  const std::string from_any = cp932::FromUtf8(bytes);
  FUZZ_CHECK(from_any.size() >= (fuzz::IsUtf8(bytes) ? fuzz::CodePoints(bytes) : 1) ||
             bytes.empty());

  for (std::size_t limit : {std::size_t{0}, std::size_t{1}, size / 2, size}) {
    const std::size_t cut = cp932::CutAtCharBoundary(bytes, limit);
    FUZZ_CHECK(cut <= limit && cut <= size);
    // The cut ends where a character ends.
    std::size_t i = 0;
    while (i < cut) i += IsLead(static_cast<unsigned char>(bytes[i])) && i + 1 < size ? 2 : 1;
    FUZZ_CHECK(i == cut);
  }
  return 0;
}
