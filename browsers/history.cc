#include "browsers/history.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "browsers/file_identity.h"
#include "browsers/sqlite_copy.h"

namespace zorvane::browsers {
namespace {

// Hit counts are read as signed 32-bit numbers further on.
constexpr std::int64_t kMaxHitCount = 2147483647;
constexpr std::size_t kBlockSize = 4 << 20;

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

// ---- MergedHistory --------------------------------------------------------------------

void MergedHistory::Begin() {
  first_of_database_ = static_cast<std::uint32_t>(entries_.size());
  undo_.clear();
}

void MergedHistory::Add(std::string_view address, std::uint32_t hits) {
  if (2 * (entries_.size() + 1) > slots_.size()) Grow();
  const std::uint64_t hash = std::hash<std::string_view>()(address);
  // The address is stored while its slot is fetched from memory; most addresses are new.
  __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
  const char* stored = Store(address);
  Slot* slot = Find(address, hash);
  if (slot->index == kEmpty) {
    *slot = Slot{static_cast<std::uint32_t>(entries_.size()), static_cast<std::uint32_t>(hash)};
    entries_.push_back(Entry{stored, static_cast<std::uint32_t>(address.size()), hits});
    return;
  }
  Unstore(address.size());
  Entry& entry = entries_[slot->index];
  if (slot->index < first_of_database_) undo_.emplace_back(slot->index, entry.hits);
  entry.hits = static_cast<std::uint32_t>(
      std::min<std::int64_t>(std::int64_t{entry.hits} + hits, kMaxHitCount));
}

void MergedHistory::Rollback() {
  for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) entries_[it->first].hits = it->second;
  entries_.resize(first_of_database_);
  Place(std::vector<Slot>(slots_.size()));
}

const char* MergedHistory::Store(std::string_view address) {
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
  return data;
}

// Gives back the bytes the last Store took.
void MergedHistory::Unstore(std::size_t size) {
  block_end_ -= size;
  block_left_ += size;
}

// The slot that holds `address`, or the empty one where it belongs (open addressing,
// linear probing, at most half full).
MergedHistory::Slot* MergedHistory::Find(std::string_view address, std::uint64_t hash) {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    Slot& slot = slots_[i];
    if (slot.index == kEmpty) return &slot;
    if (slot.hash == static_cast<std::uint32_t>(hash) && this->address(slot.index) == address) {
      return &slot;
    }
  }
}

void MergedHistory::Grow() { Place(std::vector<Slot>(slots_.empty() ? 1024 : 2 * slots_.size())); }

// Moves the slots of the entries there are into `empty` and keeps it as the table. The
// halves of the hashes the slots keep place them without reading an address (the table
// never has 2^32 slots).
void MergedHistory::Place(std::vector<Slot> empty) {
  empty.swap(slots_);
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : empty) {
    if (slot.index == kEmpty || slot.index >= entries_.size()) continue;
    std::size_t i = slot.hash & mask;
    while (slots_[i].index != kEmpty) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

// ---- Reading several ------------------------------------------------------------------

void ReadHistories(const std::vector<std::string>& paths,
                   const std::function<void(const std::string&, SourceStatus)>& report,
                   MergedHistory* merged) {
  SeenFiles seen;
  for (const std::string& path : paths) {
    if (!seen.Insert(path)) continue;
    merged->Begin();
    const SourceStatus status = ReadBrowserHistory(
        path, [&](std::string_view address, std::uint32_t hits) { merged->Add(address, hits); });
    if (status != SourceStatus::kRead) {
      merged->Rollback();
      if (report) report(path, status);
    }
  }
}

}  // namespace zorvane::browsers
