#include "platform/paths.h"

#include <gtest/gtest.h>

namespace zorvane::paths {
namespace {

TEST(PathsTest, InsertsSeparatorUnlessPresent) {
  EXPECT_EQ(JoinEnsuringSeparator("C:\\Program", "url.dat", '\\'), "C:\\Program\\url.dat");
  EXPECT_EQ(JoinEnsuringSeparator("C:\\", "url.dat", '\\'), "C:\\url.dat");
  EXPECT_EQ(JoinEnsuringSeparator("/opt/zorvane", "url.dat", '/'), "/opt/zorvane/url.dat");
  EXPECT_EQ(JoinEnsuringSeparator("/", "url.dat", '/'), "/url.dat");
}

TEST(PathsTest, AlwaysJoinDoublesATrailingSeparator) {
  EXPECT_EQ(JoinAlways("C:\\Favorites\\", "a.url", '\\'), "C:\\Favorites\\\\a.url");
  EXPECT_EQ(JoinAlways("/fav", "a.url", '/'), "/fav/a.url");
}

}  // namespace
}  // namespace zorvane::paths
