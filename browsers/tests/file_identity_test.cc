// Files told apart by their identity, and the histories read once by it. Built for both
// systems: under Wine the identity is the volume serial number and file index.
#include "browsers/file_identity.h"

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

#include "browsers/history.h"
#include "browsers/tests/scratch_folder.h"
#include "browsers/utf8_path.h"

namespace zorvane::browsers {
namespace {

namespace fs = std::filesystem;

using testing::ScratchFolder;

// Windows' libstdc++ makes no symbolic links; the rows that need one are left out there.
bool MakeSymlink(const std::string& target, const std::string& link, bool folder) {
  std::error_code error;
  if (folder) {
    fs::create_directory_symlink(PathFromUtf8(target), PathFromUtf8(link), error);
  } else {
    fs::create_symlink(PathFromUtf8(target), PathFromUtf8(link), error);
  }
  return !error;
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream(PathFromUtf8(path), std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(SameFileTest, KnowsAFileByEveryNameItHas) {
  ScratchFolder dir;
  fs::create_directory(PathFromUtf8(dir / "dir"));
  WriteFile(dir / "dir/a", "same bytes");
  WriteFile(dir / "dir/b", "same bytes");
  fs::create_hard_link(PathFromUtf8(dir / "dir/a"), PathFromUtf8(dir / "hard"));
  const bool symlinks = MakeSymlink(dir / "dir/a", dir / "soft", false) &&
                        MakeSymlink(dir / "dir", dir / "linked", true);

  struct Case {
    const char* what;
    const char* a;
    const char* b;
    bool same;
    bool needs_symlinks;
  };
  const Case cases[] = {
      {"one path", "dir/a", "dir/a", true, false},
      {"another spelling", "dir/a", "dir/./a", true, false},
      {"a hard link", "dir/a", "hard", true, false},
      {"a symbolic link", "soft", "dir/a", true, true},
      {"a link to its folder", "dir/a", "linked/a", true, true},
      {"a hard and a symbolic link", "hard", "soft", true, true},
      {"another file with the same bytes", "dir/a", "dir/b", false, false},
      {"a file and a missing one", "dir/a", "gone", false, false},
      {"a missing file by its normal path", "gone", "dir/../gone", true, false},
      {"two missing files", "gone", "dir/gone", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.needs_symlinks && !symlinks) continue;
    EXPECT_EQ(SameFile(dir / c.a, dir / c.b), c.same);
    EXPECT_EQ(SameFile(dir / c.b, dir / c.a), c.same);
  }
}

TEST(SeenFilesTest, RecordsEachFileOnceUnderItsFirstName) {
  ScratchFolder dir;
  WriteFile(dir / "a", "a");
  WriteFile(dir / "b", "b");
  fs::create_hard_link(PathFromUtf8(dir / "a"), PathFromUtf8(dir / "hard"));

  SeenFiles seen;
  EXPECT_FALSE(seen.Contains(dir / "a"));
  EXPECT_TRUE(seen.Insert(dir / "hard"));
  EXPECT_TRUE(seen.Contains(dir / "a"));
  EXPECT_FALSE(seen.Insert(dir / "a"));
  EXPECT_FALSE(seen.Contains(dir / "b"));  // asking records nothing
  EXPECT_TRUE(seen.Insert(dir / "b"));
  EXPECT_TRUE(seen.Insert(dir / "gone"));
  EXPECT_FALSE(seen.Insert(dir / "x/../gone"));
}

// A database named directly, through a hard link and through a symbolic link is one
// history: its views count once. A copy of it is another history and counts again.
TEST(ReadHistoriesTest, ReadsADatabaseNamedSeveralWaysOnce) {
  ScratchFolder dir;
  const std::string history = dir / "History";
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(history.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db,
                         "CREATE TABLE urls(id INTEGER PRIMARY KEY, url LONGVARCHAR,"
                         " visit_count INTEGER, hidden INTEGER DEFAULT 0);"
                         "INSERT INTO urls (url, visit_count) VALUES ('http://a/', 3);",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_close(db), SQLITE_OK);
  fs::copy_file(PathFromUtf8(history), PathFromUtf8(dir / "copy"));
  fs::create_hard_link(PathFromUtf8(history), PathFromUtf8(dir / "hard"));
  std::vector<std::string> paths = {history, dir / "hard", dir / "copy", history};
  if (MakeSymlink(history, dir / "soft", false)) paths.push_back(dir / "soft");

  MergedHistory merged;
  std::vector<std::string> reported;
  ReadHistories(
      paths, [&](const std::string& path, SourceStatus) { reported.push_back(path); }, &merged);
  EXPECT_TRUE(reported.empty());
  ASSERT_EQ(merged.size(), 1u);
  EXPECT_EQ(merged.address(0), "http://a/");
  EXPECT_EQ(merged.hits(0), std::uint32_t{6});
}

}  // namespace
}  // namespace zorvane::browsers
