// Puts entries into the real WinINet URL cache of the running (Wine) user, with the hit
// counts a test wants, so the Windows build's cache scan can be checked against known
// contents.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane::wine {

struct CacheListEntry {
  std::uint32_t type = 0;  // the entry-type bits as WinINet reports them back
  std::uint32_t hits = 0;
  std::string address;  // UTF-8
};

// Reads a cache list: UTF-8 text, one entry per line, TYPE<TAB>HITS<TAB>ADDRESS, TYPE in
// hex with "0x" or decimal; blank lines and lines starting with "#" are skipped. False,
// with the line in `error`, for a malformed line.
bool ParseCacheList(std::string_view text, std::vector<CacheListEntry>* entries,
                    std::string* error);

// Commits each entry (an address under "Cookie:" or "Visited:" goes to that container,
// which adds its own type bit) and sets its hit count with SetUrlCacheEntryInfoA. False,
// with the failing address and error code in `error`.
bool FillUrlCache(const std::vector<CacheListEntry>& entries, std::string* error);

}  // namespace zorvane::wine
