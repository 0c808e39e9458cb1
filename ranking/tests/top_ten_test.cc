#include "ranking/top_ten.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/memory/memory_platform.h"

namespace zorvane {
namespace {

using Places = std::vector<std::pair<std::string, std::string>>;

std::vector<ListViewRow> TitledRows(int n) {
  std::vector<ListViewRow> rows;
  for (int i = 1; i <= n; ++i) {
    ListViewRow row;
    row.title = "T" + std::to_string(i);
    row.hits = std::to_string(100 - i);
    rows.push_back(row);
  }
  return rows;
}

std::vector<int> Icons(const std::vector<ListViewRow>& rows) {
  std::vector<int> icons;
  for (const ListViewRow& row : rows) icons.push_back(row.small_icon);
  return icons;
}

// A store of places that counts its reads.
struct Store {
  std::map<std::string, std::string> places;
  int reads = 0;
  std::string operator()(const std::string& title) {
    ++reads;
    const auto found = places.find(title);
    return found == places.end() ? kDefaultStoredPlace : found->second;
  }
};

TEST(SortAndKeepTopTenTest, KeepsTheTenLargestCounts) {
  MemoryPlatform platform;
  std::vector<ListViewRow> rows;
  for (const char* hits : {"5", "12", "3", "40", "7", "2", "9", "10", "11", "8", "6"}) {
    ListViewRow row;
    row.hits = hits;
    rows.push_back(row);
  }
  SortAndKeepTopTen(platform, &rows);
  std::vector<std::string> hits;
  for (const ListViewRow& row : rows) hits.push_back(row.hits);
  EXPECT_EQ(hits, (std::vector<std::string>{"40", "12", "11", "10", "9", "8", "7", "6", "5", "3"}));

  auto ten = TitledRows(10);
  SortAndKeepTopTen(platform, &ten);
  EXPECT_EQ(ten.size(), 10u);
  EXPECT_EQ(ten.back().title, "T10");
}

TEST(SortAndKeepTopTenTest, TiesAtTheCutFollowTheSortOrder) {
  MemoryPlatform platform;
  std::vector<ListViewRow> rows;
  for (int i = 1; i <= 12; ++i) {
    ListViewRow row;
    row.title = "T" + std::to_string(i);
    row.hits = "4";
    rows.push_back(row);
  }
  SortAndKeepTopTen(platform, &rows);
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows.front().title, "T12");  // equal counts end reversed
  EXPECT_EQ(rows.back().title, "T3");
}

// The rows kept as they come, then sorted, are the rows that sorting them all keeps, in
// the same order: random runs with many equal counts, fewer and more rows than ten.
TEST(TopRowsTest, KeepsWhatSortingEveryRowKeeps) {
  MemoryPlatform platform;
  std::uint32_t state = 4242;
  auto next = [&] { return state = state * 1103515245u + 12345u, (state >> 16) & 0x7fff; };
  const std::int32_t kCounts[] = {2, 3, 4, 10, 11, 100, 2147483647};
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    const std::size_t n = next() % 40;
    const std::size_t spread = 1 + next() % std::size(kCounts);
    std::vector<std::string> addresses;
    for (std::size_t i = 0; i < n; ++i) addresses.push_back("http://a/" + std::to_string(i));
    std::vector<ListViewRow> all;
    TopRows top(kTopTenRows);
    for (const std::string& address : addresses) {
      const std::int32_t hits = kCounts[next() % spread];
      ListViewRow row;
      row.address = address;
      row.hits = std::to_string(hits);
      all.push_back(row);
      top.Offer(hits, &address);
    }
    std::vector<ListViewRow> kept;
    top.AppendRows(&kept);
    ASSERT_EQ(kept.size(), std::min(n, kTopTenRows));
    SortAndKeepTopTen(platform, &all);
    SortAndKeepTopTen(platform, &kept);
    for (std::size_t i = 0; i < kept.size(); ++i) {
      EXPECT_EQ(kept[i].address, all[i].address);
      EXPECT_EQ(kept[i].hits, all[i].hits);
    }
  }
}

