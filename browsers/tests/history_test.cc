#include "browsers/history.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browsers/sqlite_copy.h"
#include "browsers/tests/browser_test_util.h"

namespace zorvane::browsers {
namespace {

namespace fs = std::filesystem;
using testing::FileSnapshot;
using testing::ReadBytes;
using testing::RunSql;
using testing::WriteBytes;

// The tables a Firefox places.sqlite holds, as Firefox creates them (the ones that matter
// here; the real file has more).
constexpr char kFirefoxSchema[] = R"sql(
CREATE TABLE moz_origins (id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT NULL,
  frecency INTEGER NOT NULL, UNIQUE (prefix, host));
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR,
  rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL,
  typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL,
  last_visit_date INTEGER, guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL,
  url_hash INTEGER DEFAULT 0 NOT NULL, description TEXT, preview_image_url TEXT,
  site_name TEXT, origin_id INTEGER REFERENCES moz_origins(id),
  recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER,
  recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);
CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER,
  place_id INTEGER, visit_date INTEGER, visit_type INTEGER, session INTEGER,
  source INTEGER DEFAULT 0 NOT NULL, triggeringPlaceId INTEGER);
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL,
  parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER,
  folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT,
  syncStatus INTEGER NOT NULL DEFAULT 0, syncChangeCounter INTEGER NOT NULL DEFAULT 1);
CREATE UNIQUE INDEX moz_places_guid_uniqueindex ON moz_places (guid);
CREATE INDEX moz_places_url_hashindex ON moz_places (url_hash);
CREATE INDEX moz_historyvisits_placedateindex ON moz_historyvisits (place_id, visit_date);
)sql";

// The tables a Chromium History file holds, as Chromium creates them (the ones that
// matter here).
constexpr char kChromiumSchema[] = R"sql(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT,url LONGVARCHAR,title LONGVARCHAR,
  visit_count INTEGER DEFAULT 0 NOT NULL,typed_count INTEGER DEFAULT 0 NOT NULL,
  last_visit_time INTEGER NOT NULL,hidden INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE visits(id INTEGER PRIMARY KEY AUTOINCREMENT,url INTEGER NOT NULL,
  visit_time INTEGER NOT NULL,from_visit INTEGER,transition INTEGER DEFAULT 0 NOT NULL,
  segment_id INTEGER,visit_duration INTEGER DEFAULT 0 NOT NULL);
CREATE INDEX urls_url_index ON urls (url);
CREATE INDEX visits_url_index ON visits (url);
INSERT INTO meta VALUES ('version', '66');
)sql";

struct Place {
  const char* url;  // nullptr for NULL
  long long visits;
  int hidden;
};

