// The URL cache on Linux: the sequence of cache entries read from the sources that
// $ZORVANE_URL_CACHE names (paths joined by ":"; each file's kind recognised from its
// content), or, without the variable, from the browser profiles found in the user's home.
#pragma once

#include <functional>
#include <string>

#include "platform/platform.h"

namespace zorvane {

// Calls `visit` for every entry of every source in order, until it returns false.
// `sources`: the value of $ZORVANE_URL_CACHE, or nullptr when it is unset. Sources that
// cannot be read yield nothing; a damaged source yields the entries that can be read.
void EnumerateUrlCacheSources(const char* sources, const std::string& home_dir,
                              const std::function<bool(const UrlCacheEntry&)>& visit);

}  // namespace zorvane
