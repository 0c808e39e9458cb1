// The URL cache scan: one result-list row per cache entry that the ranking looks at.
#pragma once

#include <cstdint>
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

}  // namespace zorvane
