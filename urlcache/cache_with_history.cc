#include "urlcache/cache_with_history.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "base/text.h"
#include "urlcache/entry_batch.h"

namespace zorvane::urlcache {

using browsers::AddressForCodePage;
namespace {

constexpr std::uint32_t kMaxHits = 2147483647;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

}  // namespace

CacheWithHistory::CacheWithHistory(const MergedHistory& history, CodePageForms forms)
    : history_(history), forms_(std::move(forms)), taken_(history.size(), false) {}

std::string_view CacheWithHistory::Form(std::size_t index, bool* lasting) {
  const std::string_view address = history_.address(index);
  *lasting = true;
  if (by_form_built_) {
    const auto changed = changed_forms_.find(index);
    return changed == changed_forms_.end() ? address : std::string_view(changed->second);
  }
  if (forms_.survives(address)) return address;
  scratch_ = AddressForCodePage(address, forms_);
  *lasting = false;
  return scratch_;
}

std::size_t CacheWithHistory::Lookup(const UrlCacheEntry& entry) {
  if (!by_form_built_) {
    by_form_.reserve(history_.size());
    for (std::size_t i = 0; i < history_.size(); ++i) {
      std::string_view address = history_.address(i);
      if (!forms_.survives(address)) {
        address = changed_forms_.emplace(i, AddressForCodePage(address, forms_)).first->second;
      }
      by_form_.emplace(address, i);
    }
    by_form_built_ = true;
  }
  // UTF-8 that survives the code page matches the UTF-8 forms as it is.
  if (entry.encoding == AddressEncoding::kUtf8 && forms_.survives(entry.address)) {
    const auto found = by_form_.find(entry.address);
    return found == by_form_.end() ? kNone : found->second;
  }
  if (!by_ansi_built_) {
    by_ansi_.reserve(history_.size());
    bool lasting = false;
    for (std::size_t i = 0; i < history_.size(); ++i) {
      by_ansi_.emplace(forms_.to_ansi(Form(i, &lasting)), i);
    }
    by_ansi_built_ = true;
  }
  const auto found =
      by_ansi_.find(entry.encoding == AddressEncoding::kAnsi ? std::string(entry.address)
                                                             : forms_.to_ansi(entry.address));
  return found == by_ansi_.end() ? kNone : found->second;
}

void CacheWithHistory::JoinHistory(UrlCacheEntry* entry) {
  const std::size_t index = Lookup(*entry);
  if (index == kNone || taken_[index]) return;
  taken_[index] = true;
  if (entry->hit_rate <= kMaxHits) {
    entry->hit_rate = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::uint64_t{entry->hit_rate} + history_.hits(index), kMaxHits));
  }
}

bool CacheWithHistory::AddRemainingHistory(EntryBatch& batch) {
  for (std::size_t i = 0; i < history_.size(); ++i) {
    if (taken_[i]) continue;
    UrlCacheEntry entry;
    entry.type = kNormalEntry;
    bool lasting = false;
    entry.address = Form(i, &lasting);
    entry.hit_rate = history_.hits(i);
    entry.encoding = AddressEncoding::kUtf8;
    // A form made for this entry alone is handed on before the next one replaces it.
    if (!batch.Add(entry) || (!lasting && !batch.Flush())) return false;
  }
  return true;
}

}  // namespace zorvane::urlcache
