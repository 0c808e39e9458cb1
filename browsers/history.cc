#include "browsers/history.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "browsers/sqlite_copy.h"
#include "browsers/utf8_path.h"

namespace zorvane::browsers {
namespace {

namespace fs = std::filesystem;

// Hit counts are read as signed 32-bit numbers further on.
constexpr std::int64_t kMaxHitCount = 2147483647;

// Firefox's visit types of a visit reached through a server redirect: 5 permanent
// (301, 308), 6 temporary (302, 303, 307). Each place loses the visits such a visit
// came from.
constexpr char kFirefoxQuery[] =
    "SELECT p.url, p.visit_count - coalesce(r.starts, 0) FROM moz_places p "
    "LEFT JOIN (SELECT v.place_id AS place, count(DISTINCT v.id) AS starts "
    "           FROM moz_historyvisits w JOIN moz_historyvisits v ON v.id = w.from_visit "
    "           WHERE w.visit_type IN (5, 6) GROUP BY v.place_id) r ON r.place = p.id "
    "WHERE coalesce(p.hidden, 0) = 0 AND p.visit_count > 0 ORDER BY p.id";

// Files without the visits table (none that a browser writes) count every visit.
constexpr char kFirefoxQueryWithoutVisits[] =
    "SELECT url, visit_count FROM moz_places "
    "WHERE coalesce(hidden, 0) = 0 AND visit_count > 0 ORDER BY id";

// Chromium's transition qualifier of a visit reached through a server redirect. The
// column holds the 32-bit value as a signed number; the bit tests the same either way.
// Each URL loses the visits that such a visit came from.
constexpr char kChromiumQuery[] =
    "SELECT u.url, u.visit_count - coalesce(r.starts, 0) FROM urls u "
    "LEFT JOIN (SELECT v.url AS url_id, count(DISTINCT v.id) AS starts "
    "           FROM visits w JOIN visits v ON v.id = w.from_visit "
    "           WHERE (w.transition & 0x80000000) != 0 GROUP BY v.url) r ON r.url_id = u.id "
    "WHERE coalesce(u.hidden, 0) = 0 AND u.visit_count > 0 ORDER BY u.id";

constexpr char kChromiumQueryWithoutVisits[] =
    "SELECT url, visit_count FROM urls "
    "WHERE coalesce(hidden, 0) = 0 AND visit_count > 0 ORDER BY id";

SourceStatus ReadRows(sqlite3* db, std::vector<HistoryRow>* rows) {
  const char* sql = nullptr;
  if (HasTable(db, "moz_places")) {
    sql = HasTable(db, "moz_historyvisits") ? kFirefoxQuery : kFirefoxQueryWithoutVisits;
  } else if (HasTable(db, "urls")) {
    sql = HasTable(db, "visits") ? kChromiumQuery : kChromiumQueryWithoutVisits;
  } else {
    // An unreadable schema is damage, a readable one without history tables another kind.
    return Prepare(db, "SELECT 1 FROM sqlite_master") ? SourceStatus::kUnknownKind
                                                      : SourceStatus::kDamaged;
  }
  StatementPtr query = Prepare(db, sql);
  if (!query) return SourceStatus::kDamaged;
  int rc;
  while ((rc = sqlite3_step(query.get())) == SQLITE_ROW) {
    const std::string_view url = ColumnText(query.get(), 0);
    if (url.empty()) continue;
    std::int64_t views = sqlite3_column_int64(query.get(), 1);
    if (views <= 0) continue;  // only redirected, or a count stored as text reading as 0
    if (views > kMaxHitCount) views = kMaxHitCount;
    rows->push_back(HistoryRow{std::string(url), static_cast<std::uint32_t>(views)});
  }
  return rc == SQLITE_DONE ? SourceStatus::kRead : SourceStatus::kDamaged;
}

}  // namespace

SourceStatus ReadBrowserHistory(const std::string& path, std::vector<HistoryRow>* rows) {
  rows->clear();
  const SourceStatus status =
      ReadSqliteDatabaseCopy(path, [&](sqlite3* db) { return ReadRows(db, rows); });
  if (status != SourceStatus::kRead) rows->clear();
  return status;
}

std::vector<std::size_t> MergedHistory::Add(const std::vector<HistoryRow>& rows) {
  std::vector<std::size_t> first;
  for (const HistoryRow& row : rows) {
    const auto [it, added] = index_.try_emplace(row.address, rows_.size());
    if (added) {
      first.push_back(rows_.size());
      rows_.push_back(row);
    } else {
      std::uint32_t& hits = rows_[it->second].hits;
      hits = static_cast<std::uint32_t>(
          std::min<std::int64_t>(std::int64_t{hits} + row.hits, kMaxHitCount));
    }
  }
  return first;
}

std::string FileIdentity(const std::string& path) {
  std::error_code error;
  const fs::path file = PathFromUtf8(path);
  const fs::path canonical = fs::canonical(file, error);
  return Utf8FromPath(error ? file.lexically_normal() : canonical);
}

MergedHistory ReadHistories(const std::vector<std::string>& paths,
                            const std::function<void(const std::string&, SourceStatus)>& report) {
  MergedHistory merged;
  std::set<std::string> seen;
  for (const std::string& path : paths) {
    if (!seen.insert(FileIdentity(path)).second) continue;
    std::vector<HistoryRow> rows;
    if (const SourceStatus status = ReadBrowserHistory(path, &rows); status != SourceStatus::kRead) {
      if (report) report(path, status);
      continue;
    }
    merged.Add(rows);
  }
  return merged;
}

}  // namespace zorvane::browsers
