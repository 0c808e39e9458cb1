// The arithmetic and the judgement of the benchmark report, apart from any measuring.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorvane::bench {

// The median of `values` (the mean of the two middle ones for an even count); 0 for none.
double Median(std::vector<double> values);

// One measured command and its floor, medians of the repeats.
struct Measurement {
  std::string group;    // "build", "rank list", "rank index", "rank places", "window"
  std::uint64_t n = 0;  // shortcuts or favourites
  std::uint64_t m = 0;  // cache entries (0 for the build)
  double seconds = 0;
  double floor_seconds = 0;  // 0 when there is no floor; for "rank places" the sqlite3 scan
  double peak_mb = 0;
  double floor_peak_mb = 0;
  double source_mb = 0;  // the cache source's size (rankings), else 0
  double parse_floor_seconds = 0;  // "rank list": the source's lines counted (wc -l), else 0
};

// `a` / `b`, or nullopt when `b` is not positive.
std::optional<double> Ratio(double a, double b);

// The time of `row` over the time of the measurement of the same group with a tenth of
// its input (same N for the ranking, M a tenth; N a tenth for the build); nullopt when
// there is none.
std::optional<double> Growth(const std::vector<Measurement>& all, const Measurement& row);

// One target and whether the measurements meet it.
struct Verdict {
  std::string target;
  std::string figure;  // the measured figure the verdict rests on
  bool met = false;
};

// Judges the targets the measurements allow: the build at most 2x its floor for N =
// 10,000 and 100,000; for N = 10,000, the ranking of a cache list or index files of M =
// 1,000,000 entries at most 5x its read floor and under 1 s, the ranking of a
// places.sqlite of M = 500,000 places at most 2x the sqlite3 scan of it, and each of
// these three at a peak memory of at most half the source's size plus 20 MB; tenfold
// inputs at most 12x the time; the window's first frame under 300 ms. Targets whose
// measurements are missing are left out.
std::vector<Verdict> JudgeTargets(const std::vector<Measurement>& all);

// "1,234,567".
std::string GroupDigits(std::uint64_t value);

}  // namespace zorvane::bench
