#include "bench/report.h"

#include <algorithm>
#include <cstdio>

namespace zorvane::bench {
namespace {

constexpr double kBuildFloorFactor = 2.0;
constexpr double kRankFloorFactor = 5.0;
constexpr double kSqliteFactor = 2.0;
constexpr double kGrowthLimit = 12.0;
constexpr double kRankSecondsLimit = 1.0;
constexpr double kMemoryShareOfSource = 0.5;
constexpr double kMemoryAllowanceMb = 20.0;
constexpr double kWindowSecondsLimit = 0.3;

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof(text), "%.*f", decimals, value);
  return text;
}

std::string Name(const Measurement& row) {
  if (row.group == "build") return "build N=" + GroupDigits(row.n);
  if (row.group == "window") return "window first frame";
  return row.group + " N=" + GroupDigits(row.n) + " M=" + GroupDigits(row.m);
}

}  // namespace

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

std::optional<double> Ratio(double a, double b) {
  if (!(b > 0)) return std::nullopt;
  return a / b;
}

std::optional<double> Growth(const std::vector<Measurement>& all, const Measurement& row) {
  for (const Measurement& other : all) {
    if (other.group != row.group) continue;
    const bool build_step = row.group == "build" && other.n * 10 == row.n;
    const bool rank_step =
        row.group != "build" && other.n == row.n && row.m > 0 && other.m * 10 == row.m;
    if (build_step || rank_step) return Ratio(row.seconds, other.seconds);
  }
  return std::nullopt;
}

std::vector<Verdict> JudgeTargets(const std::vector<Measurement>& all) {
  std::vector<Verdict> verdicts;
  for (const Measurement& row : all) {
    const std::string name = Name(row);
    const std::optional<double> floor_ratio = Ratio(row.seconds, row.floor_seconds);
    const bool big_build = row.group == "build" && (row.n == 10000 || row.n == 100000);
    const bool big_rank = (row.group == "rank list" || row.group == "rank index") &&
                          row.m == 1000000 && row.n == 10000;
    const bool big_places = row.group == "rank places" && row.m == 500000 && row.n == 10000;
    if (big_build && floor_ratio) {
      verdicts.push_back({name + ": at most 2x its floor", Fixed(*floor_ratio, 1) + "x",
                          *floor_ratio <= kBuildFloorFactor});
    }
    if (big_rank && floor_ratio) {
      verdicts.push_back({name + ": at most 5x its read floor", Fixed(*floor_ratio, 1) + "x",
                          *floor_ratio <= kRankFloorFactor});
    }
    if (big_rank) {
      verdicts.push_back(
          {name + ": under 1 s", Fixed(row.seconds, 3) + " s", row.seconds < kRankSecondsLimit});
    }
    if (big_places && floor_ratio) {
      verdicts.push_back({name + ": at most 2x the sqlite3 scan", Fixed(*floor_ratio, 1) + "x",
                          *floor_ratio <= kSqliteFactor});
    }
    if ((big_rank || big_places) && row.source_mb > 0) {
      const double limit = row.source_mb * kMemoryShareOfSource + kMemoryAllowanceMb;
      verdicts.push_back({name + ": peak memory at most half the source plus 20 MB",
                          Fixed(row.peak_mb, 0) + " MB of " + Fixed(limit, 0) + " MB",
                          row.peak_mb <= limit});
    }
    if (const auto growth = Growth(all, row)) {
      verdicts.push_back({name + ": tenfold input at most 12x the time", Fixed(*growth, 1) + "x",
                          *growth <= kGrowthLimit});
    }
    if (row.group == "window") {
      verdicts.push_back({name + ": under 300 ms", Fixed(row.seconds * 1000, 0) + " ms",
                          row.seconds < kWindowSecondsLimit});
    }
  }
  return verdicts;
}

std::string GroupDigits(std::uint64_t value) {
  const std::string digits = std::to_string(value);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped.push_back(',');
    grouped.push_back(digits[i]);
  }
  return grouped;
}

}  // namespace zorvane::bench
