// frmAbout: the About box's texts and its System Information command.
#include "app/frm_about.h"

#include <algorithm>
#include <array>

#include "app/form1.h"
#include "app/window_texts.h"
#include "base/paths.h"

namespace zorvane {
namespace {

// Attributes that keep a file from counting as a normal file in the existence test.
constexpr std::uint32_t kNotNormalFile =
    kFileAttributeDirectory | kFileAttributeHidden | kFileAttributeSystem;

}  // namespace

frmAbout::frmAbout(Platform& platform, FrmAboutView& view) : platform_(platform), view_(view) {
  state_.lbl_description = frm_about_texts::kDescription;
  state_.lbl_disclaimer = frm_about_texts::kDisclaimer;
  state_.cmd_ok = frm_about_texts::kOkCaption;
  state_.cmd_sys_info = frm_about_texts::kSysInfoCaption;
}

void frmAbout::Form_Load() {
  state_.caption = AboutCaption();
  state_.lbl_version = AboutVersionLabel();
  state_.lbl_title = kAppTitle;
  Refresh();
}

void frmAbout::cmdOK_Click() { view_.CloseAboutBox(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

void frmAbout::StartSysInfo() {
  // Every way of not finding or not starting the program ends in the same message.
  const auto start = [this](const std::string& path) {
    return !path.empty() && platform_.StartProgram(path);
  };

  std::string SysInfoPath;
  KeyValueResult result =
      GetKeyValue(kHkeyLocalMachine, kSysInfoPathKey, kSysInfoPathValue, SysInfoPath);
  if (result == KeyValueResult::kRead) {
    // The full path is used as it is; a path that does not start is reported below.
    if (start(SysInfoPath)) return;
  } else if (result == KeyValueResult::kMissing) {
    result = GetKeyValue(kHkeyLocalMachine, kSysInfoFolderKey, kSysInfoFolderValue, SysInfoPath);
    // An empty folder (a value of a type that gives no text) names no folder at all; it
    // must not send the test to the root of the file system.
    if (result == KeyValueResult::kRead && !SysInfoPath.empty()) {
      const std::string path =
          paths::JoinAlways(SysInfoPath, kSysInfoProgramName, platform_.PathSeparator());
      const std::uint32_t attributes = platform_.GetFileAttributes(path);
      const bool normal_file =
          attributes != kInvalidFileAttributes && (attributes & kNotNormalFile) == 0;
      if (normal_file && start(path)) return;
    }
  }
  view_.ShowMessage(frm_about_texts::kSysInfoUnavailable);
}

KeyValueResult frmAbout::GetKeyValue(std::uint32_t KeyRoot, const std::string& KeyName,
                                     const std::string& SubKeyRef, std::string& KeyVal) {
  ScopedRegKey key(platform_);
  if (key.Open(KeyRoot, KeyName, kSysInfoKeyAccess) != kErrorSuccess) {
    KeyVal.clear();
    return KeyValueResult::kMissing;
  }

  std::array<std::uint8_t, kKeyValueBufferSize> buffer{};
  std::uint32_t size = kKeyValueBufferSize;
  std::uint32_t type = 0;
  if (platform_.RegQueryValue(key.get(), SubKeyRef, &type, buffer.data(), &size) != kErrorSuccess) {
    KeyVal.clear();
    return KeyValueResult::kMissing;
  }

  // The text ends at the first NUL; data that fills the whole buffer has no end.
  const auto end = std::find(buffer.begin(), buffer.end(), std::uint8_t{0});
  if (end == buffer.end()) {
    KeyVal.clear();
    return KeyValueResult::kBroken;
  }

  if (type == kRegSz) {
    KeyVal = platform_.FromAnsi(
        std::string_view(reinterpret_cast<const char*>(buffer.data()), end - buffer.begin()));
  } else if (type == kRegDword) {
    // Little-endian, as the registry stores it.
    const std::uint32_t number = buffer[0] | (buffer[1] << 8) | (buffer[2] << 16) |
                                 (static_cast<std::uint32_t>(buffer[3]) << 24);
    KeyVal = std::to_string(number);
  }
  return KeyValueResult::kRead;
}

}  // namespace zorvane
