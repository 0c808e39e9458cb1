#include "browsers/profiles.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/text.h"
#include "browsers/file_identity.h"
#include "browsers/utf8_path.h"

namespace zorvane::browsers {
namespace {

namespace fs = std::filesystem;

// Where a browser root lies: below the home folder or the configuration folder (Linux),
// or below the local or roaming application data folder (Windows).
enum class Base { kHome, kConfig, kLocalAppData, kAppData };

struct Root {
  Base base;
  const char* path;
  const char* browser;  // the name the user knows the browser by
};

// The roots in the order searched.
constexpr Root kLinuxFirefoxRoots[] = {
    {Base::kHome, ".mozilla/firefox", "Firefox"},
    {Base::kConfig, "mozilla/firefox", "Firefox"},
    {Base::kHome, "snap/firefox/common/.mozilla/firefox", "Firefox"},
    {Base::kHome, ".var/app/org.mozilla.firefox/.mozilla/firefox", "Firefox"},
    {Base::kHome, ".var/app/org.mozilla.firefox/config/mozilla/firefox", "Firefox"},
    {Base::kHome, ".librewolf", "LibreWolf"},
    {Base::kHome, ".var/app/io.gitlab.librewolf-community/.librewolf", "LibreWolf"},
    {Base::kHome, ".waterfox", "Waterfox"},
};
constexpr Root kLinuxChromiumRoots[] = {
    {Base::kConfig, "google-chrome", "Google Chrome"},
    {Base::kConfig, "google-chrome-beta", "Google Chrome Beta"},
    {Base::kConfig, "google-chrome-unstable", "Google Chrome Dev"},
    {Base::kConfig, "chromium", "Chromium"},
    {Base::kConfig, "BraveSoftware/Brave-Browser", "Brave"},
    {Base::kConfig, "vivaldi", "Vivaldi"},
    {Base::kConfig, "microsoft-edge", "Microsoft Edge"},
    {Base::kConfig, "microsoft-edge-beta", "Microsoft Edge Beta"},
    {Base::kConfig, "microsoft-edge-dev", "Microsoft Edge Dev"},
    {Base::kConfig, "opera", "Opera"},
    {Base::kHome, "snap/chromium/common/chromium", "Chromium"},
    {Base::kHome, ".var/app/org.chromium.Chromium/config/chromium", "Chromium"},
    {Base::kHome, ".var/app/com.google.Chrome/config/google-chrome", "Google Chrome"},
    {Base::kHome, ".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser", "Brave"},
};

constexpr Root kWindowsFirefoxRoots[] = {
    {Base::kAppData, "Mozilla/Firefox", "Firefox"},
    {Base::kAppData, "librewolf", "LibreWolf"},
    {Base::kAppData, "Waterfox", "Waterfox"},
};
constexpr Root kWindowsChromiumRoots[] = {
    {Base::kLocalAppData, "Microsoft/Edge/User Data", "Microsoft Edge"},
    {Base::kLocalAppData, "Microsoft/Edge Beta/User Data", "Microsoft Edge Beta"},
    {Base::kLocalAppData, "Microsoft/Edge Dev/User Data", "Microsoft Edge Dev"},
    {Base::kLocalAppData, "Google/Chrome/User Data", "Google Chrome"},
    {Base::kLocalAppData, "Google/Chrome Beta/User Data", "Google Chrome Beta"},
    {Base::kLocalAppData, "Google/Chrome SxS/User Data", "Google Chrome Canary"},
    {Base::kLocalAppData, "Chromium/User Data", "Chromium"},
    {Base::kLocalAppData, "BraveSoftware/Brave-Browser/User Data", "Brave"},
    {Base::kLocalAppData, "Vivaldi/User Data", "Vivaldi"},
    {Base::kAppData, "Opera Software/Opera Stable", "Opera"},
};

// A profiles.ini larger than this is not one.
constexpr std::uintmax_t kMaxProfilesIniSize = 1 << 20;

// ---- Text helpers -------------------------------------------------------------------------

// The blanks around names and values of a profiles.ini, its line's CR too.
std::string_view Trim(std::string_view text) { return text::Trim(text, " \t\r"); }

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "Profile" followed by a number, in any letter case.
bool IsProfileSection(std::string_view name) {
  constexpr std::string_view kPrefix = "Profile";
  return name.size() > kPrefix.size() &&
         text::EqualsIgnoringAsciiCase(name.substr(0, kPrefix.size()), kPrefix) &&
         AllDigits(name.substr(kPrefix.size()));
}

// ---- File system helpers ------------------------------------------------------------------

bool IsRegularFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

bool ReadSmallFile(const fs::path& path, std::string* text) {
  std::error_code error;
  // Checked first so that a FIFO in its place cannot block the open.
  if (!fs::is_regular_file(path, error)) return false;
  std::uintmax_t size = fs::file_size(path, error);
  if (error || size > kMaxProfilesIniSize) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Whether an error of the file system means "nothing there" rather than "cannot look".
bool IsAbsence(const std::error_code& error) {
  return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory;
}

// Collects profiles whose history exists, unless a profile with the same history file
// was collected before. A folder that exists but cannot be looked into is reported once:
// its profiles would be missed without a word otherwise.
class ProfileList final {
 public:
  explicit ProfileList(const DiscoveryDiagnostic& diagnose) : diagnose_(diagnose) {}

  void Add(BrowserProfile profile) {
    if (!IsRegularFile(PathFromUtf8(profile.history))) {
      Checked(PathFromUtf8(profile.history));
      return;
    }
    if (!seen_.Insert(profile.history)) return;
    profiles_.push_back(std::move(profile));
  }
  std::vector<BrowserProfile> Take() { return std::move(profiles_); }

  // Reports the folder of `path` when the file system refuses to say what is there.
  void Checked(const fs::path& path) {
    std::error_code error;
    static_cast<void>(fs::status(path, error));
    if (!error || IsAbsence(error) || !diagnose_) return;
    const std::string folder = Utf8FromPath(path.parent_path());
    if (reported_.insert(folder).second) diagnose_(folder + ": cannot be read");
  }

 private:
  const DiscoveryDiagnostic& diagnose_;
  SeenFiles seen_;
  std::set<std::string> reported_;
  std::vector<BrowserProfile> profiles_;
};

// ---- Firefox ------------------------------------------------------------------------------

void AddFirefoxRoot(const fs::path& root, const char* browser, ProfileList* list) {
  std::string ini;
  if (!ReadSmallFile(root / "profiles.ini", &ini)) {
    list->Checked(root / "profiles.ini");
    return;
  }
  for (const FirefoxProfileEntry& entry : ParseFirefoxProfiles(ini)) {
    fs::path folder =
        entry.is_relative ? root / PathFromUtf8(entry.path) : PathFromUtf8(entry.path);
    folder.make_preferred();
    BrowserProfile profile;
    profile.family = BrowserFamily::kFirefox;
    profile.browser = browser;
    profile.name = entry.name.empty() ? Utf8FromPath(folder.filename()) : entry.name;
    profile.folder = Utf8FromPath(folder);
    profile.history = Utf8FromPath(folder / "places.sqlite");
    profile.bookmarks = profile.history;
    list->Add(std::move(profile));
  }
}

// ---- Chromium -----------------------------------------------------------------------------

// Orders profile folders: "Default", then "Profile N" by N, then the rest by name.
std::tuple<int, std::size_t, std::string> ChromiumProfileKey(const std::string& name) {
  constexpr std::string_view kNumbered = "Profile ";
  if (name == "Default") return {0, 0, name};
  if (name.starts_with(kNumbered)) {
    std::string_view number = std::string_view(name).substr(kNumbered.size());
    // Numbers compare by length first, then digit by digit, so any length works; leading
    // zeros do not occur in folder names the browser makes.
    if (AllDigits(number)) return {1, number.size(), std::string(number)};
  }
  return {2, 0, name};
}

BrowserProfile ChromiumProfile(const fs::path& folder, const char* browser, std::string name) {
  BrowserProfile profile;
  profile.family = BrowserFamily::kChromium;
  profile.browser = browser;
  profile.name = std::move(name);
  profile.folder = Utf8FromPath(folder);
  profile.history = Utf8FromPath(folder / "History");
  profile.bookmarks = Utf8FromPath(folder / "Bookmarks");
  return profile;
}

void AddChromiumRoot(const fs::path& root, const char* browser, ProfileList* list) {
  list->Add(ChromiumProfile(root, browser, ""));
  std::vector<std::string> profiles;
  std::error_code error;
  for (fs::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
    std::string name = Utf8FromPath(it->path().filename());
    if (name == "Guest Profile" || name == "System Profile") continue;
    if (IsRegularFile(it->path() / "History")) {
      profiles.push_back(std::move(name));
    } else {
      list->Checked(it->path() / "History");
    }
  }
  if (error && !IsAbsence(error)) list->Checked(root / ".");
  std::sort(profiles.begin(), profiles.end(), [](const std::string& a, const std::string& b) {
    return ChromiumProfileKey(a) < ChromiumProfileKey(b);
  });
  for (const std::string& name : profiles) {
    list->Add(ChromiumProfile(root / PathFromUtf8(name), browser, name));
  }
}

}  // namespace

std::vector<FirefoxProfileEntry> ParseFirefoxProfiles(std::string_view ini_text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (ini_text.starts_with(kByteOrderMark)) ini_text.remove_prefix(kByteOrderMark.size());

  struct Section {
    bool has_path = false;
    std::string path;
    bool has_relative = false;
    bool relative = false;
    std::string name;
  };
  std::vector<Section> sections;
  bool in_profile = false;
  while (!ini_text.empty()) {
    std::size_t end = ini_text.find('\n');
    std::string_view line = Trim(ini_text.substr(0, end));
    ini_text.remove_prefix(end == std::string_view::npos ? ini_text.size() : end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      std::size_t close = line.find(']');
      in_profile =
          close != std::string_view::npos && IsProfileSection(Trim(line.substr(1, close - 1)));
      if (in_profile) sections.emplace_back();
      continue;
    }
    std::size_t equals = line.find('=');
    if (!in_profile || equals == std::string_view::npos) continue;
    std::string_view key = Trim(line.substr(0, equals));
    std::string_view value = Trim(line.substr(equals + 1));
    Section& section = sections.back();
    if (text::EqualsIgnoringAsciiCase(key, "Path")) {
      section.has_path = true;
      section.path = std::string(value);
    } else if (text::EqualsIgnoringAsciiCase(key, "Name")) {
      section.name = std::string(value);
    } else if (text::EqualsIgnoringAsciiCase(key, "IsRelative")) {
      section.has_relative = true;
      section.relative = value == "1";
    }
  }

  std::vector<FirefoxProfileEntry> profiles;
  for (const Section& section : sections) {
    if (!section.has_path || section.path.empty()) continue;
    FirefoxProfileEntry entry;
    entry.path = section.path;
    entry.name = section.name;
    // Without IsRelative=, "/x", "\\server\x" and "C:\x" are absolute.
    const bool absolute = section.path.front() == '/' || section.path.front() == '\\' ||
                          (section.path.size() > 1 && section.path[1] == ':');
    entry.is_relative = section.has_relative ? section.relative : !absolute;
    profiles.push_back(std::move(entry));
  }
  return profiles;
}

UserFolders LinuxUserFolders(const std::string& home, const char* xdg_config_home) {
  UserFolders folders;
  folders.home = home;
  if (xdg_config_home != nullptr && xdg_config_home[0] == '/') {
    folders.config = xdg_config_home;
  } else if (!home.empty()) {
    folders.config = home + "/.config";
  }
  return folders;
}

UserFolders UserFoldersFromEnvironment(BrowserSystem system,
                                       const std::function<std::string(const char*)>& variable) {
  if (system == BrowserSystem::kWindows) {
    UserFolders folders;
    folders.local_app_data = variable("LOCALAPPDATA");
    folders.app_data = variable("APPDATA");
    return folders;
  }
  const std::string config = variable("XDG_CONFIG_HOME");
  return LinuxUserFolders(variable("HOME"), config.empty() ? nullptr : config.c_str());
}

BrowserSystem SystemOf(Platform& platform) {
  return platform.PathSeparator() == '\\' ? BrowserSystem::kWindows : BrowserSystem::kLinux;
}

UserFolders UserFoldersOf(Platform& platform) {
  return UserFoldersFromEnvironment(SystemOf(platform), [&platform](const char* name) {
    return EnvironmentVariable(platform, name).value_or("");
  });
}

std::vector<BrowserProfile> DiscoverBrowserProfiles(BrowserSystem system,
                                                    const UserFolders& folders,
                                                    const DiscoveryDiagnostic& diagnose) {
  // The root's folder, or an empty path when its base is unknown.
  auto resolve = [&](const Root& root) {
    const std::string* base = nullptr;
    switch (root.base) {
      case Base::kHome:
        base = &folders.home;
        break;
      case Base::kConfig:
        base = &folders.config;
        break;
      case Base::kLocalAppData:
        base = &folders.local_app_data;
        break;
      case Base::kAppData:
        base = &folders.app_data;
        break;
    }
    if (base->empty()) return fs::path();
    fs::path folder = PathFromUtf8(*base) / root.path;
    return folder.make_preferred();
  };
  const bool windows = system == BrowserSystem::kWindows;
  const std::span<const Root> firefox_roots = windows ? std::span<const Root>(kWindowsFirefoxRoots)
                                                      : std::span<const Root>(kLinuxFirefoxRoots);
  const std::span<const Root> chromium_roots = windows
                                                   ? std::span<const Root>(kWindowsChromiumRoots)
                                                   : std::span<const Root>(kLinuxChromiumRoots);
  ProfileList list(diagnose);
  for (const Root& root : firefox_roots) {
    if (fs::path folder = resolve(root); !folder.empty()) {
      AddFirefoxRoot(folder, root.browser, &list);
    }
  }
  for (const Root& root : chromium_roots) {
    if (fs::path folder = resolve(root); !folder.empty()) {
      AddChromiumRoot(folder, root.browser, &list);
    }
  }
  return list.Take();
}

std::vector<BrowserProfile> DiscoverBrowserProfiles(const std::string& home,
                                                    const char* xdg_config_home,
                                                    const DiscoveryDiagnostic& diagnose) {
  return DiscoverBrowserProfiles(BrowserSystem::kLinux, LinuxUserFolders(home, xdg_config_home),
                                 diagnose);
}

std::vector<std::string> DiscoverBrowserHistories(const std::string& home,
                                                  const char* xdg_config_home,
                                                  const DiscoveryDiagnostic& diagnose) {
  std::vector<std::string> histories;
  for (BrowserProfile& profile : DiscoverBrowserProfiles(home, xdg_config_home, diagnose)) {
    histories.push_back(std::move(profile.history));
  }
  return histories;
}

}  // namespace zorvane::browsers
