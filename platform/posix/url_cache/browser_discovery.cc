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
};

// The roots in the order searched.
constexpr Root kFirefoxRoots[] = {
    {Base::kHome, ".mozilla/firefox"},
    {Base::kConfig, "mozilla/firefox"},
    {Base::kHome, "snap/firefox/common/.mozilla/firefox"},
    {Base::kHome, ".var/app/org.mozilla.firefox/.mozilla/firefox"},
    {Base::kHome, ".var/app/org.mozilla.firefox/config/mozilla/firefox"},
    {Base::kHome, ".librewolf"},
    {Base::kHome, ".var/app/io.gitlab.librewolf-community/.librewolf"},
    {Base::kHome, ".waterfox"},
};
constexpr Root kChromiumRoots[] = {
    {Base::kConfig, "google-chrome"},
    {Base::kConfig, "google-chrome-beta"},
    {Base::kConfig, "google-chrome-unstable"},
    {Base::kConfig, "chromium"},
    {Base::kConfig, "BraveSoftware/Brave-Browser"},
    {Base::kConfig, "vivaldi"},
    {Base::kConfig, "microsoft-edge"},
    {Base::kConfig, "microsoft-edge-beta"},
    {Base::kConfig, "microsoft-edge-dev"},
    {Base::kConfig, "opera"},
    {Base::kHome, "snap/chromium/common/chromium"},
    {Base::kHome, ".var/app/org.chromium.Chromium/config/chromium"},
    {Base::kHome, ".var/app/com.google.Chrome/config/google-chrome"},
    {Base::kHome, ".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser"},
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

// Collects `path` unless a path naming the same file was collected before.
class HistoryList final {
 public:
  void Add(const fs::path& path) {
    if (!IsRegularFile(path)) return;
    std::error_code error;
    fs::path identity = fs::canonical(path, error);
    if (error) identity = path.lexically_normal();
    if (!seen_.insert(identity.string()).second) return;
    paths_.push_back(path.string());
  }
  std::vector<std::string> Take() { return std::move(paths_); }

 private:
  std::set<std::string> seen_;
  std::vector<std::string> paths_;
};

// ---- Firefox ------------------------------------------------------------------------------

void AddFirefoxRoot(const fs::path& root, HistoryList* list) {
  std::string ini;
  if (!ReadSmallFile(root / "profiles.ini", &ini)) return;
  for (const FirefoxProfileEntry& profile : ParseFirefoxProfiles(ini)) {
    fs::path folder = profile.is_relative ? root / profile.path : fs::path(profile.path);
    list->Add(folder / "places.sqlite");
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

void AddChromiumRoot(const fs::path& root, HistoryList* list) {
  list->Add(root / "History");
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
  for (const std::string& name : profiles) list->Add(root / name / "History");
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
    entry.is_relative = section.has_relative ? section.relative : section.path.front() != '/';
    profiles.push_back(std::move(entry));
  }
  return profiles;
}

std::vector<std::string> DiscoverBrowserHistories(const std::string& home,
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
  HistoryList list;
  for (const Root& root : kFirefoxRoots) {
    if (fs::path folder = resolve(root); !folder.empty()) AddFirefoxRoot(folder, &list);
  }
  for (const Root& root : kChromiumRoots) {
    if (fs::path folder = resolve(root); !folder.empty()) AddChromiumRoot(folder, &list);
  }
  return list.Take();
}

}  // namespace zorvane
