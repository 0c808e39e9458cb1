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
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "browsers/source_status.h"

namespace zorvane::browsers {

// Receives each visible, viewed URL of a history as it is read, in the order of the ids:
// the address (UTF-8, as the browser stores it; valid only during the call) and its
// views (at most 2147483647: the ranking reads hits as signed 32-bit).
using HistoryRowSink = std::function<void(std::string_view address, std::uint32_t hits)>;

// Reads the rows of the history database at `path` into `sink`. Only kRead means that
// every row was given: after any other result the rows given so far must be discarded,
// so that a damaged file never contributes a partial and misleading share of the hits.
SourceStatus ReadBrowserHistory(const std::string& path, const HistoryRowSink& sink);

// A URL cache holds one entry per address: the rows of several histories merged into one
// per address, in the order in which the addresses first appeared, hits summed (at most
// 2147483647). The addresses lie one after another in large blocks, and the entries and
// the table that finds them are flat arrays, so a large history costs no allocation per
// entry and little beyond its addresses' bytes. What a database that could not be read
// whole added is taken back.
class MergedHistory final {
 public:
  // Starts the rows of one database.
  void Begin();
  void Add(std::string_view address, std::uint32_t hits);
  // Takes back what the rows since Begin added (their bytes stay unused in the blocks).
  void Rollback();

  std::size_t size() const { return entries_.size(); }
  std::string_view address(std::size_t index) const {
    return {entries_[index].data, entries_[index].size};
  }
  std::uint32_t hits(std::size_t index) const { return entries_[index].hits; }

 private:
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
  struct Entry {
    const char* data;  // in one of blocks_
    std::uint32_t size;
    std::uint32_t hits;
  };
  struct Slot {
    std::uint32_t index = kEmpty;
    std::uint32_t hash = 0;  // the low half of the address's hash
  };

  const char* Store(std::string_view address);
  void Unstore(std::size_t size);
  Slot* Find(std::string_view address, std::uint64_t hash);
  void Grow();
  void Place(std::vector<Slot> empty);

  std::vector<std::unique_ptr<char[]>> blocks_;
  char* block_end_ = nullptr;
  std::size_t block_left_ = 0;
  std::vector<Entry> entries_;
  std::vector<Slot> slots_;
  std::uint32_t first_of_database_ = 0;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> undo_;  // entry, hits before
};

// Reads the histories at `paths` into `merged`, a file reached through several paths
// (links, hard links, other spellings: file_identity.h) once; `report` is called with the
// path and the reason of each that cannot be read.
void ReadHistories(const std::vector<std::string>& paths,
                   const std::function<void(const std::string&, SourceStatus)>& report,
                   MergedHistory* merged);

}  // namespace zorvane::browsers
