#include "platform/posix/url_cache/sqlite_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// Sections: file descriptors and the temporary folder, copying one file and a stable
// snapshot of the database and its companions, opening the copy, the entry points.

namespace zorvane {
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

// ---- File descriptors and the temporary folder ------------------------------------------

class UniqueFd final {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now and reports whether everything written reached the file.
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

// A folder only this user can enter (mkdtemp creates it with mode 0700), removed with
// everything in it, including any file SQLite adds beside the copy, when the object goes.
class PrivateFolder final {
 public:
  PrivateFolder() {
    std::error_code error;
    fs::path base = fs::temp_directory_path(error);
    if (error) base = "/tmp";
    std::string pattern = (base / "zorvane-history-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~PrivateFolder() {
    if (path_.empty()) return;
    std::error_code error;
    fs::remove_all(path_, error);
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  bool valid() const { return !path_.empty(); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// ---- Copying ----------------------------------------------------------------------------

// What identifies one state of a file; two equal stamps mean nothing was written between.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modified_ns = 0;
  std::int64_t changed_ns = 0;

  bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const struct stat& info) {
  FileStamp stamp;
  stamp.exists = true;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.modified_ns = std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
  stamp.changed_ns = std::int64_t{info.st_ctim.tv_sec} * 1000000000 + info.st_ctim.tv_nsec;
  return stamp;
}

FileStamp StampOfPath(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return FileStamp{};
  return StampOf(info);
}

enum class CopyResult { kCopied, kMissing, kFailed };

// Opens the user's file for reading only. O_NOATIME keeps even the access time as it was
// where the kernel allows it (the file's owner); O_NONBLOCK keeps a FIFO in its place
// from blocking the open, and the caller refuses anything but a regular file.
int OpenSourceFile(const std::string& path) {
  constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  int fd = open(path.c_str(), kFlags | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = open(path.c_str(), kFlags);
  return fd;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Copies the regular file `source` to the new file `target` (mode 0600) and records the
// source's stamp as it was when the copy began.
CopyResult CopyRegularFile(const std::string& source, const std::string& target, FileStamp* stamp) {
  UniqueFd in(OpenSourceFile(source));
  if (!in.valid()) return errno == ENOENT ? CopyResult::kMissing : CopyResult::kFailed;
  struct stat info;
  if (fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) return CopyResult::kFailed;
  *stamp = StampOf(info);
  // Back to blocking reads for the regular file, keeping O_NOATIME.
  int flags = fcntl(in.get(), F_GETFL);
  if (flags < 0 || fcntl(in.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return CopyResult::kFailed;

  UniqueFd out(open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!out.valid()) return CopyResult::kFailed;
  // The kernel copies within the page cache where it can, without the bytes passing
  // through a buffer of ours; a file system that cannot (or a kernel without the call)
  // gets the plain loop below, from where the kernel stopped.
  for (;;) {
    const ssize_t copied = copy_file_range(in.get(), nullptr, out.get(), nullptr, 1 << 30, 0);
    if (copied > 0) continue;
    if (copied == 0) return out.Close() ? CopyResult::kCopied : CopyResult::kFailed;
    if (errno == EINTR) continue;
    break;
  }
  std::vector<char> buffer(1 << 16);
  for (;;) {
    ssize_t got = read(in.get(), buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      return CopyResult::kFailed;
    }
    if (got == 0) break;
    if (!WriteAll(out.get(), buffer.data(), static_cast<std::size_t>(got))) {
      return CopyResult::kFailed;
    }
  }
  return out.Close() ? CopyResult::kCopied : CopyResult::kFailed;
}

// Copies the database at `source` and its companions into `folder`, all under kCopyName.
// Sets `*stable` when no source file changed while it was copied. The companions go
// first: a checkpoint that runs in between then leaves an older log over a newer
// database, which replays to the same committed state, and a journal copied before its
// transaction commits rolls the newer database back to the state before it.
CopyResult CopyDatabase(const std::string& source, const std::string& folder, bool* stable) {
  std::vector<std::pair<std::string, FileStamp>> copied;
  for (const char* suffix : kCompanionSuffixes) {
    FileStamp stamp;
    std::string from = source + suffix;
    CopyResult result = CopyRegularFile(from, folder + "/" + kCopyName + suffix, &stamp);
    if (result == CopyResult::kFailed) return result;
    copied.emplace_back(std::move(from), stamp);  // a missing file keeps an empty stamp
  }
  FileStamp stamp;
  if (CopyResult result = CopyRegularFile(source, folder + "/" + kCopyName, &stamp);
      result != CopyResult::kCopied) {
    return result;
  }
  copied.emplace_back(source, stamp);

  *stable = true;
  for (const auto& [path, before] : copied) {
    if (StampOfPath(path) != before) *stable = false;
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
    if (const CopyResult copied = CopyDatabase(path, folder.path(), &stable);
        copied != CopyResult::kCopied) {
      return copied == CopyResult::kMissing ? SourceStatus::kMissing : SourceStatus::kUnreadable;
    }
    if (!stable && attempt < kCopyAttempts) continue;
    // The last attempt is read even if the browser kept writing: SQLite reports a torn
    // copy as damaged, and a copy that reads cleanly is a state close to the live one.
    DatabasePtr db = OpenCopy(folder.path() + "/" + kCopyName);
    if (!db) return SourceStatus::kDamaged;
    return read(db.get());
  }
  return SourceStatus::kUnreadable;
}

}  // namespace zorvane
