#include "bench/places_writer.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string_view>
#include <unordered_set>

#include "bench/process.h"

namespace zorvane::bench {
namespace {

// Firefox's own tables and indexes (the columns it has had since version 118).
constexpr char kSchema[] =
    "PRAGMA page_size = 32768;"
    "CREATE TABLE moz_origins (id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT "
    "NULL, frecency INTEGER NOT NULL, recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency "
    "INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0, UNIQUE (prefix, host));"
    "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, "
    "rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, "
    "typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date "
    "INTEGER, guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 "
    "NOT NULL, description TEXT, preview_image_url TEXT, site_name TEXT, origin_id INTEGER "
    "REFERENCES moz_origins(id), recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency "
    "INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, place_id "
    "INTEGER, visit_date INTEGER, visit_type INTEGER, session INTEGER, source INTEGER DEFAULT 0 "
    "NOT NULL, triggeringPlaceId INTEGER);";

constexpr char kIndexes[] =
    "CREATE INDEX moz_places_url_hashindex ON moz_places (url_hash);"
    "CREATE INDEX moz_places_hostindex ON moz_places (rev_host);"
    "CREATE INDEX moz_places_visitcount ON moz_places (visit_count);"
    "CREATE INDEX moz_places_frecencyindex ON moz_places (frecency);"
    "CREATE INDEX moz_places_lastvisitdateindex ON moz_places (last_visit_date);"
    "CREATE UNIQUE INDEX moz_places_guid_uniqueindex ON moz_places (guid);"
    "CREATE INDEX moz_places_originidindex ON moz_places (origin_id);"
    "CREATE INDEX moz_historyvisits_placedateindex ON moz_historyvisits (place_id, visit_date);"
    "CREATE INDEX moz_historyvisits_fromindex ON moz_historyvisits (from_visit);"
    "CREATE INDEX moz_historyvisits_dateindex ON moz_historyvisits (visit_date);";

struct CloseDatabase {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct Finalize {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

Statement Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  return Statement(statement);
}

// The host of an address, reversed with a final "." as Firefox stores it.
std::string ReversedHost(std::string_view url) {
  std::size_t start = url.find("://");
  start = start == std::string_view::npos ? 0 : start + 3;
  const std::size_t end = url.find('/', start);
  std::string host(url.substr(start, end == std::string_view::npos ? url.npos : end - start));
  return std::string(host.rbegin(), host.rend()) + ".";
}

std::string Guid(Random& random) {
  constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
  std::string guid;
  for (int i = 0; i < 12; ++i) guid.push_back(kAlphabet[random.Below(64)]);
  return guid;
}

// P(hits >= k) = 1/k, floored, as the cache's hit counts.
std::uint32_t ZipfVisits(Random& random, std::uint32_t max) {
  const double k = std::floor(1.0 / (1.0 - random.Unit()));
  if (!(k < static_cast<double>(max))) return max;
  return std::max<std::uint32_t>(1, static_cast<std::uint32_t>(k));
}

}  // namespace

bool WritePlacesDatabase(const std::string& path, const PlacesSpec& spec,
                         const std::vector<std::string>& favourites, PlacesSummary* summary) {
  RemoveFile(path);
  sqlite3* raw = nullptr;
  if (sqlite3_open(path.c_str(), &raw) != SQLITE_OK) {
    sqlite3_close(raw);
    return false;
  }
  std::unique_ptr<sqlite3, CloseDatabase> db(raw);
  if (sqlite3_exec(db.get(), kSchema, nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_exec(db.get(), "PRAGMA synchronous = OFF; BEGIN", nullptr, nullptr, nullptr) !=
          SQLITE_OK) {
    return false;
  }
  Statement place = Prepare(
      db.get(),
      "INSERT INTO moz_places (id, url, title, rev_host, visit_count, hidden, typed, frecency, "
      "last_visit_date, guid, url_hash) VALUES (?1, ?2, ?3, ?4, ?5, ?6, 0, ?7, ?8, ?9, ?10)");
  Statement visit = Prepare(db.get(),
                            "INSERT INTO moz_historyvisits (id, from_visit, place_id, "
                            "visit_date, visit_type, session) VALUES (?1, ?2, ?3, ?4, ?5, 0)");
  if (!place || !visit) return false;

  Random random(spec.seed);
  std::unordered_set<std::string_view> used;
  std::size_t next_favourite = 0;
  std::uint64_t viewed = 0;
  // The previous place's visit and whether that place counted a view; a redirect from it
  // takes that view away.
  std::int64_t previous_visit = 0;
  std::uint32_t previous_views = 0;
  bool previous_counted = false;
  std::int64_t visit_id = 0;
  std::int64_t date = 1700000000000000;
  for (std::size_t i = 0; i < spec.places; ++i) {
    const std::int64_t id = static_cast<std::int64_t>(i) + 1;
    std::string url;
    if (random.Chance(spec.favourite_share)) {
      while (next_favourite < favourites.size() &&
             !used.insert(favourites[next_favourite]).second) {
        ++next_favourite;
      }
      if (next_favourite < favourites.size()) url = favourites[next_favourite++];
    }
    if (url.empty()) {
      url = MakeAddress(random, (1ull << 41) + i,
                        LogUniform(random, spec.min_address_bytes, spec.max_address_bytes),
                        random.Chance(spec.japanese_share));
    }
    const bool hidden = random.Chance(spec.hidden_share);
    const std::uint32_t visits =
        random.Chance(spec.unvisited_share) ? 0 : ZipfVisits(random, spec.max_hits);
    const std::string title = "Page " + std::to_string(id);
    const std::string guid = Guid(random);
    date += static_cast<std::int64_t>(random.Below(60000000));
    sqlite3_bind_int64(place.get(), 1, id);
    sqlite3_bind_text(place.get(), 2, url.data(), static_cast<int>(url.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(place.get(), 3, title.data(), static_cast<int>(title.size()),
                      SQLITE_TRANSIENT);
    const std::string rev_host = ReversedHost(url);
    sqlite3_bind_text(place.get(), 4, rev_host.data(), static_cast<int>(rev_host.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_int64(place.get(), 5, visits);
    sqlite3_bind_int(place.get(), 6, hidden ? 1 : 0);
    sqlite3_bind_int64(place.get(), 7, visits * 100 + static_cast<std::int64_t>(random.Below(100)));
    if (visits > 0) {
      sqlite3_bind_int64(place.get(), 8, date);
    } else {
      sqlite3_bind_null(place.get(), 8);
    }
    sqlite3_bind_text(place.get(), 9, guid.data(), 12, SQLITE_TRANSIENT);
    sqlite3_bind_int64(place.get(), 10,
                       static_cast<std::int64_t>(std::hash<std::string>()(url) & 0xFFFFFFFFFFFF));
    if (sqlite3_step(place.get()) != SQLITE_DONE) return false;
    sqlite3_reset(place.get());

    std::uint32_t views = visits;
    if (visits > 0) {
      // One visit of the place is kept (the last); it may have been reached by a server
      // redirect from the previous place's visit, which then was no view.
      const bool redirected = previous_visit != 0 && random.Chance(spec.redirect_share);
      ++visit_id;
      sqlite3_bind_int64(visit.get(), 1, visit_id);
      sqlite3_bind_int64(visit.get(), 2, redirected ? previous_visit : 0);
      sqlite3_bind_int64(visit.get(), 3, id);
      sqlite3_bind_int64(visit.get(), 4, date);
      sqlite3_bind_int(visit.get(), 5, redirected ? 5 + static_cast<int>(random.Below(2)) : 1);
      if (sqlite3_step(visit.get()) != SQLITE_DONE) return false;
      sqlite3_reset(visit.get());
      if (redirected && previous_counted && previous_views == 1) --viewed;
      previous_visit = visit_id;
    } else {
      previous_visit = 0;
    }
    previous_counted = !hidden && views > 0;
    previous_views = views;
    if (previous_counted) ++viewed;
  }
  if (sqlite3_exec(db.get(), kIndexes, nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return false;
  }
  place.reset();
  visit.reset();
  db.reset();
  summary->viewed = viewed;
  summary->bytes = static_cast<std::uint64_t>(FileSize(path));
  return true;
}

}  // namespace zorvane::bench
