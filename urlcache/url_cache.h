// The URL cache the ranking reads, once for both builds: the system's own cache (the
// platform's EnumerateUrlCache: Internet Explorer's WinINet cache on Windows, none on
// Linux, a list on the memory platform), then the sources named or found.
//
// Sources: on Linux, the files $ZORVANE_URL_CACHE names (paths joined by ":"; each
// file's kind recognised from its content: a cache list, an index.dat or a folder holding
// one, a browser's history database); else, and always on Windows, the history
// databases of the browser profiles found in the user's folders.
//
// A URL cache holds one entry per address, so the browser histories read are merged: the
// history rows of one address, over every database, become one entry whose hit count is
// their sum (at most 2147483647). The entries of the system's cache, then of cache lists
// and index.dat files come first, in their order, a normal one counting the views of the
// history address it holds; then the other history addresses, in the order they first
// appeared. A database named twice, or reached by two paths, is read once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "urlcache/entry_batch.h"

namespace zorvane::urlcache {

// The kinds of file a source can be.
enum class UrlCacheSourceKind {
  kCacheList,     // our text format (cache_list.h)
  kIeCacheIndex,  // an index.dat (ie_index.h)
  kSqlite,        // a SQLite database: a browser's history
  kUnknown,       // anything else with a NUL byte in its first bytes
};

// How many leading bytes RecognizeUrlCacheSource looks at.
inline constexpr std::size_t kUrlCacheSourceProbeBytes = 32;

// The kind of a source whose file starts with `first_bytes` (fewer than
// kUrlCacheSourceProbeBytes when the file is shorter). Text without NUL bytes is a cache
// list; an empty file is an empty cache list.
UrlCacheSourceKind RecognizeUrlCacheSource(std::string_view first_bytes);

// The paths of `sources` (the value of $ZORVANE_URL_CACHE), split at ":", empty parts
// left out.
std::vector<std::string> SplitUrlCacheSources(std::string_view sources);

// Receives one diagnostic line (no line break) per source that was skipped.
using DiagnoseSource = std::function<void(const std::string& line)>;

// Hands every entry whose type shares a bit with `type_mask` to `visit`, in the order
// above, a run at a time (entry_batch.h), until it returns false. Sources that cannot be
// read, or are of an unknown kind, yield nothing and are named through the platform's
// diagnostics with the reason ("PATH: REASON"); so are profile folders that cannot be
// read. A damaged cache list or index.dat yields the entries that can be read.
void EnumerateUrlCacheInBatches(Platform& platform, std::uint32_t type_mask,
                                const UrlCacheBatchVisitor& visit);

// The same, calling `visit` for each entry.
void EnumerateUrlCache(Platform& platform, std::uint32_t type_mask,
                       const std::function<bool(const UrlCacheEntry&)>& visit);

}  // namespace zorvane::urlcache
