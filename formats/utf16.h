// UTF-8 to and from UTF-16LE byte strings: the form in which the registry keeps text.
#pragma once

#include <string>
#include <string_view>

namespace zorvane::utf16 {

// UTF-8 text to UTF-16LE bytes. Embedded NULs are kept; a malformed byte becomes U+FFFD.
std::string FromUtf8(std::string_view utf8);

// UTF-16LE bytes to UTF-8 text. Embedded NULs are kept; an unpaired surrogate becomes
// U+FFFD; a final odd byte is ignored.
std::string ToUtf8(std::string_view utf16le);

// Whether `utf16le` converts to UTF-8 and back unchanged (even length, no unpaired
// surrogate).
bool RoundTrips(std::string_view utf16le);

}  // namespace zorvane::utf16
