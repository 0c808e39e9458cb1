#include "ranking/url_cache_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "platform/memory/memory_platform.h"
#include "ranking/ranking.h"

namespace zorvane {
namespace {

std::vector<std::string> Addresses(const std::vector<ListViewRow>& rows) {
  std::vector<std::string> out;
  for (const ListViewRow& row : rows) out.push_back(row.address);
  return out;
}

// Scans with every address a favourite, so that only the pre-filter decides what stays.
ScanCount ScanAll(MemoryPlatform& platform, std::uint32_t mask, std::vector<ListViewRow>* rows) {
  std::vector<std::string> catalogue;
  for (const MemoryCacheEntry& entry : platform.url_cache()) {
    catalogue.push_back(entry.encoding == AddressEncoding::kUtf8
                            ? entry.address
                            : platform.FromAnsi(entry.address));
  }
  const FavouriteAddresses favourites(platform, catalogue);
  return ScanUrlCacheForFavourites(platform, mask, favourites, rows);
}

TEST(ScanUrlCacheForFavouritesTest, CountsEntriesOfTheMaskedTypes) {
  MemoryPlatform platform;
  std::vector<ListViewRow> rows;
  EXPECT_EQ(ScanAll(platform, 0x1, &rows).rows, 0);  // an empty cache
  platform.url_cache() = {{0x1, "http://normal/", 2}, {0x5, "http://sticky/", 2},
                          {0x8, "http://edited/", 2}, {0x200001, "Visited: u@http://h/", 2},
                          {0x100000, "http://x/", 2}, {0x0, "http://untyped/", 2}};
  struct Case {
    std::uint32_t mask;
    std::int32_t count;
    std::vector<std::string> kept;  // history is counted but never kept
  };
  const Case cases[] = {
      {0x0, 0, {}},
      {0x1, 3, {"http://normal/", "http://sticky/"}},
      {0x8, 1, {"http://edited/"}},
      {0x4, 1, {"http://sticky/"}},
      {0x200000, 1, {}},
      {0x300035, 4, {"http://normal/", "http://sticky/", "http://x/"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    rows.clear();
    EXPECT_EQ(ScanAll(platform, c.mask, &rows).rows, c.count);
    EXPECT_EQ(Addresses(rows), c.kept);
  }
}

TEST(ScanUrlCacheForFavouritesTest, SkipsCookieAddressesInAnyCase) {
  MemoryPlatform platform;
  platform.url_cache() = {{0x1, "Cookie:user@example.com/", 3},
                          {0x1, "http://x/COOKIE:y", 3},
                          {0x1, "http://x/a?cOoKiE:", 3},
                          {0x1, "http://x/cookie", 3},
                          {0x1, "http://x/cookie%3A", 3},
                          {0x1, "cookie :x", 3},
                          {0x1, "a:cookie::", 3},
                          {0x1, "ookie:", 3}};
  std::vector<ListViewRow> rows;
  const ScanCount scanned = ScanAll(platform, 0x1, &rows);
  EXPECT_EQ(scanned.rows, 4);
  EXPECT_EQ(scanned.total_hits, 12);
  EXPECT_EQ(Addresses(rows), (std::vector<std::string>{"http://x/cookie", "http://x/cookie%3A",
                                                       "cookie :x", "ookie:"}));
}

TEST(ScanUrlCacheForFavouritesTest, RowsAreAppendedWithTheirCountsAsSigned32Bits) {
  MemoryPlatform platform;
  platform.url_cache() = {{0x1, "http://jp/\x93\xfa\x96\x7b", 5},  // CP932 "日本"
                          {0x1, "http://same/", 2},
                          {0x1, "http://same/", 3},
                          {0x1, "http://wrapped/", 0xFFFFFFFF},
                          {0x1, "http://half/", 0x80000000u},
                          {0x1, "http://max/", 0x7FFFFFFF}};
  std::vector<ListViewRow> rows(1);
  rows[0].address = "already there";
  const ScanCount scanned = ScanAll(platform, 0x1, &rows);
  EXPECT_EQ(scanned.rows, 6);
  EXPECT_EQ(scanned.total_hits, 5 + 2 + 3 + 2147483647LL);  // wrapped counts add nothing
  EXPECT_EQ(Addresses(rows),
            (std::vector<std::string>{"already there", "http://jp/日本", "http://same/",
                                      "http://same/", "http://max/"}));
  const std::vector<std::string> hits = {"5", "2", "3", "2147483647"};
  for (std::size_t i = 0; i < hits.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i + 1].hits, hits[i]);
    EXPECT_EQ(rows[i + 1].title, "");
    EXPECT_EQ(rows[i + 1].rate, "");
    EXPECT_EQ(rows[i + 1].small_icon, 0);
  }
}

// By default only the rows that can reach the top ten stay, in the order they came: the
// list sort then orders them as it would have ordered them among all the others.
TEST(ScanUrlCacheForFavouritesTest, KeepsTheRowsOfTheTopTenInTheirOrder) {
  MemoryPlatform platform;
  const std::uint32_t hits[] = {5, 9, 5, 2, 7, 5, 9, 3, 5, 8, 5, 4, 6, 5};
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < std::size(hits); ++i) {
    const std::string address = "http://a/" + std::to_string(i);
    platform.url_cache().push_back({0x1, address, hits[i]});
    // Five rows have more than 5 hits; of the six with 5, the five that come last take the
    // places left.
    if (hits[i] > 5 || (hits[i] == 5 && i >= 2)) expected.push_back(address);
  }
  std::vector<ListViewRow> rows;
  EXPECT_EQ(ScanAll(platform, 0x1, &rows).rows, 14);
  EXPECT_EQ(Addresses(rows), expected);
  EXPECT_EQ(rows.front().hits, "9");
}

// The ranking's steps one by one, as plainly as they can be written: each entry of the
// mask converted to its text, cookies skipped, every count summed, then the pre-filter
// and a comparison with every catalogue entry. The one-pass scan must agree with it.
struct StepByStep {
  std::int32_t count = 0;
  std::int64_t total = 0;
  std::vector<ListViewRow> rows;
};

StepByStep ScanThenMatchPairwise(MemoryPlatform& platform, std::uint32_t mask,
                                 const std::vector<std::string>& catalogue) {
  StepByStep result;
  for (const MemoryCacheEntry& entry : platform.url_cache()) {
    if ((entry.type & mask) == 0) continue;
    const std::string text = platform.FromAnsi(
        entry.encoding == AddressEncoding::kUtf8 ? platform.ToAnsi(entry.address) : entry.address);
    if (text::AsciiLower(text).find("cookie:") != std::string::npos) continue;
    ++result.count;
    const std::int32_t hits = static_cast<std::int32_t>(entry.hit_rate);
    if (hits > 0) result.total += hits;
    if (IsHistoryOrSingleHit(text, hits)) continue;
    for (const std::string& favourite : catalogue) {
      if (favourite != text) continue;
      ListViewRow row;
      row.address = text;
      row.hits = std::to_string(hits);
      result.rows.push_back(row);
      break;
    }
  }
  return result;
}

void ExpectSameAsStepByStep(MemoryPlatform& platform, std::uint32_t mask,
                            const std::vector<std::string>& catalogue) {
  const StepByStep expected = ScanThenMatchPairwise(platform, mask, catalogue);
  const FavouriteAddresses favourites(platform, catalogue);
  std::vector<ListViewRow> rows;
  const ScanCount scanned = ScanUrlCacheForFavourites(platform, mask, favourites, &rows, kAllRows);
  EXPECT_EQ(scanned.rows, expected.count);
  EXPECT_EQ(scanned.total_hits, expected.total);
  ASSERT_EQ(rows.size(), expected.rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].address, expected.rows[i].address);
    EXPECT_EQ(rows[i].hits, expected.rows[i].hits);
    EXPECT_EQ(rows[i].title, "");
    EXPECT_EQ(rows[i].rate, "");
  }
}

