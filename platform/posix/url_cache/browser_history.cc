#include "platform/posix/url_cache/browser_history.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/cp932.h"
#include "platform/posix/url_cache/sqlite_copy.h"
#include "platform/text.h"

namespace zorvane {
namespace {

// Hit counts are read as signed 32-bit numbers further on.
constexpr std::int64_t kMaxHitCount = 2147483647;
constexpr std::uint32_t kNormalEntry = 0x1;

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

SourceStatus ReadRows(sqlite3* db, HistoryRows* rows) {
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
    rows->Add(url, static_cast<std::uint32_t>(views));
  }
  return rc == SQLITE_DONE ? SourceStatus::kRead : SourceStatus::kDamaged;
}

}  // namespace

void HistoryRows::Add(std::string_view address, std::uint32_t hits) {
  // Blocks of 4 MiB; an address longer than a block gets one of its own.
  constexpr std::size_t kBlockSize = 4 << 20;
  if (address.size() > block_left_) {
    const std::size_t size = std::max(kBlockSize, address.size());
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    block_end_ = blocks_.back().get();
    block_left_ = size;
  }
  char* data = block_end_;
  address.copy(data, address.size());
  block_end_ += address.size();
  block_left_ -= address.size();
  rows_.push_back(Row{data, static_cast<std::uint32_t>(address.size()), hits});
}

std::vector<std::unique_ptr<char[]>> HistoryRows::TakeBlocks() {
  std::vector<std::unique_ptr<char[]>> blocks = std::move(blocks_);
  Clear();
  return blocks;
}

void HistoryRows::Clear() {
  std::vector<Row>().swap(rows_);
  blocks_.clear();
  blocks_.shrink_to_fit();
  block_left_ = 0;
  block_end_ = nullptr;
}

SourceStatus ReadBrowserHistory(const std::string& path, HistoryRows* rows) {
  rows->Clear();
  const SourceStatus status =
      ReadSqliteDatabaseCopy(path, [&](sqlite3* db) { return ReadRows(db, rows); });
  if (status != SourceStatus::kRead) rows->Clear();
  return status;
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
  HistoryRows rows;
  ReadBrowserHistory(path, &rows);
  std::string scratch;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    UrlCacheEntry entry;
    entry.type = kNormalEntry;
    entry.address = HistoryEntryAddress(rows.address(i), &scratch);
    entry.hit_rate = rows.hits(i);
    entry.encoding = AddressEncoding::kUtf8;
    if (!visit(entry)) return false;
  }
  return true;
}

}  // namespace zorvane
