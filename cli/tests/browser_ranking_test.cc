// Without ZORVANE_URL_CACHE the ranking reads the browser profiles of the user's home:
// a Firefox and a Chromium profile together rank the favourites over both.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "cli/driver.h"
#include "tests/support/test_support.h"

namespace zorvane {
namespace {

using testing::ScopedEnv;
using testing::ShortcutBytes;
using testing::TempDir;

void RunSql(const std::filesystem::path& path, const std::string& sql) {
  std::filesystem::create_directories(path.parent_path());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* message = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK)
      << (message != nullptr ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

TEST(BrowserRankingTest, RanksOverFirefoxAndChromiumProfilesFoundInTheHome) {
  TempDir home;
  ScopedEnv home_env("HOME", home.str());
  ScopedEnv config_env("XDG_CONFIG_HOME", (home.path() / ".config").string());
  ScopedEnv no_cache("ZORVANE_URL_CACHE");
  ScopedEnv registry("ZORVANE_REGISTRY", (home.path() / "registry.reg").string());
  // Without a store of its own the Favorites folder is ~/Favorites.
  home.Write("Favorites/a.url", ShortcutBytes("http://ff.example/"));
  home.Write("Favorites/b.url", ShortcutBytes("http://cr.example/"));
  home.Write("Favorites/c.url", ShortcutBytes("http://both.example/"));

  home.Write(".mozilla/firefox/profiles.ini",
             "[General]\nStartWithLastProfile=1\n\n"
             "[Profile0]\nName=default\nIsRelative=1\nPath=abcd.default\nDefault=1\n");
  RunSql(home.path() / ".mozilla/firefox/abcd.default/places.sqlite",
         "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR,"
         " rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT "
         "NULL, typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL,"
         " last_visit_date INTEGER, guid TEXT);"
         "INSERT INTO moz_places (url, visit_count) VALUES ('http://ff.example/', 7),"
         " ('http://both.example/', 3), ('http://other.example/', 5);");
  RunSql(home.path() / ".config/chromium/Default/History",
         "CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT,url LONGVARCHAR,title "
         "LONGVARCHAR, visit_count INTEGER DEFAULT 0 NOT NULL,typed_count INTEGER DEFAULT 0 "
         "NOT NULL, last_visit_time INTEGER NOT NULL,hidden INTEGER DEFAULT 0 NOT NULL);"
         "INSERT INTO urls (url, visit_count, last_visit_time) VALUES"
         " ('http://cr.example/', 4, 0), ('http://both.example/', 2, 0);");

  std::filesystem::create_directories(home.path() / "program");
  std::unique_ptr<Platform> platform = CreateDefaultPlatform();
  std::ostringstream out, err;
  const int status = RunCli({"--program-dir", (home.path() / "program").string(), "build", "rank"},
                            *platform, {out, err, false});
  EXPECT_EQ(status, kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "終了しました\n"
            "5個のファイルを検出\n"
            "3\ta\t33.3%\thttp://ff.example/\t7\n"
            "3\tb\t19.0%\thttp://cr.example/\t4\n"
            "2\tc\t14.3%\thttp://both.example/\t3\n"
            "1\tc\t9.5%\thttp://both.example/\t2\n");
}

}  // namespace
}  // namespace zorvane
