// Without ZORVANE_URL_CACHE the ranking reads the browser profiles of the user's home.
// Here a fresh home holds the Firefox and Chromium profiles that the real browsers wrote
// (tests/data/browsers): their bookmarks are imported, catalogued and ranked by their
// views summed over both browsers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/driver.h"
#include "tests/support/test_support.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;
using testing::TempDir;

fs::path BrowserData() { return fs::path(std::getenv("ZORVANE_TEST_DATA")) / "browsers"; }

struct Result {
  int status;
  std::string out, err;
};

class BrowserRankingTest : public ::testing::Test {
 protected:
  BrowserRankingTest()
      : home_env_("HOME", home_.str()),
        config_env_("XDG_CONFIG_HOME", (home_.path() / ".config").string()),
        no_cache_("ZORVANE_URL_CACHE"),
        registry_("ZORVANE_REGISTRY", (home_.path() / "registry.reg").string()) {
    fs::copy(BrowserData() / "firefox/home/.mozilla", home_.path() / ".mozilla",
             fs::copy_options::recursive);
    fs::create_directories(home_.path() / ".config/chromium/Default");
    for (const char* file : {"History", "Bookmarks"}) {
      fs::copy(BrowserData() / "chromium" / file, home_.path() / ".config/chromium/Default");
    }
    fs::create_directories(home_.path() / "program");
  }

  Result Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--program-dir", (home_.path() / "program").string()});
    std::unique_ptr<Platform> platform = CreateDefaultPlatform();
    std::ostringstream out, err;
    const int status = RunCli(args, *platform, {out, err, false});
    return {status, out.str(), err.str()};
  }

  TempDir home_;
  ScopedEnv home_env_;
  ScopedEnv config_env_;
  ScopedEnv no_cache_;
  ScopedEnv registry_;
};

