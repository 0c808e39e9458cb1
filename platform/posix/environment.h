// The process environment on POSIX systems, looked up as Windows looks up its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvane::posix {

// The value of environment variable `name`, matched exactly and then without regard to
// case as Windows matches names; USERPROFILE falls back to HOME.
std::optional<std::string> LookUpVariable(std::string_view name);

// The user's home folder: $HOME, else the password database's; "" when neither says.
std::string HomeDirectory();

}  // namespace zorvane::posix
