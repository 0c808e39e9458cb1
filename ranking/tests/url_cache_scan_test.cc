#include "ranking/url_cache_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ranking/ranking.h"
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
  platform.cache = {{0x1, "Cookie:user@example.com/", 3},
                    {0x1, "http://x/COOKIE:y", 3},
                    {0x1, "http://x/a?cOoKiE:", 3},
                    {0x1, "http://x/cookie", 3},
                    {0x1, "http://x/cookie%3A", 3},
                    {0x1, "cookie :x", 3},
                    {0x1, "a:cookie::", 3},
                    {0x1, "ookie:", 3}};
  std::vector<ListViewRow> rows;
  EXPECT_EQ(ScanUrlCache(platform, 0x1, &rows), 4);
  EXPECT_EQ(Addresses(rows), (std::vector<std::string>{"http://x/cookie", "http://x/cookie%3A",
                                                       "cookie :x", "ookie:"}));
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

// The scan that keeps only some rows counts, sums and keeps exactly what a full scan
// followed by TotalHits and the pre-filter would.
TEST(ScanUrlCacheKeepingTest, AgreesWithAFullScanAndThePreFilter) {
  FakePlatform platform;
  platform.cache = {
      {0x1, "http://a/", 5},
      {0x1, "http://single/", 1},
      {0x1, "http://zero/", 0},
      {0x1, "Visited: u@http://a/", 9},
      {0x1, "visited: u@http://a/", 9},
      {0x100001, "Cookie:u@a/", 7},
      {0x8, "http://edited/", 4},
      {0x1, "http://wrapped/", 0xFFFFFFFF},
      {0x1, "http://max/", 0x7FFFFFFF},
      {0x1, "http://jp/\x93\xfa\x96\x7b", 2},
      {0x1, "http://a/", 2},
      {0x1, "Visited:", 3},
  };
  for (const std::uint32_t mask : {0x1u, 0x8u, 0x9u, 0x0u}) {
    SCOPED_TRACE(mask);
    std::vector<ListViewRow> full;
    const std::int32_t count = ScanUrlCache(platform, mask, &full);
    const std::int64_t total = TotalHits(full);
    DropHistoryAndSingleHits(&full);

    std::vector<ListViewRow> kept;
    const ScanCount scanned = ScanUrlCacheKeeping(
        platform, mask,
        [](std::string_view address, std::int32_t hits) {
          return !IsHistoryOrSingleHit(address, hits);
        },
        &kept);
    EXPECT_EQ(scanned.rows, count);
    EXPECT_EQ(scanned.total_hits, total);
    ASSERT_EQ(kept.size(), full.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
      EXPECT_EQ(kept[i].address, full[i].address);
      EXPECT_EQ(kept[i].hits, full[i].hits);
      EXPECT_EQ(kept[i].title, "");
      EXPECT_EQ(kept[i].rate, "");
    }
  }
}

TEST(IsHistoryOrSingleHitTest, FirstEightCharactersAndCounts) {
  const struct {
    const char* address;
    std::int64_t hits;
    bool dropped;
  } cases[] = {
      {"http://a/", 2, false},    {"http://a/", 1, true},   {"http://a/", 0, true},
      {"http://a/", -5, true},    {"Visited:", 9, true},    {"Visited: u@x", 9, true},
      {"visited: u@x", 9, false}, {"Visited", 9, false},    {" Visited:", 9, false},
      {"Visited:日本", 2, true},  {"Visite日本", 2, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    EXPECT_EQ(IsHistoryOrSingleHit(c.address, c.hits), c.dropped);
  }
}

}  // namespace
}  // namespace zorvane
