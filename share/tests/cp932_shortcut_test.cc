// The bytes of a shortcut file as they reach the disk with the CP932 conversion of the
// Linux platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/cp932.h"
#include "share/internet_shortcut.h"
#include "share/tests/fake_folder_platform.h"

namespace zorvane::share {
namespace {

TEST(Cp932ShortcutTest, DoubleByteTitleAndAddress) {
  FakeFolderPlatform platform('/');
  platform.to_ansi = [](std::string_view utf8) { return cp932::FromUtf8(utf8); };
  platform.folders.insert("/fav");
  const std::vector<FavoriteShortcut> rows = {{"天気予報", "http://例.jp/天気"}};
  ASSERT_EQ(AddToFavorites(platform, "/fav", rows), AddToFavoritesResult::kAdded);
  // The file name stays UTF-8; only the content is in the ANSI code page.
  const std::string& bytes = platform.files["/fav/お気に入りZorvane/天気予報.url"];
  EXPECT_EQ(bytes, "[InternetShortcut]\r\nURL=http://\x97\xe1.jp/\x93\x56\x8b\x43\r\n");
}

}  // namespace
}  // namespace zorvane::share
