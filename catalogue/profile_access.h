// Reading and writing profile-format files: one value of an Internet shortcut, and the
// program's settings file (sections "ShortcutTitle" and "RANK").
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace zorvane {

// The program's directory and the platform that reaches it: where url.dat and the
// settings file live.
struct ProgramFiles {
  Platform* platform = nullptr;
  std::string directory;
};

// The program file's base name; the settings file is named after it.
inline constexpr char kProgramBaseName[] = "Zorvane";

// The settings file's sections: the title of each catalogued address, and the last place
// of each ranked title.
inline constexpr char kTitleSection[] = "ShortcutTitle";
inline constexpr char kRankSection[] = "RANK";

// The text before the first NUL character of `text`, or all of it.
std::string TrimNull(const std::string& text);

// The value of `key` in `section` of `file`, at most `size` - 1 bytes of its ANSI form;
// "" when the file, section or key is missing.
std::string ReadIniString(Platform& platform, const std::string& section, const std::string& key,
                          std::uint32_t size, const std::string& file);

// Path of the settings file: the program's directory, a separator unless present, the
// base name (lower case when `for_write` or on a file system that tells case apart) and
// ".ini".
std::string SettingsFilePath(const ProgramFiles& files, bool for_write);

// The value of `key` in `section` of the settings file, or `default_value`; at most 127
// bytes either way.
std::string ReadSetting(const ProgramFiles& files, const std::string& section,
                        const std::string& key, const std::string& default_value);

// Whether `key` = `value` in `section` can be stored in a profile file so that a later
// read finds it: no line break in any of the three, no "]" in the section name, and no
// key that begins (after blanks) with ";" or "[", which would make its line a comment or
// a section header.
bool CanStoreSetting(Platform& platform, const std::string& section, const std::string& key,
                     const std::string& value);

// Sets `key` in `section` of the settings file. False when the platform reports a
// failure, or when the value holds a line break (it would split the file).
bool WriteSetting(const ProgramFiles& files, const std::string& section, const std::string& key,
                  const std::string& value);

// Sets several keys of one section in one replacement of the settings file, with the
// result that one WriteSetting per entry, in order, would leave. Entries whose key or
// value holds a line break are left out; the result is false then.
bool WriteSettings(const ProgramFiles& files, const std::string& section,
                   const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace zorvane
