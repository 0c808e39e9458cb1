#include "ranking/ranking.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

#include "base/text.h"

namespace zorvane {

std::string FormatCountLabel(std::int32_t count) {
  const std::string digits = std::to_string(count < 0 ? -static_cast<std::int64_t>(count)
                                                      : static_cast<std::int64_t>(count));
  std::string grouped;
  if (count < 0) grouped.push_back('-');
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped.push_back(',');
    grouped.push_back(digits[i]);
  }
  return grouped + "個のファイルを検出";
}

std::int64_t RowHits(const ListViewRow& row) {
  std::string_view s = row.hits;
  bool negative = false;
  if (!s.empty() && s.front() == '-') {
    negative = true;
    s.remove_prefix(1);
  }
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  std::int64_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    const int digit = c - '0';
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  return negative ? -value : value;
}

bool IsHistoryOrSingleHit(std::string_view address, std::int64_t hits) {
  // The first eight characters equal "Visited:" exactly when the first eight bytes do.
  return hits <= 1 || address.substr(0, 8) == "Visited:";
}

std::vector<std::string> ReadCatalogueEntries(std::string_view text) {
  std::vector<std::string> entries;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text::FindLineBreak(text, start);
    if (end == std::string_view::npos) {
      entries.emplace_back(text.substr(start));
      break;
    }
    entries.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return entries;
}

void SetTitles(const std::function<std::string(const std::string&)>& title_of,
               std::vector<ListViewRow>* rows) {
  std::unordered_map<std::string, std::string> titles;
  for (ListViewRow& row : *rows) {
    auto found = titles.find(row.address);
    if (found == titles.end()) found = titles.emplace(row.address, title_of(row.address)).first;
    row.title = found->second;
  }
}

std::string FormatRate(std::int64_t hits, std::int64_t total) {
  if (total <= 0) return std::string();
  // Tenths of a percent, exactly: hits × 1000 / total, half away from zero, in 128 bits
  // so that no count overflows the product.
  const bool negative = hits < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(hits) : static_cast<std::uint64_t>(hits);
  const unsigned __int128 scaled = static_cast<unsigned __int128>(magnitude) * 1000;
  const unsigned __int128 divisor = static_cast<unsigned __int128>(total);
  unsigned __int128 tenths = scaled / divisor;
  const unsigned __int128 remainder = scaled % divisor;
  if (remainder >= divisor - remainder) ++tenths;
  const std::uint64_t t = static_cast<std::uint64_t>(tenths);
  std::string text;
  if (negative && t != 0) text.push_back('-');
  text += std::to_string(t / 10);
  text.push_back('.');
  text.push_back(static_cast<char>('0' + t % 10));
  text.push_back('%');
  return text;
}

void SetRates(std::int64_t total, std::vector<ListViewRow>* rows) {
  for (ListViewRow& row : *rows) row.rate = FormatRate(RowHits(row), total);
}

}  // namespace zorvane
