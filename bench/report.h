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
  std::string group;    // "build", "rank list", "rank index", "window"
  std::uint64_t n = 0;  // shortcuts or favourites
  std::uint64_t m = 0;  // cache entries (0 for the build)
  double seconds = 0;
  double floor_seconds = 0;  // 0 when there is no floor
  double peak_mb = 0;
  double floor_peak_mb = 0;
  double source_mb = 0;  // the cache source's size (rankings), else 0
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
// 10,000 and 100,000; the ranking at most 2x its floor and under 1 s for M = 1,000,000
// and N = 10,000; tenfold inputs at most 12x the time; the ranking's peak memory at M =
// 1,000,000 under 3x the cache source; the window's first frame under 300 ms. Targets
// whose measurements are missing are left out.
std::vector<Verdict> JudgeTargets(const std::vector<Measurement>& all);

// "1,234,567".
std::string GroupDigits(std::uint64_t value);

}  // namespace zorvane::bench
