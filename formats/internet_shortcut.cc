#include "formats/internet_shortcut.h"

#include "formats/file_name.h"

namespace zorvane::formats {

std::string InternetShortcutText(std::string_view address) {
  std::string text = "[InternetShortcut]\r\nURL=";
  text.append(address);
  text.append("\r\n");
  return text;
}

std::string ShortcutFileStem(AnsiCodePage& code_page, char separator, std::string_view title) {
  const FileNameRule rule = FileNameRuleForSeparator(separator);
  if (rule == FileNameRule::kWindows) {
    return SafeFileName(code_page.FromAnsi(code_page.ToAnsi(title)), rule);
  }
  return SafeFileName(title, rule);
}

}  // namespace zorvane::formats
