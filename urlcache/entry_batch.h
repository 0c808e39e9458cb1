// URL-cache entries handed on in runs: the readers of the sources add one entry at a
// time, inline, and the reader of the whole cache (the ranking's scan) gets a few hundred
// of them per call. One call through std::function per entry would cost more than the
// comparison the scan then makes; a template visitor would put every source reader and
// the sources' discovery into headers. A run is the middle way: the boundary of the layer
// stays a plain function and each reader stays in its own file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "platform/platform.h"
#include "urlcache/cache_with_history.h"

namespace zorvane::urlcache {

// Receives a run of entries, in cache order; returns false to stop the enumeration (the
// entries after the one it stopped at are then no concern of it). The addresses lie in
// the readers' buffers and stay valid only during the call.
using UrlCacheBatchVisitor = std::function<bool(std::span<const UrlCacheEntry>)>;

// A batch visitor that hands each entry of a run on to `visit`, until it returns false.
UrlCacheBatchVisitor EachEntry(std::function<bool(const UrlCacheEntry&)> visit);

// The entries a reader has added and not yet handed on.
class EntryBatch final {
 public:
  // A run holds at most this many entries: 8 KiB, which stay in the first-level cache.
  static constexpr std::size_t kCapacity = 256;

  // Hands every entry on to `visit` (which must outlive the batch).
  explicit EntryBatch(const UrlCacheBatchVisitor& visit) : visit_(visit) {}
  // Hands on to `visit` only the entries whose type shares a bit with `type_mask`; with
  // `history`, every entry added gets the views of the history address it holds
  // (CacheWithHistory::Join).
  EntryBatch(const UrlCacheBatchVisitor& visit, std::uint32_t type_mask, CacheWithHistory* history)
      : visit_(visit), every_type_(false), type_mask_(type_mask), history_(history) {}
  EntryBatch(const EntryBatch&) = delete;
  EntryBatch& operator=(const EntryBatch&) = delete;

  // Whether entries of `type` are wanted; a reader asks before it reads the address of
  // one, and adds only those.
  bool Wants(std::uint32_t type) const { return every_type_ || (type & type_mask_) != 0; }

  // Adds one entry, whose address must stay where it is until the next Flush. False once
  // the visitor has asked to stop (the entry is then dropped).
  bool Add(const UrlCacheEntry& entry) {
    if (stopped_) return false;
    UrlCacheEntry& slot = entries_[size_++];
    slot = entry;
    if (history_ != nullptr) history_->Join(&slot);
    return size_ < kCapacity || Flush();
  }

  // Hands on the entries added since the last call. A reader calls it before the bytes
  // that the addresses lie in change, and at its end. False once the visitor has asked
  // to stop.
  bool Flush() {
    if (size_ > 0 && !stopped_) stopped_ = !visit_(std::span<const UrlCacheEntry>(entries_, size_));
    size_ = 0;
    return !stopped_;
  }

  bool stopped() const { return stopped_; }

 private:
  const UrlCacheBatchVisitor& visit_;
  const bool every_type_ = true;
  const std::uint32_t type_mask_ = 0;
  CacheWithHistory* const history_ = nullptr;
  std::size_t size_ = 0;
  bool stopped_ = false;
  UrlCacheEntry entries_[kCapacity];
};

}  // namespace zorvane::urlcache