TEST_F(BrowserRankingTest, RanksBookmarksByViewsSummedOverBothBrowsers) {
  // Without a store of its own the Favorites folder is ~/Favorites; a file of the user's
  // own there survives every import.
  home_.Write("Favorites/mine.txt", "keep");
  const Result first = Run({"import-bookmarks", "build", "rank"});
  EXPECT_EQ(first.status, kExitOk) << first.err;
  // 13 pages from Firefox (4 of them its default bookmarks), 9 from Chromium; the two
  // bookmarklets and Firefox's place: query are no pages. /go and /moved only redirected.
  EXPECT_EQ(first.out,
            "22個のブックマークを取り込みました（ページ以外の3個は除外）\n"
            "終了しました\n"
            "10個のファイルを検出\n"
            "3\tAlpha page\t20.0%\thttp://127.0.0.1:48613/a\t6\n"
            "3\t日本語のブックマーク\t13.3%\thttp://127.0.0.1:48613/"
            "%E6%97%A5%E6%9C%AC%E8%AA%9E/%E3%83%9A%E3%83%BC%E3%82%B8\t4\n"
            "2\tBravo page\t13.3%\thttp://127.0.0.1:48613/b\t4\n"
            "1\tDocs (2)\t6.7%\thttp://127.0.0.1:48613/b#part\t2\n"
            "1\tMeta refresh source\t6.7%\thttp://127.0.0.1:48613/refresh\t2\n"
            "1\tDocs\t6.7%\thttp://127.0.0.1:48613/c?x=1&y=2\t2\n");
  EXPECT_EQ(first.err, "");
  const fs::path chromium = home_.path() / "Favorites/Chromium (Default)";
  EXPECT_EQ(home_.Read("Favorites/Chromium (Default)/ブックマーク バー/Work/Nested/"
                       "日本語のブックマーク.url"),
            "[InternetShortcut]\r\nURL=http://127.0.0.1:48613/"
            "%E6%97%A5%E6%9C%AC%E8%AA%9E/%E3%83%9A%E3%83%BC%E3%82%B8\r\n");
  EXPECT_TRUE(fs::is_regular_file(home_.path() / "Favorites/Firefox (default-esr)/"
                                                 "ブックマークツールバー/Alpha page.url"));

  // Bookmarks deleted in the browser disappear at the next catalogue build, which imports
  // afresh into a Favorites folder that holds mirrors; the user's file stays.
  home_.Write(".config/chromium/Default/Bookmarks",
              R"({"roots": {"bookmark_bar": {"type": "folder", "children": [)"
              R"({"type": "url", "name": "Alpha page", "url": "http://127.0.0.1:48613/a"}]}}})");
  const Result second = Run({"build", "rank", "--format", "json"});
  EXPECT_EQ(second.status, kExitOk) << second.err;
  std::vector<std::string> left;
  for (const auto& entry : fs::recursive_directory_iterator(chromium)) {
    left.push_back(fs::relative(entry.path(), chromium).string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{".zorvane-import", "ブックマーク バー",
                                            "ブックマーク バー/Alpha page.url"}));
  EXPECT_EQ(home_.Read("Favorites/mine.txt"), "keep");
  // With a table for another program, stdout holds the table alone.
  EXPECT_TRUE(second.out.starts_with("[\n  {\n    \"rank\": 1,")) << second.out;
  EXPECT_EQ(second.err, "終了しました\n10個のファイルを検出\n");
}

// A home that holds only browser profiles: the first build makes Zorvane's own Favorites
// folder, imports the bookmarks into it and ranks them; nothing is made in the home's top
// level. A folder of shortcuts of the user's own, named in the store, gets no mirrors.
TEST_F(BrowserRankingTest, AFreshHomeRanksOnTheFirstBuild) {
  const auto top_level = [&] {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(home_.path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = top_level();
  const Result first = Run({"build", "rank"});
  EXPECT_EQ(first.status, kExitOk) << first.err;
  EXPECT_TRUE(
      first.out.starts_with("終了しました\n10個のファイルを検出\n"
                            "3\tAlpha page\t20.0%\thttp://127.0.0.1:48613/a\t6\n"))
      << first.out;
  EXPECT_TRUE(fs::is_directory(home_.path() / ".local/share/zorvane/Favorites/Chromium (Default)"));
  std::vector<std::string> after = top_level();
  after.erase(std::remove(after.begin(), after.end(), ".local"), after.end());
  EXPECT_EQ(after, before);

  home_.Write("Mine/site.url", testing::ShortcutBytes("http://127.0.0.1:48613/a"));
  home_.Write("registry.reg", testing::RegistryStoreNaming((home_.path() / "Mine").string()));
  const Result own = Run({"build", "rank"});
  EXPECT_EQ(own.out,
            "終了しました\n10個のファイルを検出\n"
            "3\tsite\t20.0%\thttp://127.0.0.1:48613/a\t6\n");
  EXPECT_EQ(std::vector<std::string>{"site.url"}, [&] {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(home_.path() / "Mine")) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }());
}

TEST_F(BrowserRankingTest, NamedSourcesThatCannotBeReadAreNamedOnStderr) {
  home_.Write("not-bookmarks.txt", "plain text");
  const std::string missing = (home_.path() / "missing").string();
  const std::string text = (home_.path() / "not-bookmarks.txt").string();
  const Result none = Run({"import-bookmarks", "--from", missing, "--from", text});
  EXPECT_EQ(none.status, kExitFailure);
  EXPECT_EQ(none.out, "ブックマークの取り込みに失敗\n");
  EXPECT_EQ(none.err, "zorvane-cli: " + missing + ": not found\nzorvane-cli: " + text +
                          ": not a kind of file Zorvane reads\n");

  // One source that can be read is enough: the message counts the others, and a
  // profile's own file named by hand gets the folder the profile search gives it.
  const std::string places =
      (home_.path() / ".mozilla/firefox/zorvtest.default-esr/places.sqlite").string();
  const Result some = Run({"import-bookmarks", "--from", missing, "--from", places});
  EXPECT_EQ(some.status, kExitOk);
  EXPECT_EQ(some.out,
            "13個のブックマークを取り込みました（ページ以外の2個は除外）"
            "（1個の取り込み元を読めませんでした）\n");
  EXPECT_EQ(some.err, "zorvane-cli: " + missing + ": not found\n");
  // Without ~/Favorites they go to Zorvane's own folder; nothing is made in the home.
  EXPECT_TRUE(
      fs::is_directory(home_.path() / ".local/share/zorvane/Favorites/Firefox (default-esr)"));
  EXPECT_FALSE(fs::exists(home_.path() / "Favorites"));

  // A bookmarks HTML file is named after itself.
  const Result html =
      Run({"import-bookmarks", "--from", (BrowserData() / "firefox/bookmarks.html").string(),
           "--into", (home_.path() / "Elsewhere").string()});
  EXPECT_EQ(html.status, kExitOk) << html.err;
  EXPECT_TRUE(fs::is_directory(home_.path() / "Elsewhere/bookmarks"));

  // Without browsers and without --from there is nothing to import.
  fs::remove_all(home_.path() / ".mozilla");
  fs::remove_all(home_.path() / ".config");
  const Result empty = Run({"import-bookmarks"});
  EXPECT_EQ(empty.status, kExitFailure);
  EXPECT_EQ(empty.out, "ブラウザのブックマークが見つかりません\n");
}

}  // namespace
}  // namespace zorvane
