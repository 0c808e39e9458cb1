#include "catalogue/profile_access.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "base/paths.h"
#include "base/text.h"
#include "formats/profile_engine.h"

namespace zorvane {
namespace {

// The buffer the settings reads use: 127 bytes of value and the final NUL.
constexpr std::uint32_t kSettingBufferSize = 128;

bool HoldsLineBreak(std::string_view s) { return text::FindLineBreak(s) != std::string_view::npos; }

}  // namespace

std::string TrimNull(const std::string& text) { return text.substr(0, text.find('\0')); }

std::string ReadIniString(Platform& platform, const std::string& section, const std::string& key,
                          std::uint32_t size, const std::string& file) {
  return TrimNull(platform.GetPrivateProfileString(section, key, "", size, file));
}

std::string SettingsFilePath(const ProgramFiles& files, bool for_write) {
  // The read side keeps the base name's case where names compare without regard to
  // case; elsewhere both sides must reach the lower-case file the first write creates.
  const bool lower = for_write || !files.platform->FileNamesIgnoreCase();
  const std::string base = lower ? text::AsciiLower(kProgramBaseName) : kProgramBaseName;
  return paths::JoinEnsuringSeparator(files.directory, base + ".ini",
                                      files.platform->PathSeparator());
}

std::string ReadSetting(const ProgramFiles& files, const std::string& section,
                        const std::string& key, const std::string& default_value) {
  return TrimNull(files.platform->GetPrivateProfileString(
      section, key, default_value, kSettingBufferSize, SettingsFilePath(files, false)));
}

bool CanStoreSetting(Platform& platform, const std::string& section, const std::string& key,
                     const std::string& value) {
  return profile::CanWrite(platform.ToAnsi(section), platform.ToAnsi(key), platform.ToAnsi(value));
}

bool WriteSetting(const ProgramFiles& files, const std::string& section, const std::string& key,
                  const std::string& value) {
  // A line break would end the entry early and let the rest of the text stand in the
  // file as lines of its own.
  if (HoldsLineBreak(section) || HoldsLineBreak(key) || HoldsLineBreak(value)) return false;
  return files.platform->WritePrivateProfileString(section, key, value,
                                                   SettingsFilePath(files, true));
}

bool WriteSettings(const ProgramFiles& files, const std::string& section,
                   const std::vector<std::pair<std::string, std::string>>& entries) {
  if (HoldsLineBreak(section)) return false;
  const auto writable = [](const std::pair<std::string, std::string>& entry) {
    return !HoldsLineBreak(entry.first) && !HoldsLineBreak(entry.second);
  };
  if (entries.empty()) return true;
  const std::string path = SettingsFilePath(files, true);
  // The entries are copied only when some must be left out.
  if (std::all_of(entries.begin(), entries.end(), writable)) {
    return files.platform->WritePrivateProfileStrings(section, entries, path);
  }
  std::vector<std::pair<std::string, std::string>> kept;
  std::copy_if(entries.begin(), entries.end(), std::back_inserter(kept), writable);
  if (kept.empty()) return false;
  files.platform->WritePrivateProfileStrings(section, kept, path);
  return false;
}

}  // namespace zorvane
