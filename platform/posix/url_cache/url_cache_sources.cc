#include "platform/posix/url_cache/url_cache_sources.h"

namespace zorvane {

// No source is read yet: the cache lists, index.dat and browser-history providers come
// next. Until then every enumeration is empty, as one that cannot start.
void EnumerateUrlCacheSources(const char* /*sources*/, const std::string& /*home_dir*/,
                              const std::function<bool(const UrlCacheEntry&)>& /*visit*/) {}

}  // namespace zorvane
