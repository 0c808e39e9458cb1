#include "cli/rank_output.h"

#include <gtest/gtest.h>

namespace zorvane {
namespace {

const std::vector<ListViewRow> kRows = {
    {"ニュース", "12.5%", "http://news.example/?a=1,b=2", "5", 3},
    {"Say \"hi\"", "2.5%", "http://hi.example/", "1", 1},
};

TEST(RankOutputTest, TabSeparatedLines) {
  EXPECT_EQ(FormatRankRows(kRows, RankFormat::kTsv),
            "3\tニュース\t12.5%\thttp://news.example/?a=1,b=2\t5\n"
            "1\tSay \"hi\"\t2.5%\thttp://hi.example/\t1\n");
  EXPECT_EQ(FormatRankRows({}, RankFormat::kTsv), "");
}

TEST(RankOutputTest, CsvQuotesOnlyWhereNeeded) {
  EXPECT_EQ(FormatRankRows(kRows, RankFormat::kCsv),
            "rank,icon,title,rate,address,hits\r\n"
            "1,3,ニュース,12.5%,\"http://news.example/?a=1,b=2\",5\r\n"
            "2,1,\"Say \"\"hi\"\"\",2.5%,http://hi.example/,1\r\n");
}

TEST(RankOutputTest, JsonArrayOfObjects) {
  const std::string json = FormatRankRows(kRows, RankFormat::kJson);
  EXPECT_NE(json.find("\"title\": \"ニュース\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"hits\": 5"), std::string::npos);
  EXPECT_NE(json.find("\"rank\": 2"), std::string::npos);
  // Fields in the order of the list columns, after the place.
  EXPECT_LT(json.find("\"rank\""), json.find("\"icon\""));
  EXPECT_LT(json.find("\"title\""), json.find("\"rate\""));
  EXPECT_LT(json.find("\"address\""), json.find("\"hits\""));
  EXPECT_EQ(FormatRankRows({}, RankFormat::kJson), "[]\n");
  // A title in another encoding cannot break the output.
  const std::string bad = FormatRankRows({{"\xff", "", "", "2", 2}}, RankFormat::kJson);
  EXPECT_NE(bad.find("\"title\""), std::string::npos);
}

TEST(RankOutputTest, ParsesOnlyKnownFormats) {
  EXPECT_EQ(ParseRankFormat("csv"), RankFormat::kCsv);
  EXPECT_EQ(ParseRankFormat("json"), RankFormat::kJson);
  EXPECT_EQ(ParseRankFormat("tsv"), RankFormat::kTsv);
  EXPECT_FALSE(ParseRankFormat("CSV").has_value());
}

}  // namespace
}  // namespace zorvane
