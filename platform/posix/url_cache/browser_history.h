// Browser history databases as a URL-cache source: Firefox's places.sqlite and the
// Chromium family's History, both SQLite files.
//
// Every visible URL with at least one visit becomes one normal cache entry (type 0x1)
// whose hit count is the URL's visit count:
// - Firefox, table moz_places: rows with hidden = 1 (the sources of redirects, pages
//   shown only inside frames, and other addresses the browser's own history view leaves
//   out) are skipped; so are rows with visit_count 0 (bookmarked or typed-only addresses
//   that were never loaded).
// - Chromium, table urls: the same rules on its hidden and visit_count columns.
// A file holding moz_places is read as Firefox, otherwise one holding urls as Chromium;
// any other SQLite file yields nothing.
//
// The user's database is never opened by SQLite. It is copied, with its "-wal" and
// "-journal" companions, into a private temporary folder and the copy is read, so a
// running browser's lock does not matter, its uncommitted changes are rolled back on the
// copy, and its committed but not yet checkpointed rows in the write-ahead log are seen.
// The copy and its folder are removed before the entries are handed out.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace zorvane {

// The first 16 bytes of every SQLite database file, NUL included.
inline constexpr std::string_view kSqliteHeader{"SQLite format 3\0", 16};

// Whether `first_bytes` (the start of a file, at least 16 bytes of it) is the header of a
// SQLite database.
bool IsSqliteDatabase(std::string_view first_bytes);

// Calls `visit` for each visible visited URL of the history database at `path`, in the
// order of the rows' ids, until `visit` returns false. Addresses are handed over in code
// page 932 (characters it cannot hold become "?"; percent-encoded addresses are ASCII and
// pass unchanged). Hit counts above 2147483647 are given as 2147483647, because the
// ranking reads hit counts as signed 32-bit numbers.
//
// A database that cannot be copied or read completely (missing, not a regular file,
// locked against reading, corrupt, truncated, not a browser history) yields nothing.
// Returns false when `visit` asked to stop, true otherwise.
bool EnumerateBrowserHistory(const std::string& path,
                             const std::function<bool(const UrlCacheEntry&)>& visit);

}  // namespace zorvane
