// frmAbout, the About box, as logic without a toolkit.
//
// The box shows the program's title, version and a one-line description, and offers a
// command that starts the System Information program named in the registry. A view (the
// Qt dialog, the Win32 dialog, the command-line driver) draws `FrmAboutState`, shows the
// box's one message and closes the window when asked.
#pragma once

#include <cstdint>
#include <string>

#include "app/version.h"
#include "platform/platform.h"

namespace zorvane {

// Registry locations of the System Information program, looked up in this order under
// HKEY_LOCAL_MACHINE: the program's full path, then the folder that holds it.
inline constexpr char kSysInfoPathKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr char kSysInfoPathValue[] = "PATH";
inline constexpr char kSysInfoFolderKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr char kSysInfoFolderValue[] = "MSINFO";
inline constexpr char kSysInfoProgramName[] = "MSINFO32.EXE";

// READ_CONTROL with the six key-specific rights: what the box asks for when it opens a key.
inline constexpr std::uint32_t kSysInfoKeyAccess = 0x2003F;
// The buffer the box reads a registry value into.
inline constexpr std::uint32_t kKeyValueBufferSize = 1024;

// Everything a view needs to draw the About box. Captions keep their "&" access-key marks.
struct FrmAboutState {
  std::string caption;
  std::string lbl_title;
  std::string lbl_version;
  std::string lbl_description;
  std::string lbl_disclaimer;
  std::string cmd_ok;
  std::string cmd_sys_info;
};

class FrmAboutView {
 public:
  virtual ~FrmAboutView() = default;
  // Draws the box as `state` says, at once.
  virtual void Refresh(const FrmAboutState& state) = 0;
  // Shows a message box with OK only and caption "Zorvane"; returns once acknowledged.
  virtual void ShowMessage(const std::string& text) = 0;
  // Closes and unloads the box.
  virtual void CloseAboutBox() = 0;
};

// What one registry lookup of GetKeyValue came to.
enum class KeyValueResult {
  kRead,     // the value was read (KeyVal set, or left as it was for other value types)
  kMissing,  // no such key or value, or the value could not be read: KeyVal is empty
  kBroken,   // the data filled the whole buffer without a terminating NUL: KeyVal is empty
};

class frmAbout {
 public:
  frmAbout(Platform& platform, FrmAboutView& view);
  frmAbout(const frmAbout&) = delete;
  frmAbout& operator=(const frmAbout&) = delete;

  // Sets the caption, the title and the version label (anew at every load).
  void Form_Load();
  void cmdOK_Click();
  void cmdSysInfo_Click();

  // Starts the System Information program named by the registry, or shows
  // frm_about_texts::kSysInfoUnavailable when there is none or it cannot be started.
  void StartSysInfo();

  // Reads value `SubKeyRef` of key `KeyName` under `KeyRoot` as text into `KeyVal`: a
  // string value as it is (up to its first NUL), a 32-bit number in decimal digits; any
  // other type leaves `KeyVal` as it came in and still counts as read.
  KeyValueResult GetKeyValue(std::uint32_t KeyRoot, const std::string& KeyName,
                             const std::string& SubKeyRef, std::string& KeyVal);

  const FrmAboutState& state() const { return state_; }

 private:
  void Refresh() { view_.Refresh(state_); }

  Platform& platform_;
  FrmAboutView& view_;
  FrmAboutState state_;
};

}  // namespace zorvane
