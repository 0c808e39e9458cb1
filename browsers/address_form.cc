#include "browsers/address_form.h"

#include "base/text.h"

namespace zorvane::browsers {

std::string AddressForCodePage(std::string_view utf8, const CodePageForms& forms) {
  if (forms.survives(utf8)) return std::string(utf8);
  return text::PercentEncodeNonAsciiUnless(utf8, forms.survives);
}

}  // namespace zorvane::browsers
