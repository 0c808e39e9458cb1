#include "share/internet_shortcut.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/memory/memory_platform.h"

namespace zorvane::share {
namespace {

constexpr char kFavorites[] = "/home/u/Favorites";
constexpr char kSubfolder[] = "/home/u/Favorites/お気に入りZorvane";

std::string InSubfolder(const std::string& file_name) {
  return std::string(kSubfolder) + "/" + file_name;
}

class AddToFavoritesTest : public ::testing::Test {
 protected:
  AddToFavoritesTest() { platform_.AddFolder(kFavorites); }

  // The files of the subfolder, by name, with their bytes.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const std::string& path : platform_.ListTree(kSubfolder)) {
      if (const auto bytes = platform_.FileBytes(path))
        files[path.substr(sizeof kSubfolder)] = *bytes;
    }
    return files;
  }

  AddToFavoritesResult Add(const std::vector<FavoriteShortcut>& shortcuts) {
    return AddToFavorites(platform_, kFavorites, shortcuts);
  }

  MemoryPlatform platform_;
};

TEST_F(AddToFavoritesTest, CreatesTheSubfolderAndOneFilePerRow) {
  EXPECT_EQ(Add({{"天気", "http://tenki.example/"}, {"News", "http://news.example/"}}),
            AddToFavoritesResult::kAdded);
  EXPECT_EQ(platform_.GetFileAttributes(kSubfolder), kFileAttributeDirectory);
  EXPECT_EQ(Files(), (std::map<std::string, std::string>{
                         {"News.url", "[InternetShortcut]\r\nURL=http://news.example/\r\n"},
                         {"天気.url", "[InternetShortcut]\r\nURL=http://tenki.example/\r\n"}}));
}

TEST_F(AddToFavoritesTest, EmptyListStillCreatesTheSubfolder) {
  EXPECT_EQ(Add({}), AddToFavoritesResult::kAdded);
  EXPECT_EQ(platform_.GetFileAttributes(kSubfolder), kFileAttributeDirectory);
  EXPECT_TRUE(Files().empty());
}

TEST_F(AddToFavoritesTest, ExistingSubfolderIsUsedAsItIs) {
  platform_.AddFile(InSubfolder("Old.url"), "old");
  EXPECT_EQ(Add({{"New", "http://new.example/"}}), AddToFavoritesResult::kAdded);
  EXPECT_EQ(Files(), (std::map<std::string, std::string>{
                         {"New.url", "[InternetShortcut]\r\nURL=http://new.example/\r\n"},
                         {"Old.url", "old"}}));
}

TEST_F(AddToFavoritesTest, SecondRunLeavesTheSameFiles) {
  const std::vector<FavoriteShortcut> rows = {{"A", "http://a.example/"},
                                              {"B", "http://b.example/"}};
  ASSERT_EQ(Add(rows), AddToFavoritesResult::kAdded);
  const auto first = Files();
  EXPECT_EQ(Add(rows), AddToFavoritesResult::kAdded);
  EXPECT_EQ(Files(), first);
}

TEST_F(AddToFavoritesTest, SameTitleLeavesOneFileWithTheLaterAddress) {
  EXPECT_EQ(Add({{"Same", "http://first.example/"}, {"Same", "http://second.example/"}}),
            AddToFavoritesResult::kAdded);
  EXPECT_EQ(Files(), (std::map<std::string, std::string>{
                         {"Same.url", "[InternetShortcut]\r\nURL=http://second.example/\r\n"}}));
}

