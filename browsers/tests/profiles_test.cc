#include "browsers/profiles.h"

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browsers/tests/browser_test_util.h"

namespace zorvane::browsers {

void PrintTo(const FirefoxProfileEntry& entry, std::ostream* out) {
  *out << "{\"" << entry.path << "\", " << entry.is_relative << "}";
}

namespace {

namespace fs = std::filesystem;
using testing::RunSql;
using testing::WriteBytes;

TEST(ParseFirefoxProfilesTest, ReadsEveryProfileSection) {
  struct Case {
    const char* name;
    std::string ini;
    std::vector<FirefoxProfileEntry> expected;
  };
  const Case cases[] = {
      {"typical",
       "[Install4F96D1932A9F858E]\nDefault=abc.default-release\nLocked=1\n\n"
       "[Profile1]\nName=default\nIsRelative=1\nPath=xyz.default\n\n"
       "[Profile0]\nName=default-release\nIsRelative=1\nPath=abc.default-release\nDefault=1\n\n"
       "[General]\nStartWithLastProfile=1\nVersion=2\n",
       {{"xyz.default", true, "default"}, {"abc.default-release", true, "default-release"}}},
      {"absolute",
       "[Profile0]\nIsRelative=0\nPath=/data/ff profile\n",
       {{"/data/ff profile", false, ""}}},
      {"byte order mark, CR LF, blanks and comments",
       "\xEF\xBB\xBF; written by hand\r\n[ Profile0 ]\r\n# note\r\n  Path = a.b  \r\n"
       "IsRelative = 1\r\n",
       {{"a.b", true, ""}}},
      {"letter case of names", "[PROFILE3]\npath=p\nisrelative=1\n", {{"p", true, ""}}},
      {"no IsRelative: decided by the path",
       "[Profile0]\nPath=rel\n[Profile1]\nPath=/abs\n",
       {{"rel", true, ""}, {"/abs", false, ""}}},
      {"last value wins",
       "[Profile0]\nPath=old\nPath=new\nIsRelative=0\nIsRelative=1\n",
       {{"new", true, ""}}},
      {"sections that are no profiles",
       "[Profile]\nPath=a\n[ProfileX]\nPath=b\n[BackgroundTasksProfiles]\nPath=c\n"
       "[Profile0\nPath=d\n",
       {}},
      {"profile without a path",
       "[Profile0]\nName=empty\n[Profile1]\nPath=\n[Profile2]\nPath=q\n",
       {{"q", true, ""}}},
      {"keys before any section, no final newline",
       "Path=stray\n[Profile0]\nPath=last",
       {{"last", true, ""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ParseFirefoxProfiles(c.ini), c.expected);
  }
}

class DiscoveryTest : public testing::BrowserScratch {
 protected:
  std::string home() const { return (root() / "home").string(); }
  // Creates a file (content irrelevant to discovery) below the home folder.
  fs::path Touch(const std::string& relative) const {
    fs::path path = root() / "home" / relative;
    WriteBytes(path, "x");
    return path;
  }
  std::string H(const std::string& relative) const { return home() + "/" + relative; }
};

TEST_F(DiscoveryTest, ListsEveryProfileInTheDocumentedOrder) {
  fs::path elsewhere = root() / "elsewhere" / "profile";
  WriteBytes(elsewhere / "places.sqlite", "x");
  WriteBytes(root() / "home/.mozilla/firefox/profiles.ini",
             "[Profile0]\nName=a\nIsRelative=1\nPath=a.default-release\nDefault=1\n"
             "[Profile1]\nName=b\nIsRelative=0\nPath=" +
                 elsewhere.string() +
                 "\n"
                 "[Profile2]\nName=never-started\nIsRelative=1\nPath=c.new\n"
                 "[Profile3]\nName=again\nIsRelative=1\nPath=./a.default-release\n"
                 "[Install1]\nDefault=a.default-release\n");
  Touch(".mozilla/firefox/a.default-release/places.sqlite");
  Touch(".mozilla/firefox/orphan.default/places.sqlite");  // not in profiles.ini
  WriteBytes(root() / "home/.config/mozilla/firefox/profiles.ini", "[Profile0]\nPath=x.y\n");
  Touch(".config/mozilla/firefox/x.y/places.sqlite");
  WriteBytes(root() / "home/snap/firefox/common/.mozilla/firefox/profiles.ini",
             "[Profile0]\nIsRelative=1\nPath=s.default\n");
  Touch("snap/firefox/common/.mozilla/firefox/s.default/places.sqlite");
  WriteBytes(root() / "home/.librewolf/profiles.ini", "[Profile0]\nIsRelative=1\nPath=l\n");
  Touch(".librewolf/l/places.sqlite");

  for (const char* profile : {"Profile 10", "Profile 2", "Default", "Work", "Profile 1",
                              "Guest Profile", "System Profile"}) {
    Touch(std::string(".config/google-chrome/") + profile + "/History");
  }
  fs::create_directories(root() / "home/.config/google-chrome/Profile 3");  // no History
  Touch(".config/google-chrome/Local State");
  Touch(".config/opera/History");
  Touch(".config/chromium/Default/History");
  fs::create_directories(root() / "home/.config/BraveSoftware/Brave-Browser");
  fs::create_directory_symlink(root() / "home/.config/chromium/Default",
                               root() / "home/.config/BraveSoftware/Brave-Browser/Default");
  Touch("snap/chromium/common/chromium/Default/History");
  fs::create_directories(root() / "home/.config/vivaldi/Default");
  fs::create_hard_link(root() / "home/.config/chromium/Default/History",
                       root() / "home/.config/vivaldi/Default/History");

  EXPECT_EQ(DiscoverBrowserHistories(home(), nullptr),
            (std::vector<std::string>{
                H(".mozilla/firefox/a.default-release/places.sqlite"),
                elsewhere.string() + "/places.sqlite",
                H(".config/mozilla/firefox/x.y/places.sqlite"),
                H("snap/firefox/common/.mozilla/firefox/s.default/places.sqlite"),
                H(".librewolf/l/places.sqlite"),
                H(".config/google-chrome/Default/History"),
                H(".config/google-chrome/Profile 1/History"),
                H(".config/google-chrome/Profile 2/History"),
                H(".config/google-chrome/Profile 10/History"),
                H(".config/google-chrome/Work/History"),
                H(".config/chromium/Default/History"),
                H(".config/opera/History"),
                H("snap/chromium/common/chromium/Default/History"),
            }));
}

TEST_F(DiscoveryTest, ConfigFolderFollowsXdgConfigHome) {
  Touch(".config/chromium/Default/History");
  fs::path xdg = root() / "xdg";
  WriteBytes(xdg / "chromium/Default/History", "x");
  WriteBytes(xdg / "mozilla/firefox/profiles.ini", "[Profile0]\nPath=p\n");
  WriteBytes(xdg / "mozilla/firefox/p/places.sqlite", "x");

  struct Case {
    const char* name;
    const char* xdg;
    std::vector<std::string> expected;
  };
  const std::string xdg_text = xdg.string();
  const Case cases[] = {
      {"unset", nullptr, {H(".config/chromium/Default/History")}},
      {"empty", "", {H(".config/chromium/Default/History")}},
      {"relative, so ignored", "xdg", {H(".config/chromium/Default/History")}},
      {"absolute",
       xdg_text.c_str(),
       {xdg_text + "/mozilla/firefox/p/places.sqlite", xdg_text + "/chromium/Default/History"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DiscoverBrowserHistories(home(), c.xdg), c.expected);
  }
  EXPECT_EQ(DiscoverBrowserHistories("", nullptr), std::vector<std::string>{});
}

TEST_F(DiscoveryTest, OddFilesInPlaceOfProfilesAreSkipped) {
  fs::path ini = root() / "home/.mozilla/firefox/profiles.ini";
  fs::create_directories(ini.parent_path());
  ASSERT_EQ(mkfifo(ini.c_str(), 0600), 0);  // would block a plain open
  fs::create_directories(root() / "home/.config/chromium/Default/History");  // a folder
  EXPECT_EQ(DiscoverBrowserHistories(home(), nullptr), std::vector<std::string>{});
}

// A profile folder that cannot be looked into (a folder without permission, or a link
// loop, which stops root too) is named once: its browsing would be missed without a word.
TEST_F(DiscoveryTest, FoldersThatCannotBeReadAreNamed) {
  const fs::path chromium = root() / "home/.config/chromium";
  WriteBytes(chromium / "Default/History", "");
  fs::create_directory_symlink("Profile 1", chromium / "Profile 1");
  std::vector<std::string> lines;
  EXPECT_EQ(DiscoverBrowserHistories(home(), nullptr,
                                     [&](const std::string& line) { lines.push_back(line); }),
            std::vector<std::string>{(chromium / "Default/History").string()});
  EXPECT_EQ(lines,
            std::vector<std::string>{(chromium / "Profile 1").string() + ": cannot be read"});
}

// The Windows roots, as data: Firefox through %APPDATA%, the Chromium family under
// %LOCALAPPDATA%, Opera's single profile in its root under %APPDATA%.
TEST_F(DiscoveryTest, WindowsRootsAreSearchedInTheirOrder) {
  const fs::path local = root() / "Local";
  const fs::path roaming = root() / "Roaming";
  WriteBytes(roaming / "Mozilla/Firefox/profiles.ini",
             "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\n"
             "Path=Profiles/x.default-release\r\n");
  for (const fs::path& history :
       {roaming / "Mozilla/Firefox/Profiles/x.default-release/places.sqlite",
        local / "Google/Chrome/User Data/Profile 1/History",
        local / "Microsoft/Edge/User Data/Default/History",
        local / "Microsoft/Edge/User Data/Guest Profile/History",
        roaming / "Opera Software/Opera Stable/History"}) {
    WriteBytes(history, "");
  }
  UserFolders folders;
  folders.local_app_data = local.string();
  folders.app_data = roaming.string();
  std::vector<std::string> found;
  for (const BrowserProfile& profile : DiscoverBrowserProfiles(BrowserSystem::kWindows, folders)) {
    found.push_back(profile.browser + "|" + profile.name + "|" +
                    fs::path(profile.history).lexically_relative(root()).generic_string());
  }
  EXPECT_EQ(found, (std::vector<std::string>{
                       "Firefox|default-release|Roaming/Mozilla/Firefox/Profiles/"
                       "x.default-release/places.sqlite",
                       "Microsoft Edge|Default|Local/Microsoft/Edge/User Data/Default/History",
                       "Google Chrome|Profile 1|Local/Google/Chrome/User Data/Profile 1/History",
                       "Opera||Roaming/Opera Software/Opera Stable/History",
                   }));
  // The Linux layout finds none of them.
  EXPECT_TRUE(DiscoverBrowserProfiles(BrowserSystem::kLinux, folders).empty());
}

}  // namespace
}  // namespace zorvane::browsers
