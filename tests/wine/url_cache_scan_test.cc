// The URL-cache scan of the Windows build against a real WinINet cache: the entries a
// test committed come back from the enumeration with their types, addresses and hit
// counts, and the scan keeps the ones the ranking looks at.
#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/form1.h"
#include "platform/platform.h"
#include "ranking/url_cache_scan.h"
#include "tests/wine/url_cache_filler.h"

namespace zorvane::wine {
namespace {

// Content, history ("Visited:") and cookie entries, with the types WinINet reports back:
// it ORs each container's own type bits into what is committed there (the content
// container adds the normal bit, so an edited entry committed as 0x8 reads 0x9).
constexpr char kCacheList[] =
    "# TYPE\tHITS\tADDRESS\n"
    "0x1\t37\thttp://www.example.com/\n"
    "0x1\t1\thttp://www.example.com/once\n"
    "0x1\t5\thttp://example.jp/日本語/ページ.html\n"
    "0x5\t4\thttp://www.example.net/sticky\n"
    "0x9\t6\thttp://www.example.net/edited\n"
    "0x1\t2147483647\thttp://www.example.net/max\n"
    "0x1\t4294967295\thttp://www.example.net/wrapped\n"
    "0x200001\t9\tVisited: user@http://www.example.com/\n"
    "0x100001\t3\tCookie:user@www.example.com/\n";

using Entry = std::tuple<std::uint32_t, std::string, std::uint32_t>;  // type, address, hits

class UrlCacheScanTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(ParseCacheList(kCacheList, &entries_, &error)) << error;
    ASSERT_TRUE(FillUrlCache(entries_, &error)) << error;
  }

  std::unique_ptr<Platform> platform_ = CreateDefaultPlatform();
  static std::vector<CacheListEntry> entries_;
};

std::vector<CacheListEntry> UrlCacheScanTest::entries_;

TEST_F(UrlCacheScanTest, EnumerationYieldsEveryCommittedEntry) {
  std::vector<Entry> seen;
  platform_->EnumerateUrlCache(0xFFFFFFFF, [&](const UrlCacheEntry& entry) {
    seen.emplace_back(entry.type, platform_->FromAnsi(entry.address), entry.hit_rate);
    return true;
  });
  std::vector<Entry> expected;
  for (const CacheListEntry& entry : entries_) {
    expected.emplace_back(entry.type, entry.address, entry.hits);
  }
  std::sort(seen.begin(), seen.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(seen, expected);
}

TEST_F(UrlCacheScanTest, AddressesArriveAsCodePage932Bytes) {
  bool found = false;
  platform_->EnumerateUrlCache(0xFFFFFFFF, [&](const UrlCacheEntry& entry) {
    if (entry.address.find("example.jp") != std::string_view::npos) {
      found = true;
      EXPECT_EQ(std::string(entry.address),
                platform_->ToAnsi("http://example.jp/日本語/ページ.html"));
    }
    return true;
  });
  EXPECT_TRUE(found);
}

TEST_F(UrlCacheScanTest, VisitorCanStopTheEnumeration) {
  int calls = 0;
  platform_->EnumerateUrlCache(0xFFFFFFFF, [&](const UrlCacheEntry&) { return ++calls < 2; });
  EXPECT_EQ(calls, 2);
}

// Every address a favourite: the scan counts the entries of the mask that are not
// cookies, sums their hits, and keeps those the pre-filter lets through.
TEST_F(UrlCacheScanTest, ScanCountsEntriesOfTheMaskSkipsCookiesAndKeepsFavourites) {
  std::vector<std::string> catalogue;
  for (const CacheListEntry& entry : entries_) catalogue.push_back(entry.address);
  const FavouriteAddresses favourites(*platform_, catalogue);
  struct Case {
    std::uint32_t mask;
    std::int32_t count;
    std::int64_t total_hits;
    std::vector<std::pair<std::string, std::string>> kept;  // address, hits
  };
  const Case cases[] = {
      {0x1,
       8,
       37 + 1 + 5 + 4 + 6 + 2147483647LL + 9,  // the wrapped count adds nothing
       {{"http://www.example.com/", "37"},
        {"http://example.jp/日本語/ページ.html", "5"},
        {"http://www.example.net/sticky", "4"},
        {"http://www.example.net/edited", "6"},
        {"http://www.example.net/max", "2147483647"}}},
      {0x8, 1, 6, {{"http://www.example.net/edited", "6"}}},
      {0x100000, 0, 0, {}},  // the only cookie entry is skipped by its address
      {0x0, 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    std::vector<ListViewRow> rows;
    const ScanCount scanned = ScanUrlCacheForFavourites(*platform_, c.mask, favourites, &rows);
    EXPECT_EQ(scanned.rows, c.count);
    EXPECT_EQ(scanned.total_hits, c.total_hits);
    std::vector<std::pair<std::string, std::string>> got;
    for (const ListViewRow& row : rows) {
      EXPECT_TRUE(row.title.empty() && row.rate.empty());
      got.emplace_back(row.address, row.hits);
    }
    std::vector<std::pair<std::string, std::string>> expected = c.kept;
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected);
  }
}

}  // namespace
}  // namespace zorvane::wine
