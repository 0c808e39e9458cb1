#include "registry/favorites_folder.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/memory/memory_platform.h"
#include "registry/cls_reg_edit.h"

namespace zorvane {
namespace {

class FavoritesFolderTest : public ::testing::Test {
 protected:
  FavoritesFolderTest() { platform_.SetEnvironmentVariable("USERPROFILE", "C:\\Users\\u"); }

  void Store(std::uint32_t type, const std::string& value) {
    const std::string ansi = platform_.ToAnsi(value);
    ASSERT_TRUE(platform_.SetRegistryValue(kHkeyCurrentUser, kShellFoldersKey, kFavoritesValueName,
                                           type, std::string_view(ansi.c_str(), ansi.size() + 1)));
  }

  MemoryPlatform platform_;
};

TEST_F(FavoritesFolderTest, FreshProfileNamesTheHomeFavorites) {
  EXPECT_EQ(ReadFavoritesFolder(platform_), "/home/user/Favorites");
}

TEST_F(FavoritesFolderTest, StoredValues) {
  struct Case {
    std::uint32_t type;
    std::string stored;
    std::string expected;
  };
  const Case cases[] = {
      {kRegExpandSz, "%USERPROFILE%\\Favorites", "C:\\Users\\u\\Favorites"},
      {kRegSz, "%USERPROFILE%\\Favorites", "C:\\Users\\u\\Favorites"},
      {kRegExpandSz, "%UNKNOWN%\\Favorites", "%UNKNOWN%\\Favorites"},
      {kRegSz, "D:\\お気に入り", "D:\\お気に入り"},
      {kRegSz, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("stored \"" + c.stored + "\"");
    Store(c.type, c.stored);
    EXPECT_EQ(ReadFavoritesFolder(platform_), c.expected);
  }
}

TEST_F(FavoritesFolderTest, OnlyTheCurrentUsersValueCounts) {
  Store(kRegSz, "");
  clsRegEdit machine(platform_);
  machine.SetRegKey(kHkeyLocalMachine);
  machine.SetSubKey(kShellFoldersKey);
  ASSERT_TRUE(machine.SetString(kFavoritesValueName, "C:\\Machine\\Favorites"));
  EXPECT_EQ(ReadFavoritesFolder(platform_), "");
}

}  // namespace
}  // namespace zorvane
