// The one byte rule of code page 932 that code outside the conversions needs: which bytes
// begin a double-byte character. A lead byte and the byte after it are one character,
// whatever that byte is, as the code page decodes them.
#pragma once

namespace zorvane {

constexpr bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace zorvane
