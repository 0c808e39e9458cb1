// Internet Explorer's URL-cache index file (index.dat), read directly.
//
// Two variants share one layout: "Client UrlCache MMF Ver 5.2" as Internet Explorer 5 to
// 9 write it, with addresses in the ANSI code page, and "WINE URLCache Ver ..." as Wine's
// WinINet writes it, with addresses in UTF-8. The file is a header with an allocation
// bitmap (one bit per 128-byte block from offset 0x4000), then records that each start
// with a four-byte signature and their length in blocks. The reader walks the allocated
// blocks and reads every "URL " record: its entry-type bits (offset 64), its hit count
// (offset 84) and its address (a NUL-terminated string at the offset stored at 52).
//
// Every offset and length is checked against the record and the file, so a truncated or
// damaged file yields the records that can still be read and never more.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace zorvane::urlcache {

// How many leading bytes IsIeCacheIndex needs to see.
inline constexpr std::size_t kIeCacheSignatureBytes = 28;

// Whether `first_bytes` start an index file of one of the two variants.
bool IsIeCacheIndex(std::string_view first_bytes);

// Calls `visit` for each URL record of the index file `bytes`, in file order, until it
// returns false; returns false then. Addresses are handed over as the file holds them:
// those of Internet Explorer's files in code page 932, those of Wine's files in UTF-8
// (standing for their code page 932 form, in which characters the code page cannot hold
// become "?"), except that an address of Wine's that is not UTF-8 goes as code page 932.
// Records with an empty address are skipped.
bool EnumerateIeCacheIndex(std::string_view bytes,
                           const std::function<bool(const UrlCacheEntry&)>& visit);

// The same over the file at `path`; reads no more than the largest index the bitmap can
// describe. A file that cannot be read yields nothing.
bool EnumerateIeCacheIndexFile(const std::string& path,
                               const std::function<bool(const UrlCacheEntry&)>& visit);

// The same, reading the file into `buffer`, which keeps its room for the next file: a
// cache of many index files then faults in the pages of one.
bool EnumerateIeCacheIndexFile(const std::string& path,
                               const std::function<bool(const UrlCacheEntry&)>& visit,
                               std::vector<char>* buffer);

}  // namespace zorvane::urlcache
