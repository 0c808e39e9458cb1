#include "urlcache/entry_batch.h"

#include <utility>

namespace zorvane::urlcache {

UrlCacheBatchVisitor EachEntry(std::function<bool(const UrlCacheEntry&)> visit) {
  return [visit = std::move(visit)](std::span<const UrlCacheEntry> entries) {
    for (const UrlCacheEntry& entry : entries) {
      if (!visit(entry)) return false;
    }
    return true;
  };
}

}  // namespace zorvane::urlcache
