// Moments given on the command line: a date, a date and time, or a span back from now,
// as microseconds since 1970-01-01 00:00 UTC (the unit of Firefox's visit times).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvane::when {

using Micros = std::int64_t;

// The moment `text` names, or nullopt when it names none:
// - "2026-11-01": the start of that day in local time;
// - "2026-12-07T11:10[:10[.123]]" with "Z", "+09:00", "+0900" or "-05:00" after it, or
//   without, in local time;
// - "7d", "4w", "3m": that many days, weeks (of exactly 24 hours each day) or calendar
//   months (the same day and time of the month, or its last day when it has fewer)
//   before `now`.
// Years 1970 to 9999; dates that do not exist (2026-02-30) and times past 23:59:59 name
// none.
std::optional<Micros> Parse(std::string_view text, Micros now);

// The moment as ISO 8601 in UTC ("2026-12-07T11:10:10Z"), for messages.
std::string FormatUtc(Micros moment);

}  // namespace zorvane::when
