#include "ranking/url_cache_scan.h"

#include <limits>
#include <string>

#include "platform/text.h"

namespace zorvane {

std::int32_t ScanUrlCache(Platform& platform, std::uint32_t lngTypeMask,
                          std::vector<ListViewRow>* rows) {
  std::int32_t count = 0;
  platform.EnumerateUrlCache([&](const UrlCacheEntry& entry) {
    // The type test comes first so that entries of other types cost no conversion.
    if ((entry.type & lngTypeMask) == 0) return true;
    std::string address = platform.FromAnsi(entry.address);
    if (text::AsciiLower(address).find("cookie:") != std::string::npos) return true;
    ListViewRow row;
    row.address = std::move(address);
    row.hits = std::to_string(static_cast<std::int32_t>(entry.hit_rate));
    rows->push_back(std::move(row));
    // The count is a signed 32-bit number; the scan ends before it would overflow.
    return ++count < std::numeric_limits<std::int32_t>::max();
  });
  return count;
}

}  // namespace zorvane
