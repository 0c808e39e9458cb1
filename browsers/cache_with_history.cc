#include "browsers/cache_with_history.h"

#include <algorithm>
#include <cstdint>

namespace zorvane::browsers {
namespace {

constexpr std::uint32_t kNormalEntry = 0x1;
constexpr std::uint32_t kMaxHits = 2147483647;

}  // namespace

CacheWithHistory::CacheWithHistory(
    const MergedHistory& history,
    const std::function<std::string(std::string_view)>& to_cache_address) {
  const std::vector<HistoryRow>& rows = history.rows();
  addresses_.reserve(rows.size());
  hits_.reserve(rows.size());
  for (const HistoryRow& row : rows) {
    addresses_.push_back(to_cache_address(row.address));
    hits_.push_back(row.hits);
  }
  taken_.assign(rows.size(), false);
  // Two history addresses may meet in one cache form; the first one's row is looked up.
  for (std::size_t i = 0; i < addresses_.size(); ++i) index_.emplace(addresses_[i], i);
}

bool CacheWithHistory::VisitCacheEntry(const UrlCacheEntry& entry, const CacheVisitor& visit) {
  if ((entry.type & kNormalEntry) == 0 || index_.empty()) return visit(entry);
  const auto found = index_.find(entry.address);
  if (found == index_.end() || taken_[found->second]) return visit(entry);
  taken_[found->second] = true;
  UrlCacheEntry sum = entry;
  if (entry.hit_rate <= kMaxHits) {
    sum.hit_rate = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::uint64_t{entry.hit_rate} + hits_[found->second], kMaxHits));
  }
  return visit(sum);
}

bool CacheWithHistory::VisitRemainingHistory(const CacheVisitor& visit) {
  for (std::size_t i = 0; i < addresses_.size(); ++i) {
    if (taken_[i]) continue;
    UrlCacheEntry entry;
    entry.type = kNormalEntry;
    entry.address = addresses_[i];
    entry.hit_rate = hits_[i];
    if (!visit(entry)) return false;
  }
  return true;
}

}  // namespace zorvane::browsers
