// %NAME% references in text, as ExpandEnvironmentStrings replaces them: a name between
// two "%" is looked up; a known one gives its value, an unknown one stays as written, a
// lone "%" stays. Pure: the lookup is a parameter, so the rule of each system (Windows
// compares names without regard to case; the POSIX platform also maps USERPROFILE to
// HOME) is tested anywhere.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zorvane {

using LookUpEnvironment = std::function<std::optional<std::string>(std::string_view name)>;

std::string ExpandEnvironmentReferences(std::string_view text, const LookUpEnvironment& lookup);

}  // namespace zorvane
