// Moments of the command line, in a fixed time zone (Japan: no summer time) so that local
// dates are known; each row names the moment it must give, in UTC.
#include "base/when.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace zorvane::when {
namespace {

class WhenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) saved_ = tz;
    setenv("TZ", "JST-9", 1);
    tzset();
  }
  void TearDown() override {
    if (saved_.empty()) {
      unsetenv("TZ");
    } else {
      setenv("TZ", saved_.c_str(), 1);
    }
    tzset();
  }
  std::string saved_;
};

TEST_F(WhenTest, DatesTimesAndSpans) {
  const Micros now = *Parse("2026-03-31T12:00:00Z", 0);
  const struct {
    const char* text;
    const char* moment;  // "" when the text names none
  } cases[] = {
      {"2026-11-01", "2026-10-31T15:00:00Z"},  // local midnight, nine hours ahead of UTC
      {"2026-12-07T11:10:10Z", "2026-12-07T11:10:10Z"},
      {"2026-12-07T11:10:10.5Z", "2026-12-07T11:10:10Z"},
      {"2026-12-07T11:10+09:00", "2026-12-07T02:10:00Z"},
      {"2026-12-07T11:10-0500", "2026-12-07T16:10:00Z"},
      {"2026-12-07T11:10:10", "2026-12-07T02:10:10Z"},  // local
      {"2024-02-29", "2024-02-28T15:00:00Z"},
      {"7d", "2026-03-24T12:00:00Z"},
      {"4w", "2026-03-03T12:00:00Z"},
      {"1m", "2026-02-28T12:00:00Z"},  // the month has no 31st: its last day
      {"3m", "2025-12-31T12:00:00Z"},
      {"2026-02-30", ""},
      {"2025-02-29", ""},
      {"2026-13-01", ""},
      {"2026-12-07T24:00", ""},
      {"2026-12-07T11:10Q", ""},
      {"2026-12-07T11:10:10.Z", ""},
      {"1969-12-31", ""},
      {"26-12-07", ""},
      {"7", ""},
      {"7y", ""},
      {"d", ""},
      {"", ""},
      {"yesterday", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<Micros> moment = Parse(c.text, now);
    EXPECT_EQ(moment ? FormatUtc(*moment) : "", c.moment);
  }
  EXPECT_EQ(*Parse("2026-12-07T11:10:10.25Z", now) % 1000000, 250000);
}

}  // namespace
}  // namespace zorvane::when
