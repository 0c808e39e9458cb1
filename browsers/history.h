// Browser history databases as a URL-cache source: Firefox's places.sqlite and the
// Chromium family's History, both SQLite files, read through a private copy
// (sqlite_copy.h).
//
// Every visible URL with at least one view becomes one normal cache entry (type 0x1)
// whose hit count is its number of views: the browser's visit count less the visits that
// only led on through a server redirect (HTTP 301, 302, 303, 307, 308), since the page
// shown was another. A page that only redirected is left out; the source of a client
// redirect (a meta refresh) was shown and still counts.
// - Firefox, tables moz_places and moz_historyvisits: a visit whose successor (the visit
//   whose from_visit it is) has visit type 5 or 6 led on through a server redirect. Rows
//   with hidden = 1 (pages shown only inside frames and other addresses Firefox's own
//   history view leaves out) and rows never visited (bookmarked or typed-only) are
//   skipped.
// - Chromium, tables urls and visits: a visit whose successor carries the
//   server-redirect qualifier (0x80000000) in its transition led on through one. Rows
//   with hidden = 1 or never visited are skipped.
// A file holding moz_places is read as Firefox, otherwise one holding urls as Chromium;
// any other SQLite file is of an unknown kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "browsers/source_status.h"

namespace zorvane::browsers {

// One visible, viewed URL of a history.
struct HistoryRow {
  std::string address;  // UTF-8, as the browser stores it
  std::uint32_t hits;   // at most 2147483647: the ranking reads hits as signed 32-bit
};

// Reads the rows of the history database at `path`, in the order of their ids. A
// database that cannot be copied or read completely leaves `rows` empty: a damaged file
// never contributes a partial and misleading share of the hits.
SourceStatus ReadBrowserHistory(const std::string& path, std::vector<HistoryRow>* rows);

// A URL cache holds one entry per address: the rows of several histories merged into one
// per address, in the order in which the addresses first appeared, hits summed (at most
// 2147483647).
class MergedHistory final {
 public:
  // Merges `rows`; returns the indices in rows() of the addresses new with them.
  std::vector<std::size_t> Add(const std::vector<HistoryRow>& rows);
  const std::vector<HistoryRow>& rows() const { return rows_; }

 private:
  std::unordered_map<std::string, std::size_t> index_;
  std::vector<HistoryRow> rows_;
};

// What tells two paths of one file apart from two files: the canonical path where the
// file exists, else the path made lexically normal.
std::string FileIdentity(const std::string& path);

// Reads the histories at `paths` into one MergedHistory, a file reached through several
// paths once; `report` is called with the path and the reason of each that cannot be read.
MergedHistory ReadHistories(const std::vector<std::string>& paths,
                            const std::function<void(const std::string&, SourceStatus)>& report);

}  // namespace zorvane::browsers
