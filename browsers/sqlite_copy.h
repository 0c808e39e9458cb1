// Reading a browser's SQLite database without ever opening the user's file with SQLite.
//
// The database is copied, with its "-wal" and "-journal" companions, into a private
// temporary folder and the copy is read, so a running browser's lock does not matter,
// its uncommitted changes are rolled back on the copy, and its committed but not yet
// checkpointed rows in the write-ahead log are seen. The copy and its folder are removed
// when the read ends.
#pragma once

#include <sqlite3.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "browsers/source_status.h"

namespace zorvane::browsers {

// The first 16 bytes of every SQLite database file, NUL included.
inline constexpr std::string_view kSqliteHeader{"SQLite format 3\0", 16};

// Whether `first_bytes` (the start of a file, at least 16 bytes of it) is the header of a
// SQLite database.
bool IsSqliteDatabase(std::string_view first_bytes);

// Reads the database.
// `read` gets the copy opened for queries only (defensive mode, no triggers, untrusted
// schema) and returns kRead, or kDamaged when a query failed, or kUnknownKind when the
// database holds none of the tables it reads.
using ReadSqliteCopy = std::function<SourceStatus(sqlite3* db)>;

// Copies the database at `path` privately and hands the copy to `read`. Returns what
// `read` returned, or kMissing / kUnreadable when no copy could be made (also for a
// FIFO, a folder or a dangling link in its place), or kDamaged when SQLite cannot open
// the copy. A copy is taken again (three times in all) when the source changed while it
// was copied. The user's files are left byte for byte as they were.
SourceStatus ReadSqliteDatabaseCopy(const std::string& path, const ReadSqliteCopy& read);

struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// The prepared statement, or nullptr when `sql` does not compile on `db`.
StatementPtr Prepare(sqlite3* db, const char* sql);

// Whether `db` has a table named `table`; false also when the schema cannot be read.
bool HasTable(sqlite3* db, const char* table);

// The text of column `column` of the current row, without anything from its first NUL
// on (as the ANSI string it stands for would end there); "" for NULL.
std::string_view ColumnText(sqlite3_stmt* statement, int column);

}  // namespace zorvane::browsers
