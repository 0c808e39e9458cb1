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

std::vector<std::string> Addresses(const std::vector<ListViewRow>& rows) {
  std::vector<std::string> out;
  for (const ListViewRow& row : rows) out.push_back(row.address);
  return out;
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

TEST(TotalHitsTest, SumsEveryRowIn64Bits) {
  EXPECT_EQ(TotalHits({}), 0);
  EXPECT_EQ(TotalHits({Row("a", "1"), Row("Visited: b", "5"), Row("c", "994")}), 1000);
  EXPECT_EQ(TotalHits({Row("a", "2147483647"), Row("b", "2147483647"), Row("c", "2147483647")}),
            6442450941);
  // A wrapped count adds nothing.
  EXPECT_EQ(TotalHits({Row("a", "-1"), Row("b", "-2147483648"), Row("c", "7")}), 7);
}

TEST(DropHistoryAndSingleHitsTest, KeepsOrderOfTheRest) {
  std::vector<ListViewRow> rows = {
      Row("Visited: user@http://a/", "50"),  // history
      Row("visited: user@http://b/", "50"),  // the test is case-sensitive
      Row("http://c/", "1"),                 // a single hit
      Row("http://d/", "2"),
      Row("http://e/", "0"),
      Row("http://f/", "-3"),
      Row("Visited:", "9"),
      Row("Visite", "9"),
  };
  DropHistoryAndSingleHits(&rows);
  EXPECT_EQ(Addresses(rows),
            (std::vector<std::string>{"visited: user@http://b/", "http://d/", "Visite"}));
}

// The matching the index must agree with: each row against every entry.
std::vector<ListViewRow> MatchPairwise(const std::vector<std::string>& catalogue,
                                       const std::map<std::string, std::string>& titles,
                                       std::vector<ListViewRow> rows) {
  std::vector<ListViewRow> kept;
  for (ListViewRow& row : rows) {
    bool matched = false;
    for (const std::string& entry : catalogue) {
      if (entry == row.address) {
        matched = true;
        const auto t = titles.find(row.address);
        row.title = t == titles.end() ? "" : t->second;
      }
    }
    if (matched) kept.push_back(row);
  }
  return kept;
}

TEST(MatchCatalogueTest, EdgeCases) {
  const std::vector<std::string> catalogue = ReadCatalogueEntries(
      "http://fav/\r\nhttp://twice/\r\nhttp://twice/\r\nhttp://a/?x=1,2\r\n\r\n");
  const std::map<std::string, std::string> titles = {
      {"http://fav/", "Fav"}, {"http://twice/", "Twice"}, {"http://a/?x=1,2", "Comma"}};
  std::vector<ListViewRow> rows = {
      Row("http://FAV/", "9"),  // letter case differs
      Row("http://fav", "9"),   // no trailing slash
      Row("http://fav/", "9"),
      Row("http://twice/", "8"),    // listed twice in the catalogue: still one row
      Row("http://fav/", "7"),      // the same address twice in the cache: both stay
      Row("http://a/?x=1,2", "6"),  // an address with a comma ranks
      Row("http://other/", "5"),
  };
  int lookups = 0;
  MatchCatalogue(
      catalogue,
      [&](const std::string& address) {
        ++lookups;
        const auto t = titles.find(address);
        return t == titles.end() ? std::string() : t->second;
      },
      &rows);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(Addresses(rows), (std::vector<std::string>{"http://fav/", "http://twice/",
                                                       "http://fav/", "http://a/?x=1,2"}));
  EXPECT_EQ(rows[0].title, "Fav");
  EXPECT_EQ(rows[1].title, "Twice");
  EXPECT_EQ(rows[2].title, "Fav");
  EXPECT_EQ(rows[3].title, "Comma");
  EXPECT_EQ(lookups, 3);  // one lookup per distinct address
}

TEST(MatchCatalogueTest, OnlyTheFinalBlankLineMatchesNothing) {
  std::vector<ListViewRow> rows = {Row("http://a/", "5"), Row("http://b/", "3")};
  MatchCatalogue(
      ReadCatalogueEntries("\r\n"), [](const std::string&) { return "t"; }, &rows);
  EXPECT_TRUE(rows.empty());
  rows = {Row("http://a/", "5")};
  MatchCatalogue(
      ReadCatalogueEntries(""), [](const std::string&) { return "t"; }, &rows);
  EXPECT_TRUE(rows.empty());
}

TEST(MatchCatalogueTest, AgreesWithPairwiseComparison) {
  // Addresses drawn from a small alphabet so that equal, prefix and case-variant
  // addresses meet often; a fixed linear congruential sequence keeps the test repeatable.
  std::uint32_t state = 12345;
  auto next = [&] { return state = state * 1103515245u + 12345u, (state >> 16) & 0x7fff; };
  const char* const kParts[] = {"http://a/", "http://A/", "b", "", "/", ",", " ", "日本"};
  auto address = [&] {
    std::string s;
    for (int n = static_cast<int>(next() % 3); n >= 0; --n) s += kParts[next() % 8];
    return s;
  };
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    std::vector<std::string> catalogue;
    std::map<std::string, std::string> titles;
    for (int i = static_cast<int>(next() % 6); i > 0; --i) {
      catalogue.push_back(address());
      titles[catalogue.back()] = "title of " + catalogue.back();
    }
    std::vector<ListViewRow> rows;
    for (int i = static_cast<int>(next() % 8); i > 0; --i) {
      rows.push_back(Row(address(), std::to_string(next() % 5)));
    }
    const auto expected = MatchPairwise(catalogue, titles, rows);
    MatchCatalogue(
        catalogue,
        [&](const std::string& a) {
          const auto t = titles.find(a);
          return t == titles.end() ? std::string() : t->second;
        },
        &rows);
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].address, expected[i].address);
      EXPECT_EQ(rows[i].title, expected[i].title);
      EXPECT_EQ(rows[i].hits, expected[i].hits);
    }
  }
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

TEST(RankingStepsTest, DroppedRowsStillCountInTheDivisor) {
  // One favourite with 10 hits among scanned rows totalling 1,000.
  std::vector<ListViewRow> rows = {Row("http://fav/", "10"), Row("http://other/", "985"),
                                   Row("Visited: u@http://fav/", "4"), Row("http://one/", "1")};
  const std::int64_t total = TotalHits(rows);
  DropHistoryAndSingleHits(&rows);
  MatchCatalogue(
      ReadCatalogueEntries("http://fav/\r\n\r\n"), [](const std::string&) { return "Fav"; }, &rows);
  SetRates(total, &rows);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].rate, "1.0%");
  EXPECT_EQ(rows[0].title, "Fav");
}

}  // namespace
}  // namespace zorvane
