#include "browsers/sqlite_copy.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "browsers/utf8_path.h"

// Sections: the temporary folder, copying one file and a stable snapshot of the database
// and its companions, opening the copy, the entry points.

namespace zorvane::browsers {
namespace {

namespace fs = std::filesystem;

// A browser that writes while we copy can leave the copy torn; a changed file stamp
// shows it, and the copy is taken again this many times in all.
constexpr int kCopyAttempts = 3;
constexpr char kCopyName[] = "copy.sqlite";

// The companions that belong to a database's committed state. The write-ahead log holds
// committed pages not yet written back; the rollback journal holds the original pages of a
// transaction in progress, which SQLite puts back when it opens the copy. The "-shm" file
// is deliberately not copied: it is only an index of the log shared between the live
// connections, which SQLite rebuilds from the log on the copy anyway, and a copy of it
// taken while the browser writes may disagree with the copied log.
constexpr std::array<const char*, 2> kCompanionSuffixes = {"-wal", "-journal"};

// ---- The temporary folder -------------------------------------------------------------

// A folder of the reader's own under the temporary folder (only this user may enter it
// where the system has such permissions), removed with everything in it, including any
// file SQLite adds beside the copy, when the object goes.
class PrivateFolder final {
 public:
  PrivateFolder() {
    std::error_code error;
    fs::path base = fs::temp_directory_path(error);
    if (error) return;
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const fs::path candidate = base / ("zorvane-copy-" + std::to_string(random()));
      if (fs::create_directory(candidate, error)) {
        fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, error);
        path_ = candidate;
        return;
      }
      if (error) return;  // not a name clash
    }
  }
  ~PrivateFolder() {
    if (path_.empty()) return;
    std::error_code error;
    fs::remove_all(path_, error);
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  bool valid() const { return !path_.empty(); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// ---- Copying ----------------------------------------------------------------------------

// What identifies one state of a file; two equal stamps mean nothing was written between
// (the browser writes whole pages, so a write changes the time if not the size).
struct FileStamp {
  bool exists = false;
  std::uintmax_t size = 0;
  fs::file_time_type modified{};

  bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const fs::path& path) {
  std::error_code error;
  FileStamp stamp;
  stamp.size = fs::file_size(path, error);
  if (error) return FileStamp{};
  stamp.modified = fs::last_write_time(path, error);
  if (error) return FileStamp{};
  stamp.exists = true;
  return stamp;
}

enum class CopyResult { kCopied, kMissing, kFailed };

// Copies the regular file `source` to the new file `target` and records the source's
// stamp as it was when the copy began. Anything but a regular file (a folder, a FIFO
// that would block the open, a device) is refused before it is opened. The library's
// copy lets the kernel move the bytes where it can.
CopyResult CopyRegularFile(const fs::path& source, const fs::path& target, FileStamp* stamp) {
  std::error_code error;
  const fs::file_status status = fs::status(source, error);
  if (!fs::exists(status)) return CopyResult::kMissing;
  if (!fs::is_regular_file(status)) return CopyResult::kFailed;
  *stamp = StampOf(source);
  if (!fs::copy_file(source, target, fs::copy_options::none, error) || error) {
    return error == std::errc::no_such_file_or_directory ? CopyResult::kMissing
                                                         : CopyResult::kFailed;
  }
  return CopyResult::kCopied;
}

// Copies the database at `source` and its companions into `folder`, all under kCopyName.
// Sets `*stable` when no source file changed while it was copied. The companions go
// first: a checkpoint that runs in between then leaves an older log over a newer
// database, which replays to the same committed state, and a journal copied before its
// transaction commits rolls the newer database back to the state before it.
CopyResult CopyDatabase(const fs::path& source, const fs::path& folder, bool* stable) {
  std::vector<std::pair<fs::path, FileStamp>> copied;
  for (const char* suffix : kCompanionSuffixes) {
    FileStamp stamp;
    fs::path from = source;
    from += suffix;
    fs::path to = folder / kCopyName;
    to += suffix;
    const CopyResult result = CopyRegularFile(from, to, &stamp);
    if (result == CopyResult::kFailed) return result;
    copied.emplace_back(std::move(from), stamp);  // a missing file keeps an empty stamp
  }
  FileStamp stamp;
  if (const CopyResult result = CopyRegularFile(source, folder / kCopyName, &stamp);
      result != CopyResult::kCopied) {
    return result;
  }
  copied.emplace_back(source, stamp);

  *stable = true;
  for (const auto& [path, before] : copied) {
    if (StampOf(path) != before) *stable = false;
  }
  return CopyResult::kCopied;
}

// ---- Opening the copy ---------------------------------------------------------------------

struct CloseDatabase {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using DatabasePtr = std::unique_ptr<sqlite3, CloseDatabase>;

// Opens the copy. It is opened for writing because SQLite writes back the log, or rolls
// back a journal, on first read; the schema is not trusted to run functions with side
// effects, and the connection is then limited to queries.
DatabasePtr OpenCopy(const std::string& path) {
  sqlite3* raw = nullptr;
  int rc =
      sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
  DatabasePtr db(raw);
  if (rc != SQLITE_OK) return nullptr;
  sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db.get(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(db.get(), SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  if (sqlite3_exec(db.get(), "PRAGMA cell_size_check = ON; PRAGMA query_only = ON", nullptr,
                   nullptr, nullptr) != SQLITE_OK) {
    return nullptr;
  }
  return db;
}

}  // namespace

bool IsSqliteDatabase(std::string_view first_bytes) {
  return first_bytes.substr(0, kSqliteHeader.size()) == kSqliteHeader;
}

StatementPtr Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement);
    return nullptr;
  }
  return StatementPtr(statement);
}

bool HasTable(sqlite3* db, const char* table) {
  StatementPtr query =
      Prepare(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
  if (!query) return false;
  sqlite3_bind_text(query.get(), 1, table, -1, SQLITE_STATIC);
  return sqlite3_step(query.get()) == SQLITE_ROW;
}

std::string_view ColumnText(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  if (text == nullptr) return {};
  std::string_view value(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
  return value.substr(0, value.find('\0'));
}

SourceStatus ReadSqliteDatabaseCopy(const std::string& path, const ReadSqliteCopy& read) {
  for (int attempt = 1; attempt <= kCopyAttempts; ++attempt) {
    PrivateFolder folder;
    if (!folder.valid()) return SourceStatus::kUnreadable;
    bool stable = false;
    if (const CopyResult copied = CopyDatabase(PathFromUtf8(path), folder.path(), &stable);
        copied != CopyResult::kCopied) {
      return copied == CopyResult::kMissing ? SourceStatus::kMissing : SourceStatus::kUnreadable;
    }
    if (!stable && attempt < kCopyAttempts) continue;
    // The last attempt is read even if the browser kept writing: SQLite reports a torn
    // copy as damaged, and a copy that reads cleanly is a state close to the live one.
    DatabasePtr db = OpenCopy(Utf8FromPath(folder.path() / kCopyName));
    if (!db) return SourceStatus::kDamaged;
    return read(db.get());
  }
  return SourceStatus::kUnreadable;
}

}  // namespace zorvane::browsers