std::string Quoted(const char* text) {
  if (text == nullptr) return "NULL";
  std::string quoted = "'";
  for (const char* c = text; *c != '\0'; ++c) {
    quoted += *c;
    if (*c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

std::string FirefoxInserts(const std::vector<Place>& places) {
  std::string sql;
  for (const Place& p : places) {
    sql += "INSERT INTO moz_places (url, visit_count, hidden, guid, last_visit_date) VALUES (" +
           Quoted(p.url) + ", " + std::to_string(p.visits) + ", " + std::to_string(p.hidden) +
           ", lower(hex(randomblob(6))), 1700000000000000);\n";
    sql +=
        "INSERT INTO moz_historyvisits (place_id, visit_date, visit_type) "
        "VALUES (last_insert_rowid(), 1700000000000000, 1);\n";
  }
  return sql;
}

std::string ChromiumInserts(const std::vector<Place>& places) {
  std::string sql;
  for (const Place& p : places) {
    sql +=
        "INSERT INTO urls (url, title, visit_count, typed_count, last_visit_time, hidden) "
        "VALUES (" +
        Quoted(p.url) + ", 'title', " + std::to_string(p.visits) + ", 0, " + "13340000000000000, " +
        std::to_string(p.hidden) + ");\n";
  }
  return sql;
}

// One entry as the reader handed it over, kept beyond the call.
struct Seen {
  std::uint32_t type;
  std::string address;
  std::uint32_t hits;
  bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& seen) {
  return out << "{" << seen.type << ", \"" << seen.address << "\", " << seen.hits << "}";
}

// The rows as cache entries (type 0x1, UTF-8 addresses), with the status in `*status`.
std::vector<Seen> Enumerate(const fs::path& path, SourceStatus* status = nullptr) {
  std::vector<Seen> seen;
  const SourceStatus result =
      ReadBrowserHistory(path.string(), [&](std::string_view address, std::uint32_t hits) {
        seen.push_back(Seen{0x1, std::string(address), hits});
      });
  if (status != nullptr) *status = result;
  if (result != SourceStatus::kRead) seen.clear();  // as every reader must
  return seen;
}

// Holds a database open in a child process, as a running browser does, after running
// `sql` there (which may take an exclusive lock and leave a write transaction open). The
// child stays until the object goes, then ends without closing anything, like a browser
// that is killed.
class HoldingProcess final {
 public:
  HoldingProcess(const fs::path& path, const std::string& sql) {
    int ready[2];
    int release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(release[1]);
      sqlite3* db = nullptr;
      char ok = '0';
      if (sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
          sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) {
        ok = '1';
      }
      if (write(ready[1], &ok, 1) != 1) _exit(1);
      char byte;
      for (;;) {
        ssize_t got = read(release[0], &byte, 1);
        if (got == 0 || (got < 0 && errno != EINTR)) break;
      }
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    release_fd_ = release[1];
    char ok = '0';
    ready_ = pid_ > 0 && read(ready[0], &ok, 1) == 1 && ok == '1';
    close(ready[0]);
  }
  ~HoldingProcess() {
    if (release_fd_ >= 0) close(release_fd_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  HoldingProcess(const HoldingProcess&) = delete;
  HoldingProcess& operator=(const HoldingProcess&) = delete;

  bool ready() const { return ready_; }

 private:
  pid_t pid_ = -1;
  int release_fd_ = -1;
  bool ready_ = false;
};

// Whether another process keeps this one from reading the database.
bool IsLockedAgainstReading(const fs::path& path) {
  sqlite3* db = nullptr;
  std::string uri = "file:" + path.string() + "?mode=ro";
  int rc = sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  }
  sqlite3_close(db);
  return rc == SQLITE_BUSY;
}

std::vector<FileSnapshot> SnapshotDatabase(const fs::path& path) {
  return {FileSnapshot::Of(path), FileSnapshot::Of(path.string() + "-wal"),
          FileSnapshot::Of(path.string() + "-shm"), FileSnapshot::Of(path.string() + "-journal")};
}

constexpr std::size_t kPageSize = 4096;  // SQLite's default

// A leaf page of `table` from the middle of the file, found through SQLite's page
// statistics; 0 when they cannot be read.
long MiddleLeafPage(const fs::path& path, const char* table) {
  sqlite3* db = nullptr;
  long page = 0;
  if (sqlite3_open(path.c_str(), &db) == SQLITE_OK) {
    std::string sql = "SELECT pageno FROM dbstat WHERE name = '" + std::string(table) +
                      "' AND pagetype = 'leaf' ORDER BY pageno";
    std::vector<long> pages;
    sqlite3_exec(
        db, sql.c_str(),
        [](void* out, int, char** values, char**) {
          static_cast<std::vector<long>*>(out)->push_back(std::stol(values[0]));
          return 0;
        },
        &pages, nullptr);
    if (pages.size() >= 3) page = pages[pages.size() / 2];
  }
  sqlite3_close(db);
  return page;
}

using BrowserHistoryTest = testing::BrowserScratch;

TEST(SqliteHeaderTest, RecognisesTheHeaderOnly) {
  struct Case {
    std::string bytes;
    bool expected;
  };
  const Case cases[] = {
      {std::string("SQLite format 3\0", 16), true},
      {std::string("SQLite format 3\0\x10\x00\x01\x01", 20), true},
      {"SQLite format 3", false},  // the NUL belongs to it
      {std::string("SQLite format 3\x01", 16), false},
      {std::string("sqlite format 3\0", 16), false},
      {"Client UrlCache MMF Ver 5.2", false},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(IsSqliteDatabase(c.bytes), c.expected);
  }
}

TEST_F(BrowserHistoryTest, ReadsFirefoxPlacesVisibleVisitedRows) {
  fs::path db = root() / "places.sqlite";
  RunSql(db, std::string(kFirefoxSchema) +
                 FirefoxInserts({
                     {"https://example.com/", 5, 0},
                     {"http://example.com/", 3, 1},  // redirect source
                     {"https://bookmarked-only.example/", 0, 0},
                     {"https://\xE4\xBE\x8B\xE3\x81\x88.jp/\xE3\x83\x91\xE3\x82\xB9", 2, 0},
                     {"https://busy.example/", 5000000000LL, 0},
                     {"https://emoji.example/\xF0\x9F\x98\x80", 1, 0},
                     {nullptr, 4, 0},
                     {"", 4, 0},
                     {"place:sort=8&maxResults=10", 0, 0},
                     {"https://example.com/a%20b", 7, 0},
                 }));
  std::vector<FileSnapshot> before = SnapshotDatabase(db);

  SourceStatus status = SourceStatus::kMissing;
  std::vector<Seen> seen = Enumerate(db, &status);

  EXPECT_EQ(status, SourceStatus::kRead);
  EXPECT_EQ(seen, (std::vector<Seen>{
                      {0x1, "https://example.com/", 5},
                      {0x1, "https://\xE4\xBE\x8B\xE3\x81\x88.jp/\xE3\x83\x91\xE3\x82\xB9", 2},
                      {0x1, "https://busy.example/", 2147483647},
                      {0x1, "https://emoji.example/\xF0\x9F\x98\x80", 1},
                      {0x1, "https://example.com/a%20b", 7},
                  }));
  EXPECT_EQ(SnapshotDatabase(db), before);
}

TEST_F(BrowserHistoryTest, ReadsChromiumUrlsVisibleVisitedRows) {
  fs::path db = root() / "History";
  RunSql(db, std::string(kChromiumSchema) +
                 ChromiumInserts({
                     {"https://www.example.org/", 12, 0},
                     {"https://frame.example/", 4, 1},
                     {"https://typed-never-loaded.example/", 0, 0},
                     {"https://www.example.org/news", 1, 0},
                     {"https://go.example/", 2, 0},
                     {"https://refresh.example/", 1, 0},
                     {"http://mixed.example/", 3, 0},
                 }) +
                 // Transitions as Chromium stores them, signed: a server redirect's target
                 // carries 0x80000000, a meta refresh's target 0x40000000; chain start
                 // 0x10000000, end 0x20000000.
                 "INSERT INTO visits (id, url, visit_time, from_visit, transition) VALUES"
                 " (1, 5, 1, 0, 268435456), (2, 1, 1, 1, -1610612736),"
                 " (3, 5, 2, 0, 268435456), (4, 1, 2, 3, -1610612736),"
                 " (5, 6, 3, 0, 268435457), (6, 4, 3, 5, 1879048192),"
                 " (7, 7, 4, 0, 268435456), (8, 1, 4, 7, -1610612736),"
                 " (9, 7, 5, 0, 805306369), (10, 7, 6, 0, 805306369);");
  std::vector<FileSnapshot> before = SnapshotDatabase(db);

  // A page reached only as the start of a server redirect is no view; the source of a
  // meta refresh is.
  EXPECT_EQ(Enumerate(db), (std::vector<Seen>{
                               {0x1, "https://www.example.org/", 12},
                               {0x1, "https://www.example.org/news", 1},
                               {0x1, "https://refresh.example/", 1},
                               {0x1, "http://mixed.example/", 2},
                           }));
  EXPECT_EQ(SnapshotDatabase(db), before);
}

TEST_F(BrowserHistoryTest, RemovesTheCopyBeforeReturning) {
  fs::path db = root() / "History";
  RunSql(db, std::string(kChromiumSchema) +
                 ChromiumInserts({{"https://a.example/", 2, 0}, {"https://b.example/", 3, 0}}));
  EXPECT_EQ(Enumerate(db).size(), 2u);
  EXPECT_TRUE(fs::is_empty(copies())) << "the copy outlives the read";
}

TEST_F(BrowserHistoryTest, SeesCommittedRowsStillInTheWriteAheadLog) {
  fs::path db = root() / "places.sqlite";
  RunSql(db, "PRAGMA journal_mode = WAL;" + std::string(kFirefoxSchema) +
                 FirefoxInserts({{"https://checkpointed.example/", 3, 0}}));
  // A connection that neither checkpoints nor removes its log when it closes leaves the
  // newer rows only in places.sqlite-wal, as a running Firefox does.
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(db.c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr), SQLITE_OK);
  std::string sql = "PRAGMA wal_autocheckpoint = 0;" +
                    FirefoxInserts({{"https://only-in-the-log.example/", 9, 0},
                                    {"https://checkpointed.example/hidden", 2, 1}});
  ASSERT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_close(raw), SQLITE_OK);
  ASSERT_GT(fs::file_size(db.string() + "-wal"), 0u);
  std::vector<FileSnapshot> before = SnapshotDatabase(db);

  EXPECT_EQ(Enumerate(db), (std::vector<Seen>{
                               {0x1, "https://checkpointed.example/", 3},
                               {0x1, "https://only-in-the-log.example/", 9},
                           }));
  EXPECT_EQ(SnapshotDatabase(db), before);
}

TEST_F(BrowserHistoryTest, ReadsFirefoxWhileItHoldsItsExclusiveLock) {
  fs::path db = root() / "places.sqlite";
  RunSql(db, "PRAGMA journal_mode = WAL;" + std::string(kFirefoxSchema) +
                 FirefoxInserts({{"https://before-start.example/", 4, 0}}));
  HoldingProcess firefox(db, "PRAGMA locking_mode = EXCLUSIVE; PRAGMA wal_autocheckpoint = 0;" +
                                 FirefoxInserts({{"https://this-session.example/", 6, 0}}) +
                                 "BEGIN;" +
                                 FirefoxInserts({{"https://not-committed.example/", 8, 0}}));
  ASSERT_TRUE(firefox.ready());
  ASSERT_TRUE(IsLockedAgainstReading(db));
  std::vector<FileSnapshot> before = SnapshotDatabase(db);

  EXPECT_EQ(Enumerate(db), (std::vector<Seen>{
                               {0x1, "https://before-start.example/", 4},
                               {0x1, "https://this-session.example/", 6},
                           }));
  EXPECT_EQ(SnapshotDatabase(db), before);
}

TEST_F(BrowserHistoryTest, ReadsChromiumMidTransactionUnderItsExclusiveLock) {
  fs::path db = root() / "History";
  RunSql(db, std::string(kChromiumSchema) + ChromiumInserts({
                                                {"https://committed.example/", 5, 0},
                                                {"https://committed.example/2", 2, 0},
                                            }));
  std::string committed_bytes = ReadBytes(db);
  // A tiny page cache makes the open transaction spill its pages into the database file,
  // so only the rollback journal still holds the committed state.
  std::vector<std::string> urls;
  for (int i = 0; i < 300; ++i) {
    urls.push_back("https://uncommitted.example/" + std::to_string(i) + std::string(300, 'x'));
  }
  std::vector<Place> uncommitted;
  for (const std::string& url : urls) uncommitted.push_back(Place{url.c_str(), 1, 0});
  HoldingProcess chromium(db,
                          "PRAGMA locking_mode = EXCLUSIVE; PRAGMA cache_size = 2; BEGIN;"
                          "UPDATE urls SET visit_count = 999;" +
                              ChromiumInserts(uncommitted));
  ASSERT_TRUE(chromium.ready());
  ASSERT_TRUE(IsLockedAgainstReading(db));
  ASSERT_TRUE(fs::exists(db.string() + "-journal"));
  ASSERT_NE(ReadBytes(db), committed_bytes) << "the transaction did not reach the file";
  std::vector<FileSnapshot> before = SnapshotDatabase(db);

  EXPECT_EQ(Enumerate(db), (std::vector<Seen>{
                               {0x1, "https://committed.example/", 5},
                               {0x1, "https://committed.example/2", 2},
                           }));
  EXPECT_EQ(SnapshotDatabase(db), before);
}

TEST_F(BrowserHistoryTest, UnusableFilesYieldNothing) {
  // A valid history with enough rows to span many pages, to cut short and to damage.
  fs::path good = root() / "good.sqlite";
  std::vector<Place> many;
  std::vector<std::string> urls;
  urls.reserve(400);
  for (int i = 0; i < 400; ++i) {
    urls.push_back("https://page.example/" + std::to_string(i) + std::string(100, 'p'));
    many.push_back(Place{urls.back().c_str(), 3, 0});
  }
  RunSql(good, std::string(kFirefoxSchema) + "BEGIN;" + FirefoxInserts(many) + "COMMIT;");
  std::string bytes = ReadBytes(good);
  ASSERT_EQ(Enumerate(good).size(), 400u);

  const fs::path dir = root() / "cases";
  fs::create_directories(dir);
  fs::path truncated = dir / "truncated";
  WriteBytes(truncated, bytes.substr(0, bytes.size() / 2));
  fs::path garbage = dir / "garbage";
  std::string damaged = bytes.substr(0, 100);
  for (std::size_t i = 100; i < bytes.size(); ++i) damaged += static_cast<char>((i * 7919) >> 3);
  WriteBytes(garbage, damaged);
  fs::path damaged_table = dir / "damaged-table";
  std::string damaged_page = bytes;
  long page = MiddleLeafPage(good, "moz_places");
  ASSERT_GT(page, 1);
  damaged_page.replace((page - 1) * kPageSize, kPageSize, kPageSize, '\xA5');
  WriteBytes(damaged_table, damaged_page);
  fs::path header_only = dir / "header-only";
  WriteBytes(header_only, std::string(kSqliteHeader));
  fs::path empty = dir / "empty";
  WriteBytes(empty, "");
  fs::path other = dir / "other.sqlite";
  RunSql(other,
         "CREATE TABLE cookies (host TEXT, name TEXT); INSERT INTO cookies VALUES ('a', 'b');");
  fs::path folder = dir / "folder";
  fs::create_directory(folder);
  fs::path fifo = dir / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  fs::path dangling = dir / "dangling";
  fs::create_symlink(dir / "nowhere", dangling);
  fs::path unreadable = dir / "unreadable";
  WriteBytes(unreadable, bytes);
  fs::permissions(unreadable, fs::perms::none);

  const fs::path cases[] = {truncated, garbage, damaged_table, header_only, empty,          other,
                            folder,    fifo,    dangling,      unreadable,  dir / "missing"};
  for (const fs::path& path : cases) {
    SCOPED_TRACE(path.filename().string());
    if (path == unreadable && geteuid() == 0) continue;  // root reads it anyway
    FileSnapshot before = FileSnapshot::Of(path);
    SourceStatus status = SourceStatus::kRead;
    EXPECT_EQ(Enumerate(path, &status).size(), 0u);
    EXPECT_NE(status, SourceStatus::kRead);
    EXPECT_TRUE(FileSnapshot::Of(path) == before);
    EXPECT_FALSE(fs::exists(path.string() + "-journal"));
  }
}

}  // namespace
}  // namespace zorvane::browsers
