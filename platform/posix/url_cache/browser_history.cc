#include "platform/posix/url_cache/browser_history.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/posix/cp932.h"
#include "platform/posix/url_cache/sqlite_copy.h"
#include "platform/text.h"

namespace zorvane {
namespace {

// Hit counts are read as signed 32-bit numbers further on.
constexpr std::int64_t kMaxHitCount = 2147483647;
constexpr std::uint32_t kNormalEntry = 0x1;

// The views of a place are its visit count less the visits that only led on through a
// server redirect: those whose successor (the visit whose from_visit they are) came
// through one. These few are counted first, per place; the places are then read in one
// plain scan of their table, in the order of their ids, taking only the columns used.
//
// Firefox's visit types of a visit reached through a server redirect: 5 permanent
// (301, 308), 6 temporary (302, 303, 307).
//
// The visits are walked once (CROSS JOIN keeps them the outer loop, as SQLite would
// otherwise probe the index of from_visit once per visit) and the few redirected ones
// look up their predecessor by its id.
constexpr char kFirefoxRedirectStarts[] =
    "SELECT v.place_id, count(DISTINCT v.id) FROM moz_historyvisits w "
    "CROSS JOIN moz_historyvisits v ON v.id = w.from_visit "
    "WHERE w.visit_type IN (5, 6) GROUP BY v.place_id";
constexpr char kFirefoxPlaces[] =
    "SELECT id, url, visit_count FROM moz_places "
    "WHERE coalesce(hidden, 0) = 0 AND visit_count > 0 ORDER BY id";

// Chromium's transition qualifier of a visit reached through a server redirect. The
// column holds the 32-bit value as a signed number; the bit tests the same either way.
constexpr char kChromiumRedirectStarts[] =
    "SELECT v.url, count(DISTINCT v.id) FROM visits w CROSS JOIN visits v ON v.id = w.from_visit "
    "WHERE (w.transition & 0x80000000) != 0 GROUP BY v.url";
constexpr char kChromiumUrls[] =
    "SELECT id, url, visit_count FROM urls "
    "WHERE coalesce(hidden, 0) = 0 AND visit_count > 0 ORDER BY id";

// Redirect starts per place id, in the order of the ids. False when the query failed.
bool ReadRedirectStarts(sqlite3* db, const char* sql,
                        std::vector<std::pair<std::int64_t, std::int64_t>>* starts) {
  StatementPtr query = Prepare(db, sql);
  if (!query) return false;
  int rc;
  while ((rc = sqlite3_step(query.get())) == SQLITE_ROW) {
    // Only an integer equals a place's id.
    if (sqlite3_column_type(query.get(), 0) != SQLITE_INTEGER) continue;
    starts->emplace_back(sqlite3_column_int64(query.get(), 0),
                         sqlite3_column_int64(query.get(), 1));
  }
  std::sort(starts->begin(), starts->end());
  return rc == SQLITE_DONE;
}

SourceStatus ReadRows(sqlite3* db, const HistoryRowSink& sink) {
  const char* places_sql = nullptr;
  const char* starts_sql = nullptr;
  if (HasTable(db, "moz_places")) {
    places_sql = kFirefoxPlaces;
    // Files without the visits table (none that a browser writes) count every visit.
    if (HasTable(db, "moz_historyvisits")) starts_sql = kFirefoxRedirectStarts;
  } else if (HasTable(db, "urls")) {
    places_sql = kChromiumUrls;
    if (HasTable(db, "visits")) starts_sql = kChromiumRedirectStarts;
  } else {
    // An unreadable schema is damage, a readable one without history tables another kind.
    return Prepare(db, "SELECT 1 FROM sqlite_master") ? SourceStatus::kUnknownKind
                                                      : SourceStatus::kDamaged;
  }
  std::vector<std::pair<std::int64_t, std::int64_t>> starts;
  if (starts_sql != nullptr && !ReadRedirectStarts(db, starts_sql, &starts)) {
    return SourceStatus::kDamaged;
  }
  StatementPtr query = Prepare(db, places_sql);
  if (!query) return SourceStatus::kDamaged;
  // The places come in the order of their ids, as the starts do: one cursor walks both.
  auto next_start = starts.begin();
  int rc;
  while ((rc = sqlite3_step(query.get())) == SQLITE_ROW) {
    const std::int64_t id = sqlite3_column_int64(query.get(), 0);
    while (next_start != starts.end() && next_start->first < id) ++next_start;
    const std::string_view url = ColumnText(query.get(), 1);
    if (url.empty()) continue;
    std::int64_t views = sqlite3_column_int64(query.get(), 2);
    if (next_start != starts.end() && next_start->first == id) views -= next_start->second;
    if (views <= 0) continue;  // only redirected, or a count stored as text reading as 0
    if (views > kMaxHitCount) views = kMaxHitCount;
    sink(url, static_cast<std::uint32_t>(views));
  }
  return rc == SQLITE_DONE ? SourceStatus::kRead : SourceStatus::kDamaged;
}

}  // namespace

SourceStatus ReadBrowserHistory(const std::string& path, const HistoryRowSink& sink) {
  return ReadSqliteDatabaseCopy(path, [&](sqlite3* db) { return ReadRows(db, sink); });
}

std::string AddressForCodePage(std::string_view utf8) {
  return text::PercentEncodeNonAsciiUnless(utf8, [](std::string_view character) {
    return cp932::ToUtf8(cp932::FromUtf8(character)) == character;
  });
}

std::string_view HistoryEntryAddress(std::string_view utf8, std::string* scratch) {
  // A whole round trip means no character would be percent-encoded.
  if (cp932::SurvivesRoundTrip(utf8)) return utf8;
  *scratch = AddressForCodePage(utf8);
  return *scratch;
}

bool EnumerateBrowserHistory(const std::string& path,
                             const std::function<bool(const UrlCacheEntry&)>& visit) {
  // The copy is gone before the first entry is handed out, however long the caller takes.
  std::vector<std::pair<std::string, std::uint32_t>> rows;
  if (ReadBrowserHistory(path, [&](std::string_view address, std::uint32_t hits) {
        rows.emplace_back(address, hits);
      }) != SourceStatus::kRead) {
    rows.clear();
  }
  std::string scratch;
  for (const auto& [address, hits] : rows) {
    UrlCacheEntry entry;
    entry.type = kNormalEntry;
    entry.address = HistoryEntryAddress(address, &scratch);
    entry.hit_rate = hits;
    entry.encoding = AddressEncoding::kUtf8;
    if (!visit(entry)) return false;
  }
  return true;
}

}  // namespace zorvane
