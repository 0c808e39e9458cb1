#include "share/internet_shortcut.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "share/tests/fake_folder_platform.h"

namespace zorvane::share {
namespace {

constexpr char kFavorites[] = "/home/u/Favorites";
constexpr char kSubfolder[] = "/home/u/Favorites/お気に入りZorvane";

std::string InSubfolder(const std::string& file_name) {
  return std::string(kSubfolder) + "/" + file_name;
}

class AddToFavoritesTest : public ::testing::Test {
 protected:
  AddToFavoritesTest() : platform_('/') { platform_.folders.insert(kFavorites); }

  AddToFavoritesResult Add(const std::vector<FavoriteShortcut>& shortcuts) {
    return AddToFavorites(platform_, kFavorites, shortcuts);
  }

  FakeFolderPlatform platform_;
};

TEST(InternetShortcutTextTest, ExactBytes) {
  EXPECT_EQ(InternetShortcutText("http://zorvane.example/"),
            "[InternetShortcut]\r\nURL=http://zorvane.example/\r\n");
  EXPECT_EQ(InternetShortcutText(""), "[InternetShortcut]\r\nURL=\r\n");
  EXPECT_EQ(InternetShortcutText("http://例え.example/天気?a=1&b=%20"),
            "[InternetShortcut]\r\nURL=http://例え.example/天気?a=1&b=%20\r\n");
}

TEST_F(AddToFavoritesTest, CreatesTheSubfolderAndOneFilePerRow) {
  EXPECT_EQ(Add({{"天気", "http://tenki.example/"}, {"News", "http://news.example/"}}),
            AddToFavoritesResult::kAdded);
  EXPECT_EQ(platform_.folders.count(kSubfolder), 1u);
  ASSERT_EQ(platform_.files.size(), 2u);
  EXPECT_EQ(platform_.files[InSubfolder("天気.url")],
            "[InternetShortcut]\r\nURL=http://tenki.example/\r\n");
  EXPECT_EQ(platform_.files[InSubfolder("News.url")],
            "[InternetShortcut]\r\nURL=http://news.example/\r\n");
  EXPECT_EQ(platform_.write_attempts,
            (std::vector<std::string>{InSubfolder("天気.url"), InSubfolder("News.url")}));
}

TEST_F(AddToFavoritesTest, EmptyListStillCreatesTheSubfolder) {
  EXPECT_EQ(Add({}), AddToFavoritesResult::kAdded);
  EXPECT_EQ(platform_.folders.count(kSubfolder), 1u);
  EXPECT_TRUE(platform_.files.empty());
}

TEST_F(AddToFavoritesTest, ExistingSubfolderIsUsedAsItIs) {
  platform_.folders.insert(kSubfolder);
  platform_.files[InSubfolder("Old.url")] = "old";
  EXPECT_EQ(Add({{"New", "http://new.example/"}}), AddToFavoritesResult::kAdded);
  EXPECT_EQ(platform_.create_directory_calls, 0);
  EXPECT_EQ(platform_.files[InSubfolder("Old.url")], "old");
  EXPECT_EQ(platform_.files.size(), 2u);
}

TEST_F(AddToFavoritesTest, SecondRunLeavesTheSameFiles) {
  const std::vector<FavoriteShortcut> rows = {{"A", "http://a.example/"},
                                              {"B", "http://b.example/"}};
  ASSERT_EQ(Add(rows), AddToFavoritesResult::kAdded);
  const auto first = platform_.files;
  EXPECT_EQ(Add(rows), AddToFavoritesResult::kAdded);
  EXPECT_EQ(platform_.files, first);
}

TEST_F(AddToFavoritesTest, SameTitleLeavesOneFileWithTheLaterAddress) {
  EXPECT_EQ(Add({{"Same", "http://first.example/"}, {"Same", "http://second.example/"}}),
            AddToFavoritesResult::kAdded);
  ASSERT_EQ(platform_.files.size(), 1u);
  EXPECT_EQ(platform_.files[InSubfolder("Same.url")],
            "[InternetShortcut]\r\nURL=http://second.example/\r\n");
}

TEST_F(AddToFavoritesTest, EmptyFavoritesPathTouchesNothing) {
  EXPECT_EQ(AddToFavorites(platform_, "", std::vector<FavoriteShortcut>{{"A", "http://a/"}}),
            AddToFavoritesResult::kNoFavoritesFolder);
  EXPECT_EQ(platform_.create_directory_calls, 0);
  EXPECT_TRUE(platform_.write_attempts.empty());
}

TEST_F(AddToFavoritesTest, PlainFileInPlaceOfTheSubfolderFails) {
  platform_.files[kSubfolder] = "not a folder";
  EXPECT_EQ(Add({{"A", "http://a.example/"}}), AddToFavoritesResult::kFailed);
  EXPECT_TRUE(platform_.write_attempts.empty());
  EXPECT_EQ(platform_.files.size(), 1u);
}

TEST_F(AddToFavoritesTest, MissingFavoritesFolderFails) {
  platform_.folders.clear();
  EXPECT_EQ(Add({{"A", "http://a.example/"}}), AddToFavoritesResult::kFailed);
  EXPECT_TRUE(platform_.files.empty());
}

TEST_F(AddToFavoritesTest, OneUnwritableFileFailsButTheOthersAreWritten) {
  platform_.unwritable.insert(InSubfolder("B.url"));
  EXPECT_EQ(Add({{"A", "http://a/"}, {"B", "http://b/"}, {"C", "http://c/"}}),
            AddToFavoritesResult::kFailed);
  EXPECT_EQ(platform_.files.count(InSubfolder("A.url")), 1u);
  EXPECT_EQ(platform_.files.count(InSubfolder("B.url")), 0u);
  EXPECT_EQ(platform_.files.count(InSubfolder("C.url")), 1u);
}

TEST_F(AddToFavoritesTest, FolderOfTheTitlesNameFails) {
  platform_.folders.insert(kSubfolder);
  platform_.folders.insert(InSubfolder("A.url"));
  EXPECT_EQ(Add({{"A", "http://a/"}}), AddToFavoritesResult::kFailed);
}

TEST_F(AddToFavoritesTest, HostileTitlesStayInsideTheSubfolder) {
  const std::vector<FavoriteShortcut> rows = {
      {"../x", "http://1/"}, {"a/b", "http://2/"},         {"..", "http://3/"},
      {"", "http://4/"},     {"/etc/passwd", "http://5/"},
  };
  EXPECT_EQ(Add(rows), AddToFavoritesResult::kAdded);
  const std::string prefix = std::string(kSubfolder) + "/";
  for (const std::string& path : platform_.write_attempts) {
    SCOPED_TRACE(path);
    ASSERT_EQ(path.compare(0, prefix.size(), prefix), 0);
    EXPECT_EQ(path.find('/', prefix.size()), std::string::npos);
  }
  EXPECT_EQ(platform_.files.size(), rows.size());
  EXPECT_EQ(platform_.files[InSubfolder(".._x.url")], "[InternetShortcut]\r\nURL=http://1/\r\n");
}

TEST(AddToFavoritesWindowsTest, UsesTheWindowsSeparatorAndNameRule) {
  FakeFolderPlatform platform('\\');
  platform.folders.insert("C:\\Users\\u\\Favorites");
  const std::vector<FavoriteShortcut> rows = {{"Q&A: どう?", "http://q.example/"},
                                              {"con", "http://c.example/"},
                                              {"..\\..\\boot", "http://b.example/"}};
  EXPECT_EQ(AddToFavorites(platform, "C:\\Users\\u\\Favorites", rows),
            AddToFavoritesResult::kAdded);
  const std::string folder = "C:\\Users\\u\\Favorites\\お気に入りZorvane";
  EXPECT_EQ(platform.folders.count(folder), 1u);
  EXPECT_EQ(platform.write_attempts,
            (std::vector<std::string>{folder + "\\Q&A_ どう_.url", folder + "\\_con.url",
                                      folder + "\\.._.._boot.url"}));
}

TEST(AddToFavoritesWindowsTest, NamesAreMadeSafeInTheirAnsiForm) {
  FakeFolderPlatform platform('\\');
  platform.folders.insert("C:\\Fav");
  // As code page 932 does: the yen sign falls onto the backslash, a snowman onto "?".
  platform.to_ansi = [](std::string_view utf8) {
    std::string ansi(utf8);
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"¥", "\\"},
                                   std::pair<std::string, std::string>{"☃", "?"}}) {
      for (std::size_t at = ansi.find(from); at != std::string::npos; at = ansi.find(from)) {
        ansi.replace(at, from.size(), to);
      }
    }
    return ansi;
  };
  const std::vector<FavoriteShortcut> rows = {{"..¥..¥boot", "http://b/"}, {"雪☃", "http://s/"}};
  EXPECT_EQ(AddToFavorites(platform, "C:\\Fav", rows), AddToFavoritesResult::kAdded);
  const std::string folder = "C:\\Fav\\お気に入りZorvane\\";
  EXPECT_EQ(platform.write_attempts,
            (std::vector<std::string>{folder + ".._.._boot.url", folder + "雪_.url"}));
}

TEST_F(AddToFavoritesTest, ContentIsConvertedToTheAnsiCodePage) {
  platform_.to_ansi = [](std::string_view utf8) { return "ANSI(" + std::string(utf8) + ")"; };
  EXPECT_EQ(Add({{"天気", "http://天気.example/"}}), AddToFavoritesResult::kAdded);
  EXPECT_EQ(platform_.files[InSubfolder("天気.url")],
            "ANSI([InternetShortcut]\r\nURL=http://天気.example/\r\n)");
}

}  // namespace
}  // namespace zorvane::share