constexpr auto kUtf8 = AddressEncoding::kUtf8;

TEST(ScanUrlCacheForFavouritesTest, MatchEdgeCases) {
  MemoryPlatform platform;
  const std::vector<std::string> catalogue = ReadCatalogueEntries(
      "http://fav/\r\nhttp://twice/\r\nhttp://twice/\r\nhttp://a/?x=1,2\r\n\r\n");
  platform.url_cache() = {
      {0x1, "http://FAV/", 9},      // letter case differs
      {0x1, "http://fav", 9},       // no trailing slash
      {0x1, "http://fav/", 9},      //
      {0x1, "http://twice/", 8},    // listed twice in the catalogue: still one row
      {0x1, "http://fav/", 7},      // the same address twice in the cache: both stay
      {0x1, "http://a/?x=1,2", 6},  // an address with a comma ranks
      {0x1, "http://fav/", 1},      // a single hit is dropped
      {0x1, "http://other/", 5},
  };
  const FavouriteAddresses favourites(platform, catalogue);
  std::vector<ListViewRow> rows;
  const ScanCount scanned = ScanUrlCacheForFavourites(platform, 0x1, favourites, &rows);
  EXPECT_EQ(scanned.rows, 8);
  EXPECT_EQ(scanned.total_hits, 54);
  EXPECT_EQ(Addresses(rows), (std::vector<std::string>{"http://fav/", "http://twice/",
                                                       "http://fav/", "http://a/?x=1,2"}));
  ExpectSameAsStepByStep(platform, 0x1, catalogue);

  // A catalogue of only the final blank line, or of nothing, keeps nothing.
  for (const char* text : {"\r\n", ""}) {
    const FavouriteAddresses none(platform, ReadCatalogueEntries(text));
    rows.clear();
    EXPECT_EQ(ScanUrlCacheForFavourites(platform, 0x1, none, &rows).rows, 8);
    EXPECT_TRUE(rows.empty());
  }
}

