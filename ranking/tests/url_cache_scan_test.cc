#include "ranking/url_cache_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ranking/tests/fake_platform.h"

namespace zorvane {
namespace {

using testing::FakePlatform;

std::vector<std::string> Addresses(const std::vector<ListViewRow>& rows) {
  std::vector<std::string> out;
  for (const ListViewRow& row : rows) out.push_back(row.address);
  return out;
}

TEST(ScanUrlCacheTest, EmptyCacheGivesNoRows) {
  FakePlatform platform;
  std::vector<ListViewRow> rows;
  EXPECT_EQ(ScanUrlCache(platform, 0x1, &rows), 0);
  EXPECT_TRUE(rows.empty());
}

TEST(ScanUrlCacheTest, TypeMask) {
  FakePlatform platform;
  platform.cache = {{0x1, "http://normal/", 2}, {0x5, "http://sticky/", 2},
                    {0x8, "http://edited/", 2}, {0x200001, "Visited: u@http://h/", 2},
                    {0x100000, "http://x/", 2}, {0x0, "http://untyped/", 2}};
  struct Case {
    std::uint32_t mask;
    std::vector<std::string> addresses;
  };
  const Case cases[] = {
      {0x0, {}},
      {0x1, {"http://normal/", "http://sticky/", "Visited: u@http://h/"}},
      {0x8, {"http://edited/"}},
      {0x4, {"http://sticky/"}},
      {0x200000, {"Visited: u@http://h/"}},
      {0x300035, {"http://normal/", "http://sticky/", "Visited: u@http://h/", "http://x/"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    std::vector<ListViewRow> rows;
    EXPECT_EQ(ScanUrlCache(platform, c.mask, &rows), static_cast<std::int32_t>(c.addresses.size()));
    EXPECT_EQ(Addresses(rows), c.addresses);
  }
}

TEST(ScanUrlCacheTest, SkipsCookieAddressesInAnyCase) {
  FakePlatform platform;
  platform.cache = {{0x1, "Cookie:user@example.com/", 3}, {0x1, "http://x/COOKIE:y", 3},
                    {0x1, "http://x/a?cOoKiE:", 3},       {0x1, "http://x/cookie", 3},
                    {0x1, "http://x/cookie%3A", 3},       {0x1, "cookie :x", 3}};
  std::vector<ListViewRow> rows;
  EXPECT_EQ(ScanUrlCache(platform, 0x1, &rows), 3);
  EXPECT_EQ(Addresses(rows),
            (std::vector<std::string>{"http://x/cookie", "http://x/cookie%3A", "cookie :x"}));
}

TEST(ScanUrlCacheTest, RowLayoutAndOrder) {
  FakePlatform platform;
  platform.cache = {{0x1, "http://jp/\x93\xfa\x96\x7b", 5},  // CP932 "日本"
                    {0x1, "http://same/", 2},
                    {0x1, "http://same/", 3},
                    {0x1, "http://wrapped/", 0xFFFFFFFF},
                    {0x1, "http://half/", 0x80000000u},
                    {0x1, "http://max/", 0x7FFFFFFF}};
  std::vector<ListViewRow> rows(1);
  rows[0].address = "already there";
  EXPECT_EQ(ScanUrlCache(platform, 0x1, &rows), 6);
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0].address, "already there");  // rows are appended
  EXPECT_EQ(rows[1].address, "http://jp/日本");
  const std::vector<std::string> hits = {"5", "2", "3", "-1", "-2147483648", "2147483647"};
  for (std::size_t i = 0; i < hits.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i + 1].hits, hits[i]);
    EXPECT_EQ(rows[i + 1].title, "");
    EXPECT_EQ(rows[i + 1].rate, "");
    EXPECT_EQ(rows[i + 1].small_icon, 0);
  }
}

TEST(ScanUrlCacheTest, ConvertsOnlyEntriesOfTheMaskedTypes) {
  FakePlatform platform;
  for (int i = 0; i < 10; ++i) platform.cache.push_back({0x8, "http://edited/", 2});
  platform.cache.push_back({0x1, "http://normal/", 2});
  std::vector<ListViewRow> rows;
  ScanUrlCache(platform, 0x1, &rows);
  EXPECT_EQ(platform.from_ansi_calls, 1);
}

}  // namespace
}  // namespace zorvane
