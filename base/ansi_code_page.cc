#include "base/ansi_code_page.h"

#include "base/text.h"

namespace zorvane {

bool AnsiCodePage::SurvivesAnsi(std::string_view utf8) {
  return text::IsAscii(utf8) || FromAnsi(ToAnsi(utf8)) == utf8;
}

bool AnsiCodePage::IsCanonicalAnsi(std::string_view ansi) {
  return text::IsAscii(ansi) || ToAnsi(FromAnsi(ansi)) == ansi;
}

}  // namespace zorvane
