#include "ranking/ranking.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace zorvane {
namespace {

ListViewRow Row(std::string address, std::string hits) {
  ListViewRow row;
  row.address = std::move(address);
  row.hits = std::move(hits);
  return row;
}

TEST(FormatCountLabelTest, GroupsDigitsByThrees) {
  const std::pair<std::int32_t, std::string> cases[] = {
      {0, "0"},
      {7, "7"},
      {999, "999"},
      {1000, "1,000"},
      {12345, "12,345"},
      {1234567, "1,234,567"},
      {2147483647, "2,147,483,647"},
  };
  for (const auto& [count, digits] : cases) {
    SCOPED_TRACE(count);
    EXPECT_EQ(FormatCountLabel(count), digits + "個のファイルを検出");
  }
}

TEST(ReadCatalogueEntriesTest, OneEntryPerWholeLine) {
  struct Case {
    std::string text;
    std::vector<std::string> entries;
  };
  const Case cases[] = {
      {"", {}},
      {"\r\n", {""}},  // only the final blank line
      {"http://a/\r\nhttp://b/\r\n\r\n", {"http://a/", "http://b/", ""}},
      {"http://a/?x=1,2\r\n\r\n", {"http://a/?x=1,2", ""}},  // a comma stays in the address
      {"\"http://q/\"\r\n", {"\"http://q/\""}},              // quotes too
      {"  http://s/  \r\n", {"  http://s/  "}},              // and blanks
      {"a\nb", {"a", "b"}},                                  // LF, no final line break
      {"a\rb\r", {"a", "b"}},                                // CR alone
      {"a\r\n\r\n\r\n", {"a", "", ""}},
      {"\n\n", {"", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text));
    EXPECT_EQ(ReadCatalogueEntries(c.text), c.entries);
  }
}

TEST(ReadCatalogueEntriesTest, HasNoEntryLimit) {
  std::string text;
  for (int i = 0; i < 40000; ++i) text += "http://e/" + std::to_string(i) + "\r\n";
  text += "\r\n";
  const auto entries = ReadCatalogueEntries(text);
  ASSERT_EQ(entries.size(), 40001u);
  EXPECT_EQ(entries[39999], "http://e/39999");
  EXPECT_EQ(entries[40000], "");
}

TEST(SetTitlesTest, OneLookupPerDistinctAddress) {
  std::vector<ListViewRow> rows = {Row("http://fav/", "9"), Row("http://twice/", "8"),
                                   Row("http://fav/", "7"), Row("http://none/", "6")};
  const std::map<std::string, std::string> titles = {{"http://fav/", "Fav"},
                                                     {"http://twice/", "Twice"}};
  int lookups = 0;
  SetTitles(
      [&](const std::string& address) {
        ++lookups;
        const auto t = titles.find(address);
        return t == titles.end() ? std::string() : t->second;
      },
      &rows);
  EXPECT_EQ(lookups, 3);
  EXPECT_EQ(rows[0].title, "Fav");
  EXPECT_EQ(rows[1].title, "Twice");
  EXPECT_EQ(rows[2].title, "Fav");
  EXPECT_EQ(rows[3].title, "");
}

TEST(FormatRateTest, OneDecimalHalfAwayFromZero) {
  struct Case {
    std::int64_t hits, total;
    std::string rate;
  };
  const Case cases[] = {
      {5, 40, "12.5%"},
      {1, 300, "0.3%"},
      {10, 1000, "1.0%"},
      {1, 3, "33.3%"},
      {2, 3, "66.7%"},
      {1, 16, "6.3%"},  // 6.25 rounds up
      {1, 2000, "0.1%"},
      {1, 2001, "0.0%"},
      {3, 7, "42.9%"},
      {40, 40, "100.0%"},
      {0, 5, "0.0%"},
      {2, 2, "100.0%"},
      {2147483647, 4294967294, "50.0%"},
      {4611686018427387904, 9223372036854775807, "50.0%"},
      {5, 0, ""},
      {5, -10, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.hits) + "/" + std::to_string(c.total));
    EXPECT_EQ(FormatRate(c.hits, c.total), c.rate);
  }
}

}  // namespace
}  // namespace zorvane
