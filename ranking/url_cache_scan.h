// The URL cache scan: one result-list row per cache entry that the ranking looks at.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "platform/platform.h"

namespace zorvane {

// Walks the platform's URL cache from its first entry and appends a row (address and hit
// count; title and rate empty) for each entry whose type shares a bit with
// `lngTypeMask` and whose address does not hold "cookie:" in any letter case. Rows are
// appended in enumeration order; the hit count is the entry's 32-bit count read as a
// signed number, in decimal digits. Returns the number of rows appended (an enumeration
// that cannot start gives 0).
std::int32_t ScanUrlCache(Platform& platform, std::uint32_t lngTypeMask,
                          std::vector<ListViewRow>* rows);

// What a scan saw of the rows it accepted: how many there were, and the sum of their
// hit counts as TotalHits takes it (counts that read as negative add nothing).
struct ScanCount {
  std::int32_t rows = 0;
  std::int64_t total_hits = 0;
};

// Decides from a row's address and hit count whether it is appended.
using KeepScannedRow = std::function<bool(std::string_view address, std::int32_t hits)>;

// The scan of ScanUrlCache for a caller that drops most rows right after it: every row
// ScanUrlCache would append is counted and its hits summed, but only those for which
// `keep` holds are appended, with the same content and in the same order. A large cache
// then never holds all its rows in memory at once.
ScanCount ScanUrlCacheKeeping(Platform& platform, std::uint32_t lngTypeMask,
                              const KeepScannedRow& keep, std::vector<ListViewRow>* rows);

}  // namespace zorvane