TEST(ScanUrlCacheForFavouritesTest, DroppedRowsStillCountInTheDivisor) {
  // One favourite with 10 hits among scanned rows totalling 1,000.
  MemoryPlatform platform;
  platform.url_cache() = {{0x1, "http://fav/", 10},
                          {0x1, "http://other/", 985},
                          {0x1, "Visited: u@http://fav/", 4},
                          {0x1, "http://one/", 1}};
  const FavouriteAddresses favourites(
      platform, ReadCatalogueEntries("http://fav/\r\nVisited: u@http://fav/\r\n"));
  std::vector<ListViewRow> rows;
  const ScanCount scanned = ScanUrlCacheForFavourites(platform, 0x1, favourites, &rows);
  SetRates(scanned.total_hits, &rows);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].rate, "1.0%");
}

// Where the bytes of an address could compare differently from its text, the text
// decides; the rest is compared without converting anything.
TEST(ScanUrlCacheForFavouritesTest, ConvertsOnlyWhereTheFormCouldMislead) {
  MemoryPlatform platform;
  // "∵" has two forms in the code page, 0x81E6 (written) and 0x879A; "é" has none.
  const std::vector<std::string> catalogue = ReadCatalogueEntries(
      platform.FromAnsi("http://jp/\x93\xfa\x96\x7b\r\nhttp://b/\x81\xe6\r\nhttp://e/?\r\n"));
  platform.url_cache() = {
      {0x1, "http://jp/\x93\xfa\x96\x7b", 5},  // canonical ANSI
      {0x1, "http://jp/日本", 4, kUtf8},       // UTF-8 the code page keeps
      {0x1, "http://plain/", 3, kUtf8},        // ASCII
      {0x1, "http://b/\x87\x9a", 6},           // the second form of "∵"
      {0x1, "http://e/é", 7, kUtf8},           // "é" becomes "?"
      {0x1,
       "\x83"
       "cookie:",
       2},  // a trail byte before "ookie:"
  };
  const FavouriteAddresses favourites(platform, catalogue);
  const int calls_before = platform.from_ansi_calls();
  std::vector<ListViewRow> rows;
  const ScanCount scanned = ScanUrlCacheForFavourites(platform, 0x1, favourites, &rows);
  EXPECT_EQ(platform.from_ansi_calls() - calls_before,
            3);  // the second form, "é", and the cookie check
  EXPECT_EQ(scanned.rows, 6);
  EXPECT_EQ(Addresses(rows), (std::vector<std::string>{"http://jp/日本", "http://jp/日本",
                                                       "http://b/∵", "http://e/?"}));
  ExpectSameAsStepByStep(platform, 0x1, catalogue);
}