TEST_F(AddToFavoritesTest, FailuresTouchNothingElse) {
  const std::vector<std::string> before = platform_.ListTree();
  EXPECT_EQ(AddToFavorites(platform_, "", std::vector<FavoriteShortcut>{{"A", "http://a/"}}),
            AddToFavoritesResult::kNoFavoritesFolder);
  EXPECT_EQ(platform_.ListTree(), before);

  platform_.AddFile(kSubfolder, "not a folder");  // a plain file where the subfolder goes
  EXPECT_EQ(Add({{"A", "http://a.example/"}}), AddToFavoritesResult::kFailed);
  EXPECT_EQ(platform_.FileBytes(kSubfolder), "not a folder");

  MemoryPlatform without_favorites;
  EXPECT_EQ(AddToFavorites(without_favorites, kFavorites,
                           std::vector<FavoriteShortcut>{{"A", "http://a.example/"}}),
            AddToFavoritesResult::kFailed);
  EXPECT_TRUE(without_favorites.ListTree().empty());
}

TEST_F(AddToFavoritesTest, OneUnwritableFileFailsButTheOthersAreWritten) {
  platform_.AddFile(InSubfolder("B.url"), "kept", kFileAttributeReadOnly);
  platform_.AddFolder(InSubfolder("D.url"));  // a folder of the title's name
  EXPECT_EQ(Add({{"A", "http://a/"}, {"B", "http://b/"}, {"C", "http://c/"}, {"D", "http://d/"}}),
            AddToFavoritesResult::kFailed);
  EXPECT_EQ(Files(), (std::map<std::string, std::string>{
                         {"A.url", "[InternetShortcut]\r\nURL=http://a/\r\n"},
                         {"B.url", "kept"},
                         {"C.url", "[InternetShortcut]\r\nURL=http://c/\r\n"}}));
}

TEST_F(AddToFavoritesTest, HostileTitlesStayInsideTheSubfolder) {
  const std::vector<FavoriteShortcut> rows = {
      {"../x", "http://1/"}, {"a/b", "http://2/"},         {"..", "http://3/"},
      {"", "http://4/"},     {"/etc/passwd", "http://5/"},
  };
  EXPECT_EQ(Add(rows), AddToFavoritesResult::kAdded);
  const std::map<std::string, std::string> files = Files();
  EXPECT_EQ(files.size(), rows.size());
  for (const auto& [name, bytes] : files) EXPECT_EQ(name.find('/'), std::string::npos) << name;
  EXPECT_EQ(files.at(".._x.url"), "[InternetShortcut]\r\nURL=http://1/\r\n");
  EXPECT_EQ(platform_.ListTree(kFavorites).size(), rows.size() + 1);  // nothing outside
}

TEST_F(AddToFavoritesTest, ContentIsInTheAnsiCodePageAndTheNameInUtf8) {
  EXPECT_EQ(Add({{"天気予報", "http://例.jp/天気"}}), AddToFavoritesResult::kAdded);
  EXPECT_EQ(
      Files(),
      (std::map<std::string, std::string>{
          {"天気予報.url", "[InternetShortcut]\r\nURL=http://\x97\xe1.jp/\x93\x56\x8b\x43\r\n"}}));
}

TEST(AddToFavoritesWindowsTest, NamesFollowTheWindowsRuleInTheirAnsiForm) {
  MemoryPlatform platform(MemoryPlatform::WindowsOptions());
  platform.AddFolder("C:\\Fav");
  // Code page 932 puts the yen sign onto the backslash and a snowman onto "?".
  const std::vector<FavoriteShortcut> rows = {{"Q&A: どう?", "http://q.example/"},
                                              {"con", "http://c.example/"},
                                              {"..\\..\\boot", "http://b.example/"},
                                              {"..¥..¥root", "http://r/"},
                                              {"雪☃", "http://s/"}};
  EXPECT_EQ(AddToFavorites(platform, "C:\\Fav", rows), AddToFavoritesResult::kAdded);
  const std::string folder = "C:\\Fav\\お気に入りZorvane\\";
  EXPECT_EQ(platform.ListTree("C:\\Fav"),
            (std::vector<std::string>{"C:\\Fav\\お気に入りZorvane", folder + ".._.._boot.url",
                                      folder + ".._.._root.url", folder + "_con.url",
                                      folder + "Q&A_ どう_.url", folder + "雪_.url"}));
}

}  // namespace
}  // namespace zorvane::share
