// The catalogue file url.dat: one favourite address per line in the ANSI code page, each
// line ended by CR LF, and one further CR LF at the end of the file.
#pragma once

#include <string>
#include <string_view>

namespace zorvane {

inline constexpr char kCatalogueFileName[] = "url.dat";

// Accumulates the records of one catalogue in memory, in catalogue order.
class CatalogueText final {
 public:
  // Appends one record; `ansi_address` is the address in the ANSI code page, written
  // exactly as given (no quoting, no escaping).
  void AppendRecord(std::string_view ansi_address) {
    text_.append(ansi_address);
    text_.append("\r\n");
  }
  // The whole file: the records and the closing empty line.
  std::string FileBytes() const { return text_ + "\r\n"; }

 private:
  std::string text_;
};

}  // namespace zorvane
