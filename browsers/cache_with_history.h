// Browser histories joined to a URL cache, so that the ranking sees one cache with one
// entry per address: the cache's own entries first, in their order, a normal entry whose
// address a history holds counting that history's views too; then the history addresses
// no cache entry holds, as further normal entries in the order they first appeared.
// Without histories the cache passes unchanged.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "browsers/history.h"
#include "platform/platform.h"

namespace zorvane::browsers {

using CacheVisitor = std::function<bool(const UrlCacheEntry&)>;

class CacheWithHistory final {
 public:
  // `to_cache_address` turns a history address (UTF-8) into the form the cache's
  // addresses have (the ANSI code page).
  CacheWithHistory(const MergedHistory& history,
                   const std::function<std::string(std::string_view)>& to_cache_address);
  CacheWithHistory(const CacheWithHistory&) = delete;
  CacheWithHistory& operator=(const CacheWithHistory&) = delete;

  // Hands one entry of the cache on to `visit`, with the views of the history address it
  // holds added when it is a normal entry (type bit 0x1) and no earlier entry took them
  // (the sum at most 2147483647; a count that already reads as negative stays as it is).
  // Returns what `visit` returned.
  bool VisitCacheEntry(const UrlCacheEntry& entry, const CacheVisitor& visit);
  // Hands the history addresses no cache entry took on to `visit`, until it returns false.
  bool VisitRemainingHistory(const CacheVisitor& visit);

 private:
  std::vector<std::string> addresses_;
  std::vector<std::uint32_t> hits_;
  std::vector<bool> taken_;
  std::unordered_map<std::string_view, std::size_t> index_;
};

}  // namespace zorvane::browsers
