#include "ranking/url_cache_scan.h"

#include <limits>
#include <string>

namespace zorvane {
namespace {

// Whether `address` holds "cookie:" in any letter case: a ":" after the six letters of
// "cookie", each in either case. The same answer as looking for "cookie:" in the address
// turned to lower case, without making that copy.
bool HoldsCookieMark(std::string_view address) {
  constexpr std::string_view kWord = "cookie";
  for (std::size_t colon = address.find(':', kWord.size()); colon != std::string_view::npos;
       colon = address.find(':', colon + 1)) {
    const std::string_view word = address.substr(colon - kWord.size(), kWord.size());
    bool same = true;
    for (std::size_t i = 0; i < kWord.size() && same; ++i) {
      const char c = word[i];
      same = c == kWord[i] || c == kWord[i] - 'a' + 'A';
    }
    if (same) return true;
  }
  return false;
}

}  // namespace

ScanCount ScanUrlCacheKeeping(Platform& platform, std::uint32_t lngTypeMask,
                              const KeepScannedRow& keep, std::vector<ListViewRow>* rows) {
  ScanCount count;
  platform.EnumerateUrlCache([&](const UrlCacheEntry& entry) {
    // The type test comes first so that entries of other types cost no conversion.
    if ((entry.type & lngTypeMask) == 0) return true;
    std::string address = platform.FromAnsi(entry.address);
    if (HoldsCookieMark(address)) return true;
    const auto hits = static_cast<std::int32_t>(entry.hit_rate);
    if (hits > 0) count.total_hits += hits;
    if (keep(address, hits)) {
      ListViewRow row;
      row.address = std::move(address);
      row.hits = std::to_string(hits);
      rows->push_back(std::move(row));
    }
    // The count is a signed 32-bit number; the scan ends before it would overflow.
    return ++count.rows < std::numeric_limits<std::int32_t>::max();
  });
  return count;
}

std::int32_t ScanUrlCache(Platform& platform, std::uint32_t lngTypeMask,
                          std::vector<ListViewRow>* rows) {
  return ScanUrlCacheKeeping(
             platform, lngTypeMask, [](std::string_view, std::int32_t) { return true; }, rows)
      .rows;
}

}  // namespace zorvane
