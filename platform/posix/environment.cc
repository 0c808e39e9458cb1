#include "platform/posix/environment.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "base/text.h"

extern char** environ;

namespace zorvane::posix {

std::optional<std::string> LookUpVariable(std::string_view name) {
  const std::string exact(name);
  if (const char* value = std::getenv(exact.c_str())) return std::string(value);
  const std::string lower = text::AsciiLower(name);
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string_view pair(*entry);
    const std::size_t equals = pair.find('=');
    if (equals != std::string_view::npos && text::AsciiLower(pair.substr(0, equals)) == lower) {
      return std::string(pair.substr(equals + 1));
    }
  }
  if (lower == "userprofile") {
    if (const char* home = std::getenv("HOME")) return std::string(home);
  }
  return std::nullopt;
}

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  struct passwd entry;
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
    return found->pw_dir;
  }
  return std::string();
}

}  // namespace zorvane::posix
