// Text in the character sets HTML files declare beyond the Unicode forms (which
// Platform::DecodeText reads itself), decoded with iconv: what DecodeText of the POSIX
// platform and of the memory platform adds.
#pragma once

#include <string>
#include <string_view>

namespace zorvane::posix {

// Converts `bytes` in the set `charset` names (windows-1252, Shift_JIS or EUC-JP, under
// any of the names platform/charset.h knows) to UTF-8 in `*utf8`. A byte that starts no
// character of the set becomes U+FFFD, except in windows-1252, whose five unassigned
// bytes stand for the control characters of their own value, as Windows and browsers
// read them. False, `*utf8` untouched, for any other set, or one iconv lacks.
bool DecodeText(std::string_view charset, std::string_view bytes, std::string* utf8);

}  // namespace zorvane::posix
