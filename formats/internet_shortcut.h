// The Internet shortcut files (".url") that the add-to-Favorites command and the bookmark
// import write: their bytes, and their names.
#pragma once

#include <string>
#include <string_view>

#include "base/ansi_code_page.h"

namespace zorvane::formats {

inline constexpr char kShortcutExtension[] = ".url";

// The whole text of a shortcut to `address` (UTF-8): "[InternetShortcut]", CR LF,
// "URL=", the address unchanged, CR LF. Nothing else: no other keys, no empty line, no
// byte-order mark.
std::string InternetShortcutText(std::string_view address);

// The name, without its extension, of the file of a shortcut titled `title`:
// SafeFileName(title) under the rule of the system whose paths use `separator`; with the
// Windows rule, of the title as it reads after a trip through `code_page`, the form the
// file functions receive (a character the code page lacks becomes "?", "¥" becomes "\").
std::string ShortcutFileStem(AnsiCodePage& code_page, char separator, std::string_view title);

}  // namespace zorvane::formats