TEST(ParseStoredPlaceTest, LeadingNumberRoundedAndClamped) {
  const std::pair<std::string, std::int16_t> cases[] = {
      {"3", 3},         {"10", 10},
      {" 7x", 7},       {"abc", 0},
      {"", 0},          {"-2", -2},
      {"+4", 4},        {"2.5", 2},
      {"3.5", 4},       {"2.51", 3},
      {"40000", 32767}, {"-40000", -32768},
      {"32767", 32767}, {"99999999999999999999", 32767},
      {".4", 0},
  };
  for (const auto& [text, place] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ParseStoredPlace(text), place);
  }
}

TEST(TrendIconTest, ComparesWithThePreviousPlace) {
  struct Case {
    std::int16_t previous;
    std::size_t place;
    int icon;
  };
  const Case cases[] = {
      {11, 1, kIconSun},  {11, 10, kIconSun},  {11, 11, kIconSun},  // 11 always shows the sun
      {4, 4, kIconArrow}, {5, 2, kIconSun},    {2, 5, kIconCloud},
      {0, 1, kIconCloud}, {-3, 1, kIconCloud}, {32767, 10, kIconSun},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.previous) + " -> " + std::to_string(c.place));
    EXPECT_EQ(TrendIcon(c.previous, c.place), c.icon);
  }
}

TEST(SetTrendIconsTest, FirstRunThenSecondRun) {
  Store store;
  auto rows = TitledRows(10);
  const Places places = SetTrendIcons(std::ref(store), &rows);
  EXPECT_EQ(Icons(rows), (std::vector<int>{3, 3, 2, 1, 1, 1, 1, 1, 1, 1}));
  ASSERT_EQ(places.size(), 10u);
  for (std::size_t i = 0; i < places.size(); ++i) {
    EXPECT_EQ(places[i].first, "T" + std::to_string(i + 1));
    EXPECT_EQ(places[i].second, std::to_string(i + 1));
  }
  for (const auto& [title, place] : places) store.places[title] = place;

  // Second run: T5 moved up to place 2, T2 down to place 5, the rest stayed.
  std::swap(rows[1], rows[4]);
  SetTrendIcons(std::ref(store), &rows);
  EXPECT_EQ(Icons(rows), (std::vector<int>{2, 3, 2, 2, 1, 2, 2, 2, 2, 2}));
}

TEST(SetTrendIconsTest, StoredValues) {
  Store store;
  store.places = {{"T1", "11"}, {"T2", "11"}, {"T3", "abc"}, {"T4", "70000"}};
  auto rows = TitledRows(4);
  SetTrendIcons(std::ref(store), &rows);
  EXPECT_EQ(Icons(rows), (std::vector<int>{kIconSun, kIconSun, kIconCloud, kIconSun}));
}

TEST(SetTrendIconsTest, SameTitleReadsBeforeAnyWriteAndTheLowerPlaceStays) {
  Store store;
  store.places = {{"Same", "2"}};
  auto rows = TitledRows(3);
  rows[0].title = "Same";
  rows[1].title = "Same";
  const Places places = SetTrendIcons(std::ref(store), &rows);
  // Both rows compare with the old place 2.
  EXPECT_EQ(Icons(rows), (std::vector<int>{kIconSun, kIconArrow, kIconArrow}));
  EXPECT_EQ(store.reads, 3);
  // Written in order, the second place is the one that stays.
  std::map<std::string, std::string> written;
  for (const auto& [title, place] : places) written[title] = place;
  EXPECT_EQ(written["Same"], "2");
  EXPECT_EQ(written["T3"], "3");
}

TEST(SetTrendIconsTest, NoRowsReadAndWriteNothing) {
  Store store;
  std::vector<ListViewRow> rows;
  EXPECT_TRUE(SetTrendIcons(std::ref(store), &rows).empty());
  EXPECT_EQ(store.reads, 0);
}

TEST(SetTrendIconsTest, EmptyTitleIsNeitherReadNorStored) {
  Store store;
  store.places = {{"", "1"}};
  auto rows = TitledRows(3);
  rows[2].title = "";
  const Places places = SetTrendIcons(std::ref(store), &rows);
  EXPECT_EQ(store.reads, 2);
  EXPECT_EQ(rows[2].small_icon, kIconArrow);  // the default place 3, at place 3
  ASSERT_EQ(places.size(), 2u);
  EXPECT_EQ(places[1], (std::pair<std::string, std::string>{"T2", "2"}));
}

}  // namespace
}  // namespace zorvane
