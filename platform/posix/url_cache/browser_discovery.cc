#include "platform/posix/url_cache/browser_discovery.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace zorvane {
namespace {

namespace fs = std::filesystem;

// Where a browser root lies: below the home folder or below the configuration folder.
enum class Base { kHome, kConfig };

struct Root {
  Base base;
  const char* path;
  const char* browser;  // the name the user knows the browser by
};

// The roots in the order searched.
constexpr Root kFirefoxRoots[] = {
    {Base::kHome, ".mozilla/firefox", "Firefox"},
    {Base::kConfig, "mozilla/firefox", "Firefox"},
    {Base::kHome, "snap/firefox/common/.mozilla/firefox", "Firefox"},
    {Base::kHome, ".var/app/org.mozilla.firefox/.mozilla/firefox", "Firefox"},
    {Base::kHome, ".var/app/org.mozilla.firefox/config/mozilla/firefox", "Firefox"},
    {Base::kHome, ".librewolf", "LibreWolf"},
    {Base::kHome, ".var/app/io.gitlab.librewolf-community/.librewolf", "LibreWolf"},
    {Base::kHome, ".waterfox", "Waterfox"},
};
constexpr Root kChromiumRoots[] = {
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

// A profiles.ini larger than this is not one.
constexpr std::uintmax_t kMaxProfilesIniSize = 1 << 20;

// ---- Text helpers -------------------------------------------------------------------------

std::string_view Trim(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r";
  std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "Profile" followed by a number, in any letter case.
bool IsProfileSection(std::string_view name) {
  constexpr std::string_view kPrefix = "Profile";
  return name.size() > kPrefix.size() &&
         EqualsIgnoringCase(name.substr(0, kPrefix.size()), kPrefix) &&
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

// Collects profiles whose history exists, unless a profile with the same history file
// was collected before.
class ProfileList final {
 public:
  void Add(BrowserProfile profile) {
    const fs::path history(profile.history);
    if (!IsRegularFile(history)) return;
    std::error_code error;
    fs::path identity = fs::canonical(history, error);
    if (error) identity = history.lexically_normal();
    if (!seen_.insert(identity.string()).second) return;
    profiles_.push_back(std::move(profile));
  }
  std::vector<BrowserProfile> Take() { return std::move(profiles_); }

 private:
  std::set<std::string> seen_;
  std::vector<BrowserProfile> profiles_;
};

// ---- Firefox ------------------------------------------------------------------------------

void AddFirefoxRoot(const fs::path& root, const char* browser, ProfileList* list) {
  std::string ini;
  if (!ReadSmallFile(root / "profiles.ini", &ini)) return;
  for (const FirefoxProfileEntry& entry : ParseFirefoxProfiles(ini)) {
    fs::path folder = entry.is_relative ? root / entry.path : fs::path(entry.path);
    BrowserProfile profile;
    profile.family = BrowserFamily::kFirefox;
    profile.browser = browser;
    profile.name = entry.name.empty() ? folder.filename().string() : entry.name;
    profile.folder = folder.string();
    profile.history = (folder / "places.sqlite").string();
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
  profile.folder = folder.string();
  profile.history = (folder / "History").string();
  profile.bookmarks = (folder / "Bookmarks").string();
  return profile;
}

void AddChromiumRoot(const fs::path& root, const char* browser, ProfileList* list) {
  list->Add(ChromiumProfile(root, browser, ""));
  std::vector<std::string> profiles;
  std::error_code error;
  for (fs::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name == "Guest Profile" || name == "System Profile") continue;
    if (IsRegularFile(it->path() / "History")) profiles.push_back(std::move(name));
  }
  std::sort(profiles.begin(), profiles.end(), [](const std::string& a, const std::string& b) {
    return ChromiumProfileKey(a) < ChromiumProfileKey(b);
  });
  for (const std::string& name : profiles) list->Add(ChromiumProfile(root / name, browser, name));
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
    if (EqualsIgnoringCase(key, "Path")) {
      section.has_path = true;
      section.path = std::string(value);
    } else if (EqualsIgnoringCase(key, "Name")) {
      section.name = std::string(value);
    } else if (EqualsIgnoringCase(key, "IsRelative")) {
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
    entry.is_relative = section.has_relative ? section.relative : section.path.front() != '/';
    profiles.push_back(std::move(entry));
  }
  return profiles;
}

std::vector<BrowserProfile> DiscoverBrowserProfiles(const std::string& home,
                                                    const char* xdg_config_home) {
  const fs::path home_path(home);
  fs::path config;
  if (xdg_config_home != nullptr && xdg_config_home[0] == '/') {
    config = xdg_config_home;
  } else if (!home.empty()) {
    config = home_path / ".config";
  }

  // The root's folder, or an empty path when its base is unknown.
  auto resolve = [&](const Root& root) {
    const fs::path& base = root.base == Base::kHome ? home_path : config;
    return base.empty() ? fs::path() : base / root.path;
  };
  ProfileList list;
  for (const Root& root : kFirefoxRoots) {
    if (fs::path folder = resolve(root); !folder.empty()) {
      AddFirefoxRoot(folder, root.browser, &list);
    }
  }
  for (const Root& root : kChromiumRoots) {
    if (fs::path folder = resolve(root); !folder.empty()) {
      AddChromiumRoot(folder, root.browser, &list);
    }
  }
  return list.Take();
}

std::vector<std::string> DiscoverBrowserHistories(const std::string& home,
                                                  const char* xdg_config_home) {
  std::vector<std::string> histories;
  for (BrowserProfile& profile : DiscoverBrowserProfiles(home, xdg_config_home)) {
    histories.push_back(std::move(profile.history));
  }
  return histories;
}

}  // namespace zorvane
