#include "ranking/top_ten.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "list/listsort.h"

namespace zorvane {

void SortAndKeepTopTen(AnsiCodePage& code_page, std::vector<ListViewRow>* rows) {
  SortListByColumn(code_page, rows, kHitsColumn, kCompareAsNumbers, kSortDescending);
  if (rows->size() > kTopTenRows) rows->resize(kTopTenRows);
}

void TopRows::Keep(std::int32_t hits, const std::string* address) {
  const Kept row{hits, kept_so_far_++, address};
  if (kept_.size() < limit_) {
    kept_.push_back(row);
    if (kept_.size() < limit_) return;
  } else {
    // A later row with the count of the smallest beats it.
    kept_[smallest_] = row;
  }
  smallest_ = 0;
  for (std::size_t i = 1; i < kept_.size(); ++i) {
    const Kept& a = kept_[i];
    const Kept& b = kept_[smallest_];
    if (a.hits < b.hits || (a.hits == b.hits && a.order < b.order)) smallest_ = i;
  }
}

void TopRows::AppendRows(std::vector<ListViewRow>* rows) const {
  std::vector<Kept> in_order = kept_;
  std::sort(in_order.begin(), in_order.end(),
            [](const Kept& a, const Kept& b) { return a.order < b.order; });
  for (const Kept& kept : in_order) {
    ListViewRow row;
    row.address = *kept.address;
    row.hits = std::to_string(kept.hits);
    rows->push_back(std::move(row));
  }
}

std::int16_t ParseStoredPlace(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Anything past the 16-bit range clamps, so the digits need not be read further than
  // a value that is already out of range.
  constexpr double kLimit = 1e6;
  double value = 0;
  bool any = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    if (value < kLimit) value = value * 10 + (text[i] - '0');
    any = true;
    ++i;
  }
  if (i < text.size() && text[i] == '.') {
    double scale = 0.1;
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, scale /= 10) {
      value += (text[i] - '0') * scale;
      any = true;
    }
  }
  if (!any) return 0;
  if (negative) value = -value;
  const double rounded = std::nearbyint(value);  // the default mode rounds half to even
  constexpr double kMin = std::numeric_limits<std::int16_t>::min();
  constexpr double kMax = std::numeric_limits<std::int16_t>::max();
  if (rounded < kMin) return std::numeric_limits<std::int16_t>::min();
  if (rounded > kMax) return std::numeric_limits<std::int16_t>::max();
  return static_cast<std::int16_t>(rounded);
}

int TrendIcon(std::int16_t previous_place, std::size_t place) {
  if (previous_place == 11) return kIconSun;
  const auto previous = static_cast<std::int64_t>(previous_place);
  const auto now = static_cast<std::int64_t>(place);
  if (previous == now) return kIconArrow;
  return previous > now ? kIconSun : kIconCloud;
}

std::vector<std::pair<std::string, std::string>> SetTrendIcons(
    const std::function<std::string(const std::string&)>& stored_place,
    std::vector<ListViewRow>* rows) {
  std::vector<std::pair<std::string, std::string>> places;
  if (rows->empty()) return places;
  // Every row is compared with the places of the previous run: read them all first.
  std::vector<std::int16_t> previous;
  previous.reserve(rows->size());
  for (const ListViewRow& row : *rows) {
    // Nothing is ever stored under an empty key, so an empty title has the default.
    const std::string stored = row.title.empty() ? kDefaultStoredPlace : stored_place(row.title);
    previous.push_back(ParseStoredPlace(stored));
  }
  for (std::size_t i = 0; i < rows->size(); ++i) {
    ListViewRow& row = (*rows)[i];
    row.small_icon = TrendIcon(previous[i], i + 1);
    if (!row.title.empty()) places.emplace_back(row.title, std::to_string(i + 1));
  }
  return places;
}

}  // namespace zorvane
