#include "base/when.h"

#include <cstdio>
#include <ctime>

namespace zorvane::when {
namespace {

constexpr Micros kMicrosPerSecond = 1000000;
constexpr Micros kMicrosPerDay = 86400 * kMicrosPerSecond;

// Reads exactly `digits` decimal digits at text[*at], moving past them.
bool Digits(std::string_view text, std::size_t* at, int digits, int* value) {
  if (*at + static_cast<std::size_t>(digits) > text.size()) return false;
  int number = 0;
  for (int i = 0; i < digits; ++i) {
    const char c = text[*at + static_cast<std::size_t>(i)];
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  *at += static_cast<std::size_t>(digits);
  *value = number;
  return true;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the date (proleptic Gregorian calendar), without the system.
Micros DaysFromEpoch(int year, int month, int day) {
  const int y = month <= 2 ? year - 1 : year;
  const int era = y / 400;
  const int year_of_era = y - era * 400;
  const int month_index = (month + 9) % 12;
  const int day_of_year = (153 * month_index + 2) / 5 + day - 1;
  const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return static_cast<Micros>(era) * 146097 + day_of_era - 719468;
}

// A local date and time as a moment, by the system's time zone rules.
std::optional<Micros> FromLocal(int year, int month, int day, int hour, int minute, int second) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&local);
  if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
  return static_cast<Micros>(seconds) * kMicrosPerSecond;
}

std::optional<Micros> ParseSpan(std::string_view text, Micros now) {
  if (text.size() < 2 || text.size() > 7) return std::nullopt;
  const char unit = text.back();
  int count = 0;
  for (const char c : text.substr(0, text.size() - 1)) {
    if (c < '0' || c > '9') return std::nullopt;
    count = count * 10 + (c - '0');
  }
  if (unit == 'd') return now - count * kMicrosPerDay;
  if (unit == 'w') return now - count * 7 * kMicrosPerDay;
  if (unit != 'm') return std::nullopt;
  // Calendar months back, in local time: the same day and time, or the month's last day.
  const std::time_t seconds = static_cast<std::time_t>(now / kMicrosPerSecond);
  // One thread asks at a time: the command line is read before anything runs.
  const std::tm* now_local = std::localtime(&seconds);
  if (now_local == nullptr) return std::nullopt;
  const std::tm local = *now_local;
  int months = local.tm_year * 12 + local.tm_mon - count;
  if (months < 70 * 12) return std::nullopt;
  const int year = months / 12 + 1900;
  const int month = months % 12 + 1;
  const int day =
      local.tm_mday < DaysInMonth(year, month) ? local.tm_mday : DaysInMonth(year, month);
  const std::optional<Micros> moment =
      FromLocal(year, month, day, local.tm_hour, local.tm_min, local.tm_sec);
  if (!moment) return std::nullopt;
  return *moment + now % kMicrosPerSecond;
}

}  // namespace

std::optional<Micros> Parse(std::string_view text, Micros now) {
  if (const std::optional<Micros> span = ParseSpan(text, now)) return span;
  std::size_t at = 0;
  int year = 0, month = 0, day = 0;
  if (!Digits(text, &at, 4, &year) || at >= text.size() || text[at++] != '-' ||
      !Digits(text, &at, 2, &month) || at >= text.size() || text[at++] != '-' ||
      !Digits(text, &at, 2, &day)) {
    return std::nullopt;
  }
  if (year < 1970 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
    return std::nullopt;
  }
  if (at == text.size()) return FromLocal(year, month, day, 0, 0, 0);

  int hour = 0, minute = 0, second = 0;
  Micros fraction = 0;
  if ((text[at] != 'T' && text[at] != 't' && text[at] != ' ') || !Digits(text, &++at, 2, &hour) ||
      at >= text.size() || text[at++] != ':' || !Digits(text, &at, 2, &minute)) {
    return std::nullopt;
  }
  if (at < text.size() && text[at] == ':') {
    if (!Digits(text, &++at, 2, &second)) return std::nullopt;
    if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
      Micros scale = kMicrosPerSecond;
      const std::size_t first = ++at;
      while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        scale /= 10;
        fraction += (text[at++] - '0') * scale;
      }
      if (at == first) return std::nullopt;
    }
  }
  if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
  if (at == text.size()) {
    const std::optional<Micros> local = FromLocal(year, month, day, hour, minute, second);
    if (!local) return std::nullopt;
    return *local + fraction;
  }
  // A zone: "Z" or an offset from UTC.
  Micros offset = 0;
  if (text[at] == 'Z' || text[at] == 'z') {
    ++at;
  } else if (text[at] == '+' || text[at] == '-') {
    const bool behind = text[at++] == '-';
    int offset_hours = 0, offset_minutes = 0;
    if (!Digits(text, &at, 2, &offset_hours)) return std::nullopt;
    if (at < text.size() && text[at] == ':') ++at;
    if (!Digits(text, &at, 2, &offset_minutes) || offset_hours > 23 || offset_minutes > 59) {
      return std::nullopt;
    }
    offset = (offset_hours * 60 + offset_minutes) * 60 * kMicrosPerSecond;
    if (behind) offset = -offset;
  } else {
    return std::nullopt;
  }
  if (at != text.size()) return std::nullopt;
  return DaysFromEpoch(year, month, day) * kMicrosPerDay +
         ((hour * 60 + minute) * 60 + second) * kMicrosPerSecond + fraction - offset;
}

std::string FormatUtc(Micros moment) {
  Micros days = moment / kMicrosPerDay;
  Micros rest = moment % kMicrosPerDay;
  if (rest < 0) {
    rest += kMicrosPerDay;
    --days;
  }
  // The civil date of a day count (the inverse of DaysFromEpoch).
  const Micros z = days + 719468;
  const Micros era = (z >= 0 ? z : z - 146096) / 146097;
  const Micros day_of_era = z - era * 146097;
  const Micros year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const Micros day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const Micros month_index = (5 * day_of_year + 2) / 153;
  const int day = static_cast<int>(day_of_year - (153 * month_index + 2) / 5 + 1);
  const int month = static_cast<int>(month_index < 10 ? month_index + 3 : month_index - 9);
  const int year = static_cast<int>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
  const Micros seconds = rest / kMicrosPerSecond;
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ", year, month, day,
                static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return buffer;
}

}  // namespace zorvane::when
