// Conversion between UTF-8 and the ANSI code page (932): all that the list sort and the
// ranking's comparisons need of a platform, so they take this rather than the whole seam.
#pragma once

#include <string>
#include <string_view>

namespace zorvane {

class AnsiCodePage {
 public:
  virtual ~AnsiCodePage() = default;

  // UTF-8 to the ANSI code page; characters it cannot hold become "?".
  virtual std::string ToAnsi(std::string_view utf8) = 0;
  // ANSI code page to UTF-8; invalid bytes are decoded as Windows decodes them.
  virtual std::string FromAnsi(std::string_view ansi) = 0;
  // Whether FromAnsi(ToAnsi(utf8)) is `utf8` again: valid UTF-8 whose every character the
  // code page holds as itself (not as "?" or a best-fit stand-in). ASCII always is. The
  // platforms with a table of the code page override the conversion that tells it here.
  virtual bool SurvivesAnsi(std::string_view utf8);
  // Whether ToAnsi(FromAnsi(ansi)) is `ansi` again: every byte belongs to a character of
  // the code page, written in the one form the code page writes it in (not one of two
  // forms of the same character). ASCII always is.
  virtual bool IsCanonicalAnsi(std::string_view ansi);
};

}  // namespace zorvane
