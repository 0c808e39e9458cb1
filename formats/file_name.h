// Turning a text into a name that can be used as one file name in one folder, under the
// naming rule of Windows or of POSIX systems. The rule is a parameter so that both are
// tested on every system.
#pragma once

#include <string>
#include <string_view>

namespace zorvane::formats {

enum class FileNameRule {
  kWindows,  // NTFS/FAT names as the Win32 file functions accept them
  kPosix,    // any byte except "/" and NUL
};

// The rule of the system whose paths use `separator`: "\" means Windows.
FileNameRule FileNameRuleForSeparator(char separator);

// `name` unchanged when it already names a plain file inside one folder under `rule`;
// otherwise a changed copy that does:
// - path separators and the characters `rule` forbids in names become "_" (Windows:
//   \ / : * ? " < > | and the control characters U+0001-U+001F; POSIX: / and NUL);
// - Windows: dots and spaces at the end (which Windows would drop) become "_";
// - "", "." and ".." become "_", "_" and "__";
// - Windows: a device name (CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9, COM¹-COM³,
//   LPT¹-LPT³, CONIN$, CONOUT$, in any case, also followed by an extension) gets "_" in
//   front, so that no file is opened on a device.
// The result never contains a separator, is never "." or "..", and appending an
// extension such as ".url" keeps it a plain file name. Text outside ASCII is kept.
std::string SafeFileName(std::string_view name, FileNameRule rule);

}  // namespace zorvane::formats