// A cookie mark, a colon or a character beyond ASCII is seen wherever it stands in an
// address, however long.
TEST(ScanUrlCacheForFavouritesTest, LooksAtEveryPlaceOfAnAddress) {
  MemoryPlatform platform;
  std::vector<std::string> catalogue;
  for (std::size_t before = 0; before <= 80; ++before) {
    for (const std::size_t after : {0, 3, 17, 40}) {
      for (const char* part : {"COOKIE:", "cookie", ":", "é", "日本"}) {
        const std::string address =
            "http://x/" + std::string(before, 'a') + part + std::string(after, 'b');
        platform.url_cache().push_back({0x1, address, 2, kUtf8});
        platform.url_cache().push_back({0x1, platform.ToAnsi(address), 3});
        catalogue.push_back(platform.FromAnsi(platform.ToAnsi(address)));
      }
    }
  }
  ExpectSameAsStepByStep(platform, 0x1, catalogue);
}

// Random caches and catalogues over parts chosen to meet often and to hold every case
// where a source's bytes and its text could disagree, and catalogue entries the code
// page does not give back (so that a cache address can equal an entry that is not its
// text); a fixed linear congruential sequence keeps the test repeatable.
TEST(ScanUrlCacheForFavouritesTest, AgreesWithTheStepsOneByOne) {
  std::uint32_t state = 12345;
  auto next = [&] { return state = state * 1103515245u + 12345u, (state >> 16) & 0x7fff; };
  // The same pieces as code page 932 bytes and as UTF-8, where UTF-8 can say them.
  const char* const kAnsiParts[] = {
      "http://a/",
      "http://A/",
      "b",
      "",
      "/",
      ",",
      " ",
      "?",
      "\\",
      "Visited:",
      "cOOkie:",
      "\x93\xfa\x96\x7b",  // 日本
      "\x81\xe6",          // ∵ as written
      "\x87\x9a",          // ∵ in its second form
      "\x87\x54",          // Ⅰ as written (NEC)
      "\xfa\x4a",          // Ⅰ in its IBM form
      "\x81\x60",          // ～
      "\x81\x20",          // a lead byte with a bad trail byte
      "\x81",              // a lead byte, dangling at the end
      "\xa0",
      "\x80",  // bytes that only decode to stand-ins
      "\x83"
      "c",  // a trail byte that looks like "c"
  };
  const char* const kUtf8Parts[] = {
      "http://a/", "http://A/", "b", "",  "/",  ",",  " ", "?", "\\",           "Visited:",
      "cOOkie:",   "日本",      "∵", "Ⅰ", "～", "〜", "é", "¥", "\xef\xa3\xb0",  // U+F8F0
      "\xff",                                                                    // not UTF-8
      "😀",         "ャ",
  };
  // Now and then a long run of ASCII, which moves what follows far into the address.
  const std::string kLong = "/0123456789abcdefghijklmnopqrstuv";
  auto pick = [&](const auto& parts) {
    std::string s;
    const std::size_t n = std::size(parts);
    for (int k = static_cast<int>(next() % 7); k >= 0; --k) {
      s += next() % 8 == 0 ? kLong : std::string(parts[next() % n]);
    }
    return s;
  };
  MemoryPlatform platform;
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    std::string catalogue_bytes;
    for (int i = static_cast<int>(next() % 8); i > 0; --i) {
      catalogue_bytes += next() % 2 ? pick(kAnsiParts) : platform.ToAnsi(pick(kUtf8Parts));
      catalogue_bytes += "\r\n";
    }
    std::vector<std::string> catalogue = ReadCatalogueEntries(platform.FromAnsi(catalogue_bytes));
    for (int i = static_cast<int>(next() % 3); i > 0; --i) catalogue.push_back(pick(kUtf8Parts));
    platform.url_cache().clear();
    for (int i = static_cast<int>(next() % 12); i > 0; --i) {
      const std::uint32_t hits = next() % 4;
      if (next() % 2) {
        platform.url_cache().push_back({0x1, pick(kAnsiParts), hits});
      } else {
        platform.url_cache().push_back({0x1, pick(kUtf8Parts), hits, kUtf8});
      }
      // A cache address that is a catalogue line, in either form.
      if (next() % 3 == 0 && !catalogue.empty()) {
        const std::string& entry = catalogue[next() % catalogue.size()];
        platform.url_cache().push_back({0x1, entry, 2 + hits, kUtf8});
        platform.url_cache().push_back({0x1, platform.ToAnsi(entry), 3 + hits});
      }
    }
    ExpectSameAsStepByStep(platform, 0x1, catalogue);
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
