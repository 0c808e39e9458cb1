// Addresses in the form the ANSI code page carries and gives back unchanged: characters
// it cannot hold are percent-encoded (their UTF-8 bytes) instead of becoming "?", so two
// addresses never meet as one. The bookmark import writes shortcuts in this form and the
// URL cache hands history addresses over in it, so the two always match.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zorvane::browsers {

// The code page's conversions, from the platform that knows it.
struct CodePageForms {
  // Whether UTF-8 text comes back unchanged from the code page (ASCII always does).
  std::function<bool(std::string_view utf8)> survives;
  // UTF-8 to the code page.
  std::function<std::string(std::string_view utf8)> to_ansi;
};

// `utf8` with each character `forms` cannot carry through the code page percent-encoded
// (its UTF-8 bytes); text that survives whole passes unchanged.
std::string AddressForCodePage(std::string_view utf8, const CodePageForms& forms);

}  // namespace zorvane::browsers
