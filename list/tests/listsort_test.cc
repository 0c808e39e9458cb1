#include "list/listsort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory/memory_platform.h"

namespace zorvane {
namespace {

std::vector<ListViewRow> RowsWithHits(const std::vector<std::string>& hits) {
  std::vector<ListViewRow> rows;
  for (std::size_t i = 0; i < hits.size(); ++i) {
    ListViewRow row;
    row.title = "row" + std::to_string(i + 1);
    row.hits = hits[i];
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> Titles(const std::vector<ListViewRow>& rows) {
  std::vector<std::string> titles;
  for (const ListViewRow& row : rows) titles.push_back(row.title);
  return titles;
}

std::vector<std::string> Hits(const std::vector<ListViewRow>& rows) {
  std::vector<std::string> hits;
  for (const ListViewRow& row : rows) hits.push_back(row.hits);
  return hits;
}

TEST(SortListByColumnTest, DisplayCountsByNumberAndByText) {
  MemoryPlatform platform;
  auto rows = RowsWithHits({"3", "10", "2"});
  SortListByColumn(platform, &rows, 4, kCompareAsNumbers, kSortDescending);
  EXPECT_EQ(Hits(rows), (std::vector<std::string>{"10", "3", "2"}));

  rows = RowsWithHits({"3", "10", "2"});
  SortListByColumn(platform, &rows, 4, kCompareAsText, kSortDescending);
  EXPECT_EQ(Hits(rows), (std::vector<std::string>{"3", "2", "10"}));

  rows = RowsWithHits({"3", "10", "2"});
  SortListByColumn(platform, &rows, 4, kCompareAsNumbers, kSortAscending);
  EXPECT_EQ(Hits(rows), (std::vector<std::string>{"2", "3", "10"}));
}

TEST(SortListByColumnTest, TiedRowsEndReversed) {
  MemoryPlatform platform;
  struct Case {
    std::vector<std::string> hits;
    std::int32_t order;
    std::vector<std::string> titles;
  };
  const Case cases[] = {
      {{"5", "5", "5"}, kSortDescending, {"row3", "row2", "row1"}},
      {{"5", "3", "5", "3"}, kSortDescending, {"row3", "row1", "row4", "row2"}},
      {{"5", "3", "5", "3"}, kSortAscending, {"row4", "row2", "row3", "row1"}},
      {{"1", "2", "3", "4", "5"}, kSortDescending, {"row5", "row4", "row3", "row2", "row1"}},
      {{"7", "7"}, kSortAscending, {"row2", "row1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.hits));
    auto rows = RowsWithHits(c.hits);
    SortListByColumn(platform, &rows, 4, kCompareAsNumbers, c.order);
    EXPECT_EQ(Titles(rows), c.titles);
  }
}

TEST(SortListByColumnTest, EmptyListOneRowAndUnknownKind) {
  MemoryPlatform platform;
  std::vector<ListViewRow> empty;
  SortListByColumn(platform, &empty, 4, kCompareAsNumbers, kSortDescending);
  EXPECT_TRUE(empty.empty());

  auto one = RowsWithHits({"9"});
  SortListByColumn(platform, &one, 4, kCompareAsNumbers, kSortDescending);
  EXPECT_EQ(Titles(one), (std::vector<std::string>{"row1"}));

  for (std::int32_t kind : {-1, 3, 100}) {
    SCOPED_TRACE(kind);
    auto rows = RowsWithHits({"1", "3", "2"});
    SortListByColumn(platform, &rows, 4, kind, kSortDescending);
    EXPECT_EQ(Titles(rows), (std::vector<std::string>{"row1", "row2", "row3"}));
  }
}

TEST(SortListByColumnTest, OnlyTheFirst31BytesCount) {
  MemoryPlatform platform;
  const std::string same31(31, 'A');
  std::vector<ListViewRow> rows(2);
  rows[0].title = same31 + "z";
  rows[1].title = same31 + "b";
  SortListByColumn(platform, &rows, 1, kCompareAsText, kSortAscending);
  // Equal under the text kind, so the tie reverses them.
  EXPECT_EQ(rows[0].title, same31 + "b");
  EXPECT_EQ(rows[1].title, same31 + "z");

  // Fifteen double-byte characters are 30 bytes; the sixteenth does not fit whole.
  std::string kanji;
  for (int i = 0; i < 15; ++i) kanji += "日";
  ListViewRow row;
  row.title = kanji + "本X";
  EXPECT_EQ(ReadCellText(platform, row, 0), kanji);
  row.title = kanji + "X本";
  EXPECT_EQ(ReadCellText(platform, row, 0), kanji + "X");
  row.title = "café";  // not in the code page: the control hands out "?"
  EXPECT_EQ(ReadCellText(platform, row, 0), "caf?");
  EXPECT_EQ(ReadCellText(platform, row, 4), "");
  EXPECT_EQ(ReadCellText(platform, row, -1), "");
}

TEST(CompareCellsTest, AnswersZeroOneTwo) {
  struct Case {
    std::string a, b;
    std::int32_t ascending, descending;
  };
  const Case text_cases[] = {
      {"a", "b", 0, 2},  {"b", "a", 2, 0},
      {"a", "a", 1, 1},  {"B", "a", 0, 2},  // binary: upper case first
      {"", "a", 0, 2},                      // the end of text sorts first
      {"10", "3", 0, 2},                    // text, not numbers
      {"ｱ", "日", 2, 0},                    // code point order (U+FF71 after U+65E5)
  };
  for (const Case& c : text_cases) {
    SCOPED_TRACE(c.a + " vs " + c.b);
    EXPECT_EQ(CompareCellsAsText(c.a, c.b, 0), c.ascending);
    EXPECT_EQ(CompareCellsAsText(c.a, c.b, 1), c.descending);
    EXPECT_EQ(CompareCellsAsText(c.a, c.b, -7), c.descending);  // any non-zero order
  }
  const Case number_cases[] = {
      {"2", "10", 0, 2},
      {"10", "2", 2, 0},
      {"7", "7", 1, 1},
      {"7", "7.00001", 1, 1},
      {"1,000", "999", 2, 0},
      // "Less" uses the whole text, "equal" the number at its start.
      {"1", "1,000", 0, 2},
      {"1,000", "1", 1, 1},
      {"-5", "3", 0, 2},
      {"", "0", 0, 2},
      {"abc", "-100", 0, 2},
      {"", "abc", 1, 1},
      {"12 apples", "3", 0, 2},  // not a number as a whole: sorts first
  };
  for (const Case& c : number_cases) {
    SCOPED_TRACE(c.a + " vs " + c.b);
    EXPECT_EQ(CompareCellsAsNumbers(c.a, c.b, 0), c.ascending);
    EXPECT_EQ(CompareCellsAsNumbers(c.a, c.b, 1), c.descending);
  }
  const Case date_cases[] = {
      {"2024-01-02", "2024/01/10", 0, 2},
      {"2024-01-02 10:00", "2024-01-02 09:59:59", 2, 0},
      {"2024-01-02", "2024-01-02 00:00:00", 1, 1},
      {"12:00", "1900-01-01", 0, 2},       // a time alone lies on 1899-12-30
      {"2024-02-30", "0001-01-01", 0, 2},  // no such day: not a date
      {"yesterday", "", 1, 1},
  };
  for (const Case& c : date_cases) {
    SCOPED_TRACE(c.a + " vs " + c.b);
    EXPECT_EQ(CompareCellsAsDates(c.a, c.b, 0), c.ascending);
    EXPECT_EQ(CompareCellsAsDates(c.a, c.b, 1), c.descending);
  }
}

TEST(CellConversionTest, Currency) {
  struct Case {
    std::string text;
    bool ok;
    std::int64_t value;
  };
  const Case cases[] = {
      {"12", true, 120000},
      {" $1,234.5 ", true, 12345000},
      {"(5)", true, -50000},
      {"-3", true, -30000},
      {"3-", true, -30000},
      {"¥100", true, 1000000},
      {"\\100", true, 1000000},  // the yen sign as code page 932 decodes it
      {"1e3", true, 10000000},
      {"1.00005", true, 10000},  // half to even
      {"1.00015", true, 10002},
      {"1.000051", true, 10001},
      {"0.00004", true, 0},
      {".5", true, 5000},
      {"922337203685477.5807", true, 9223372036854775807},
      {"922337203685477.5808", false, 0},
      {"1e400", false, 0},
      {"1e-400", true, 0},
      {"", false, 0},
      {"abc", false, 0},
      {"1 2", false, 0},
      {".", false, 0},
      {"--1", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::int64_t value = -1;
    EXPECT_EQ(ParseCellCurrency(c.text, &value), c.ok);
    if (c.ok) {
      EXPECT_EQ(value, c.value);
    }
  }
}

TEST(CellConversionTest, LeadingNumber) {
  struct Case {
    std::string text;
    std::int64_t value;
  };
  const Case cases[] = {
      {"  12abc", 120000},
      {"abc", 0},
      {"1,000", 10000},
      {"-2.5", -25000},
      {".5", 5000},
      {"1e2x", 1000000},
      {"1e", 10000},
      {"", 0},
      {"\t7", 70000},
      {"0.00015", 2},
      {"99999999999999999999", 9223372036854775807},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(LeadingCellNumber(c.text), c.value);
  }
}

TEST(CellConversionTest, Dates) {
  std::int64_t a = 0, b = 0;
  ASSERT_TRUE(ParseCellDate("2000-03-01", &a));
  ASSERT_TRUE(ParseCellDate("2000-02-29", &b));
  EXPECT_EQ(a - b, 86400);
  EXPECT_FALSE(ParseCellDate("1900-02-29", &a));  // not a leap year
  EXPECT_FALSE(ParseCellDate("2024-13-01", &a));
  EXPECT_FALSE(ParseCellDate("2024-01-01 24:00", &a));
  EXPECT_FALSE(ParseCellDate("2024-01-01x", &a));
  EXPECT_FALSE(ParseCellDate("2024-01/01", &a));
  ASSERT_TRUE(ParseCellDate("0001-01-01", &a));
  EXPECT_EQ(a, 0);
  ASSERT_TRUE(ParseCellDate("2024-01-01T01:02:03", &a));
  ASSERT_TRUE(ParseCellDate("2024-01-01", &b));
  EXPECT_EQ(a - b, 3723);
}

}  // namespace
}  // namespace zorvane
