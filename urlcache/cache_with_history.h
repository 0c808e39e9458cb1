// Browser histories joined to a URL cache, so that the ranking sees one cache with one
// entry per address: the cache's own entries first, in their order, a normal entry whose
// address a history holds counting that history's views too; then the history addresses
// no cache entry holds, as further normal entries in the order they first appeared.
// Without histories the cache passes unchanged.
//
// History entries are handed over in UTF-8 (AddressEncoding::kUtf8) in the form the ANSI
// code page carries and gives back unchanged: characters it cannot hold are
// percent-encoded, as the bookmark import writes them, instead of becoming "?". A cache
// entry is matched with a history address by the text both stand for in the code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "browsers/address_form.h"
#include "browsers/history.h"
#include "platform/platform.h"

namespace zorvane::urlcache {

using browsers::CodePageForms;
using browsers::MergedHistory;

class EntryBatch;

class CacheWithHistory final {
 public:
  CacheWithHistory(const MergedHistory& history, CodePageForms forms);
  CacheWithHistory(const CacheWithHistory&) = delete;
  CacheWithHistory& operator=(const CacheWithHistory&) = delete;

  // Adds to one entry of the cache the views of the history address it holds, when it is
  // a normal entry (type bit 0x1) and no earlier entry took them (the sum at most
  // 2147483647; a count that already reads as negative stays as it is).
  void Join(UrlCacheEntry* entry) {
    if ((entry->type & kNormalEntry) != 0 && history_.size() != 0) JoinHistory(entry);
  }
  // Adds the history addresses no cache entry took to `batch`, until it stops; false
  // then.
  bool AddRemainingHistory(EntryBatch& batch);

 private:
  static constexpr std::uint32_t kNormalEntry = 0x1;

  void JoinHistory(UrlCacheEntry* entry);
  // The history address `index` as an entry hands it over. Unless `*lasting` comes back
  // true, the text lies in a buffer that the next call reuses.
  std::string_view Form(std::size_t index, bool* lasting);
  std::size_t Lookup(const UrlCacheEntry& entry);

  const MergedHistory& history_;
  CodePageForms forms_;
  std::vector<bool> taken_;
  // Built at the first normal cache entry: the entry forms (only those that differ from
  // the history's own text are stored), and, at the first entry in the code page, the
  // code page's forms.
  std::unordered_map<std::size_t, std::string> changed_forms_;
  std::unordered_map<std::string_view, std::size_t> by_form_;
  std::unordered_map<std::string, std::size_t> by_ansi_;
  bool by_form_built_ = false;
  bool by_ansi_built_ = false;
  std::string scratch_;
};

}  // namespace zorvane::urlcache
