// Finding the user's browser history databases when no URL-cache source is named.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace zorvane::browsers {

// One profile listed in a Firefox profiles.ini.
struct FirefoxProfileEntry {
  std::string path;          // the Path= value
  bool is_relative = false;  // IsRelative=1, or no IsRelative= and a path not starting "/"
  std::string name;          // the Name= value, "" without one

  bool operator==(const FirefoxProfileEntry&) const = default;
};

// The [ProfileN] sections of a profiles.ini text, in file order. Sections and keys are
// matched without regard to letter case; a UTF-8 byte order mark, CR LF line ends,
// comment lines (";" or "#") and blanks around names and values are allowed. A section
// without a Path= is left out; a repeated key keeps its last value.
std::vector<FirefoxProfileEntry> ParseFirefoxProfiles(std::string_view ini_text);

enum class BrowserFamily { kFirefox, kChromium };

// One browser profile found in the home folder.
struct BrowserProfile {
  BrowserFamily family = BrowserFamily::kFirefox;
  std::string browser;    // "Firefox", "Chromium", "Google Chrome", "Opera", ...
  std::string name;       // Firefox: the Name= value (else the folder's name); Chromium:
                          // the profile folder's name, "" for a profile in the root itself
  std::string folder;     // the profile folder
  std::string history;    // its places.sqlite or History file (exists)
  std::string bookmarks;  // Firefox: places.sqlite; Chromium: its Bookmarks file (may not exist)
};

// The folders below which browsers keep their profiles (UTF-8; "" when unknown).
struct UserFolders {
  std::string home;            // Linux: $HOME
  std::string config;          // Linux: $XDG_CONFIG_HOME when absolute, else ~/.config
  std::string local_app_data;  // Windows: %LOCALAPPDATA%
  std::string app_data;        // Windows: %APPDATA%
};

// Whose folder layout to search: the roots of each system are data, so both are tested
// everywhere.
enum class BrowserSystem { kLinux, kWindows };

// The Linux folders of `home`, with `xdg_config_home` ($XDG_CONFIG_HOME, may be null).
UserFolders LinuxUserFolders(const std::string& home, const char* xdg_config_home);

// The system whose folder layout `platform` has (its separator tells), and its user's
// folders from the platform's environment.
BrowserSystem SystemOf(Platform& platform);
UserFolders UserFoldersOf(Platform& platform);

// The folders of `system` from its environment variables (Linux: HOME, XDG_CONFIG_HOME;
// Windows: LOCALAPPDATA, APPDATA), each read through `variable` ("" when unset).
UserFolders UserFoldersFromEnvironment(BrowserSystem system,
                                       const std::function<std::string(const char*)>& variable);

// Receives "FOLDER: cannot be read" for each folder of a profile (or of the profiles of
// a browser) that exists but cannot be looked into: its browsing would be missed.
using DiscoveryDiagnostic = std::function<void(const std::string& line)>;

// The profiles whose history database exists as a regular file. Windows: Firefox,
// LibreWolf and Waterfox through the profiles.ini under %APPDATA% (Mozilla\Firefox,
// librewolf, Waterfox); then the Chromium family under %LOCALAPPDATA% (Microsoft\Edge,
// Edge Beta and Dev, Google\Chrome, Chrome Beta and SxS, Chromium,
// BraveSoftware\Brave-Browser, Vivaldi, each with "User Data" below) and Opera under
// %APPDATA% (Opera Software\Opera Stable), with the same rules within a root as on Linux.
std::vector<BrowserProfile> DiscoverBrowserProfiles(BrowserSystem system,
                                                    const UserFolders& folders,
                                                    const DiscoveryDiagnostic& diagnose = {});

// The Linux profiles in `home` whose history database exists as a regular file, in this order:
//
// 1. Firefox places.sqlite files, for each root in turn: ~/.mozilla/firefox,
//    <config>/mozilla/firefox, ~/snap/firefox/common/.mozilla/firefox,
//    ~/.var/app/org.mozilla.firefox/.mozilla/firefox,
//    ~/.var/app/org.mozilla.firefox/config/mozilla/firefox, then the forks ~/.librewolf,
//    ~/.var/app/io.gitlab.librewolf-community/.librewolf and ~/.waterfox. Within a root,
//    the profiles in the order its profiles.ini lists them; a root without profiles.ini
//    gives nothing, as it does to the browser.
// 2. Chromium-family History files, for each root in turn under <config>: google-chrome,
//    google-chrome-beta, google-chrome-unstable, chromium, BraveSoftware/Brave-Browser,
//    vivaldi, microsoft-edge, microsoft-edge-beta, microsoft-edge-dev, opera; then
//    ~/snap/chromium/common/chromium and the Flatpak roots
//    ~/.var/app/org.chromium.Chromium/config/chromium,
//    ~/.var/app/com.google.Chrome/config/google-chrome and
//    ~/.var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser. Within a root: a History file
//    in the root itself (Opera keeps its single profile there), then "Default", then "Profile N" by
//    N, then any other folder holding a History file by name. "Guest Profile" and "System Profile"
//    are left out: they hold no browsing of the user's own.
//
// <config> is `xdg_config_home` when it is an absolute path, else ~/.config; an empty
// `home` leaves out every root below it. A file reached twice (through a symbolic or hard
// link, or a profile listed twice) is listed once, at its first place. Nothing is read but
// folders and profiles.ini files.
std::vector<BrowserProfile> DiscoverBrowserProfiles(const std::string& home,
                                                    const char* xdg_config_home,
                                                    const DiscoveryDiagnostic& diagnose = {});

// The history files of DiscoverBrowserProfiles, in its order.
std::vector<std::string> DiscoverBrowserHistories(const std::string& home,
                                                  const char* xdg_config_home,
                                                  const DiscoveryDiagnostic& diagnose = {});

}  // namespace zorvane::browsers
