#include "platform/paths.h"

namespace zorvane::paths {

std::string JoinEnsuringSeparator(const std::string& dir, const std::string& name,
                                  char separator) {
  if (!dir.empty() && dir.back() == separator) return dir + name;
  return dir + separator + name;
}

std::string JoinAlways(const std::string& dir, const std::string& name, char separator) {
  return dir + separator + name;
}

}  // namespace zorvane::paths
