#include "base/environment.h"

namespace zorvane {

std::string ExpandEnvironmentReferences(std::string_view text, const LookUpEnvironment& lookup) {
  std::string result;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t open = text.find('%', i);
    const std::size_t close =
        open == std::string_view::npos ? std::string_view::npos : text.find('%', open + 1);
    if (close == std::string_view::npos) break;  // no reference, or a lone "%": kept as it is
    result.append(text.substr(i, open - i));
    if (const std::optional<std::string> value = lookup(text.substr(open + 1, close - open - 1))) {
      result.append(*value);
    } else {
      result.append(text.substr(open, close - open + 1));  // unknown: "%NAME%" stays
    }
    i = close + 1;
  }
  result.append(text.substr(i));
  return result;
}

}  // namespace zorvane
