#include "bench/report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorvane::bench {
namespace {

TEST(ReportTest, Median) {
  const struct {
    std::vector<double> values;
    double median;
  } cases[] = {{{}, 0}, {{3}, 3}, {{5, 1, 3}, 3}, {{4, 1, 3, 2}, 2.5}, {{2, 2, 9}, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.values.size());
    EXPECT_DOUBLE_EQ(Median(c.values), c.median);
  }
}

TEST(ReportTest, GrowthComparesWithTheTenfoldSmallerInputOfTheSameGroup) {
  const std::vector<Measurement> all = {
      {"build", 1000, 0, 0.1},
      {"build", 10000, 0, 0.8},
      {"rank list", 1000, 10000, 0.05},
      {"rank list", 1000, 100000, 0.5},
      {"rank list", 10000, 1000000, 9.0},  // no M=100,000 row for N=10,000
      {"rank index", 1000, 100000, 0.2},
  };
  EXPECT_FALSE(Growth(all, all[0]));
  EXPECT_DOUBLE_EQ(*Growth(all, all[1]), 8.0);
  EXPECT_FALSE(Growth(all, all[2]));
  EXPECT_DOUBLE_EQ(*Growth(all, all[3]), 10.0);
  EXPECT_FALSE(Growth(all, all[4]));
  EXPECT_FALSE(Growth(all, all[5]));  // the list row is another group
}

TEST(ReportTest, JudgesEachTargetOnItsOwnFigure) {
  std::vector<Measurement> all = {
      {"build", 1000, 0, 0.10, 0.01},  // too small to judge against the floor
      {"build", 10000, 0, 1.3, 0.6},   // 2.2x: missed; growth 13x: missed
      {"rank list", 10000, 100000, 0.06, 0.01},
      {"rank list", 10000, 1000000, 0.5, 0.3, 120, 0, 200},   // met, 8.3x growth
      {"rank index", 10000, 1000000, 1.8, 0.3, 121, 0, 200},  // 6x floor, 1.8 s, 121 MB
      {"rank places", 10000, 500000, 0.19, 0.1, 70, 0, 100},  // 1.9x sqlite3, 70 MB of 70
      {"rank places", 1000, 500000, 0.5, 0.1, 70, 0, 100},    // too small to judge
      {"rank places", 10000, 500000, 0.21, 0.1, 71, 0, 100},  // 2.1x, 71 MB of 70
      {"window", 0, 0, 0.25},
  };
  std::vector<std::string> met, missed;
  for (const Verdict& verdict : JudgeTargets(all)) {
    (verdict.met ? met : missed).push_back(verdict.target);
  }
  EXPECT_EQ(met,
            (std::vector<std::string>{
                "rank list N=10,000 M=1,000,000: at most 5x its read floor",
                "rank list N=10,000 M=1,000,000: under 1 s",
                "rank list N=10,000 M=1,000,000: peak memory at most half the source plus 20 MB",
                "rank list N=10,000 M=1,000,000: tenfold input at most 12x the time",
                "rank places N=10,000 M=500,000: at most 2x the sqlite3 scan",
                "rank places N=10,000 M=500,000: peak memory at most half the source plus 20 MB",
                "window first frame: under 300 ms",
            }));
  EXPECT_EQ(missed,
            (std::vector<std::string>{
                "build N=10,000: at most 2x its floor",
                "build N=10,000: tenfold input at most 12x the time",
                "rank index N=10,000 M=1,000,000: at most 5x its read floor",
                "rank index N=10,000 M=1,000,000: under 1 s",
                "rank index N=10,000 M=1,000,000: peak memory at most half the source plus 20 MB",
                "rank places N=10,000 M=500,000: at most 2x the sqlite3 scan",
                "rank places N=10,000 M=500,000: peak memory at most half the source plus 20 MB",
            }));
}

TEST(ReportTest, GroupsDigitsByThrees) {
  const struct {
    std::uint64_t value;
    const char* text;
  } cases[] = {{0, "0"}, {999, "999"}, {1000, "1,000"}, {1234567, "1,234,567"}};
  for (const auto& c : cases) EXPECT_EQ(GroupDigits(c.value), c.text);
}

}  // namespace
}  // namespace zorvane::bench
