// The URL cache on Linux: the sequence of cache entries read from the sources that
// $ZORVANE_URL_CACHE names (paths joined by ":"; each file's kind recognised from its
// content), or, without the variable, from the browser profiles found in the user's home.
//
// A URL cache holds one entry per address, so the browser histories read are merged: the
// history rows of one address, over every database, become one entry whose hit count is
// their sum (at most 2147483647). The entries of cache lists and index.dat files come
// first, in their order, a normal one counting the views of the history address it holds;
// then the other history addresses, in the order they first appeared, as the Windows
// build joins the browsers' histories to its WinINet cache. A database named twice, or
// reached by two paths, is read once.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace zorvane {

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

// The sources found without the variable: the browser history databases in the user's
// profiles under `home_dir` (browsers/profiles.h); folders that cannot be read are named
// through `diagnose`.
std::vector<std::string> DiscoverUrlCacheSources(const std::string& home_dir,
                                                 const DiagnoseSource& diagnose = {});

// An address in the form code page 932 can carry and give back unchanged: characters it
// cannot hold are percent-encoded as UTF-8 bytes instead of becoming "?", so two
// different addresses never meet as one, and the bookmark import writes the same form.
// ASCII addresses (what browsers store) pass unchanged.
std::string AddressForCodePage(std::string_view utf8);

// Calls `visit` for every entry of every source in order, until it returns false.
// `sources`: the value of $ZORVANE_URL_CACHE, or nullptr when it is unset (then the
// discovered sources are read; a variable that is set but empty names no source). A
// folder stands for the index.dat inside it. Sources that cannot be read, or are of an
// unknown kind, yield nothing and are named through `diagnose` with the reason ("PATH:
// REASON"); a damaged cache list or index.dat yields the entries that can be read.
void EnumerateUrlCacheSources(const char* sources, const std::string& home_dir,
                              const DiagnoseSource& diagnose,
                              const std::function<bool(const UrlCacheEntry&)>& visit);

}  // namespace zorvane
