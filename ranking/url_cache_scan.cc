#include "ranking/url_cache_scan.h"

#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <utility>

#include "base/text.h"
#include "ranking/ranking.h"
#include "urlcache/url_cache.h"

namespace zorvane {
namespace {

// Whether `address` holds "cookie:" in any letter case: a ":" after the six letters of
// "cookie", each in either case. The same answer as looking for "cookie:" in the address
// turned to lower case, without making that copy.
bool HoldsCookieMark(std::string_view address) {
  constexpr std::string_view kWord = "cookie";
  for (std::size_t colon = address.find(':', kWord.size()); colon != std::string_view::npos;
       colon = address.find(':', colon + 1)) {
    const std::string_view word = address.substr(colon - kWord.size(), kWord.size());
    bool same = true;
    for (std::size_t i = 0; i < kWord.size() && same; ++i) {
      const char c = word[i];
      same = c == kWord[i] || c == kWord[i] - 'a' + 'A';
    }
    if (same) return true;
  }
  return false;
}

// The text of an address, as the ranking compares and shows it.
std::string AddressText(Platform& platform, const UrlCacheEntry& entry) {
  return entry.encoding == AddressEncoding::kUtf8
             ? platform.FromAnsi(platform.ToAnsi(entry.address))
             : platform.FromAnsi(entry.address);
}

void AppendRow(std::string address, std::int32_t hits, std::vector<ListViewRow>* rows) {
  ListViewRow row;
  row.address = std::move(address);
  row.hits = std::to_string(hits);
  rows->push_back(std::move(row));
}

}  // namespace

FavouriteAddresses::FavouriteAddresses(AnsiCodePage& code_page, std::vector<std::string> entries)
    : entries_(std::move(entries)) {
  // An address survives the code page when its ANSI form reads back as itself; only then
  // do equal ANSI forms mean equal texts. ASCII addresses are their own ANSI form.
  std::vector<const std::string*> surviving;
  for (const std::string& entry : entries_) {
    if (code_page.SurvivesAnsi(entry)) {
      surviving.push_back(&entry);
      ansi_forms_.push_back(code_page.ToAnsi(entry));
    }
  }
  std::vector<std::string_view> texts(entries_.begin(), entries_.end());
  std::vector<const std::string*> all;
  for (const std::string& entry : entries_) all.push_back(&entry);
  by_text_.Build(texts, all);
  by_ansi_.Build(std::vector<std::string_view>(ansi_forms_.begin(), ansi_forms_.end()), surviving);
}

const std::string* FavouriteAddresses::FindText(std::string_view address) const {
  return by_text_.Find(address);
}

const std::string* FavouriteAddresses::FindCanonicalAnsi(std::string_view ansi) const {
  return by_ansi_.Find(ansi);
}

namespace {

// A sieve of 2^18 bits (32 KiB, at home in the first-level cache) passes one cache
// address in twenty-six when ten thousand favourites are catalogued.
constexpr int kSieveBitsLog = 18;

}  // namespace

std::uint32_t FavouriteAddresses::FormTable::QuickHash(std::string_view form) {
  // Addresses tend to differ at their end, which the last eight bytes hold; the length
  // tells most others apart.
  std::uint64_t tail = 0;
  const std::size_t n = form.size() < 8 ? form.size() : 8;
  std::memcpy(&tail, form.data() + form.size() - n, n);
  const std::uint64_t mixed =
      (tail ^ (form.size() * 0x9E3779B97F4A7C15ull)) * 0xFF51AFD7ED558CCDull;
  return static_cast<std::uint32_t>(mixed >> (64 - kSieveBitsLog));
}

void FavouriteAddresses::FormTable::Build(const std::vector<std::string_view>& forms,
                                          const std::vector<const std::string*>& entries) {
  sieve_.assign((std::size_t{1} << kSieveBitsLog) / 64, 0);
  std::size_t size = 16;
  while (size < 2 * forms.size()) size *= 2;
  slots_.assign(size, Slot{});
  for (std::size_t k = 0; k < forms.size(); ++k) {
    const std::uint32_t bit = QuickHash(forms[k]);
    sieve_[bit / 64] |= std::uint64_t{1} << (bit % 64);
    const std::size_t hash = std::hash<std::string_view>()(forms[k]);
    const auto high = static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >> 32);
    std::size_t i = hash & (size - 1);
    // An equal form met again keeps the first entry: both are the same text.
    bool seen = false;
    for (; slots_[i].index != 0 && !seen; i = (i + 1) & (size - 1)) {
      seen = slots_[i].hash == high && forms_[slots_[i].index - 1] == forms[k];
    }
    if (seen) continue;
    forms_.push_back(forms[k]);
    entries_.push_back(entries[k]);
    slots_[i] = Slot{high, static_cast<std::uint32_t>(forms_.size())};
  }
}

const std::string* FavouriteAddresses::FormTable::Find(std::string_view form) const {
  const std::uint32_t bit = QuickHash(form);
  if ((sieve_[bit / 64] >> (bit % 64) & 1) == 0) return nullptr;
  const std::size_t hash = std::hash<std::string_view>()(form);
  const auto high = static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >> 32);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.index == 0) return nullptr;
    if (slot.hash == high && forms_[slot.index - 1] == form) return entries_[slot.index - 1];
  }
}

ScanCount ScanUrlCacheForFavourites(Platform& platform, std::uint32_t lngTypeMask,
                                    const FavouriteAddresses& favourites,
                                    std::vector<ListViewRow>* rows) {
  ScanCount count;
  std::string converted;
  urlcache::EnumerateUrlCache(platform, lngTypeMask, [&](const UrlCacheEntry& entry) {
    // Three cases: UTF-8 the code page gives back unchanged is its own text; an ANSI
    // address in the code page's one form for each of its characters is compared in that
    // form; anything else is converted to its text, so that "?" stand-ins and second
    // forms of a character compare as their texts do. ASCII is in the first two.
    std::string_view address = entry.address;
    bool canonical_ansi = false;
    if (entry.encoding == AddressEncoding::kUtf8
            ? !platform.SurvivesAnsi(address)
            : !(canonical_ansi = platform.IsCanonicalAnsi(address))) {
      converted = AddressText(platform, entry);
      address = converted;
    }
    // UTF-8 continuation bytes never look like ASCII. In a canonical ANSI form every
    // ASCII character is its own byte, so "cookie:" in the text shows in the bytes; the
    // bytes can also show it where a trail byte looks like a letter, and only then is the
    // text looked at.
    if (HoldsCookieMark(address) && (!canonical_ansi || text::IsAscii(address) ||
                                     HoldsCookieMark(platform.FromAnsi(address)))) {
      return true;
    }
    const auto hits = static_cast<std::int32_t>(entry.hit_rate);
    if (hits > 0) count.total_hits += hits;
    if (hits > 1) {
      const std::string* favourite =
          canonical_ansi ? favourites.FindCanonicalAnsi(address) : favourites.FindText(address);
      // The favourite is the address's text: the history test reads it.
      if (favourite != nullptr && !IsHistoryOrSingleHit(*favourite, hits)) {
        AppendRow(*favourite, hits, rows);
      }
    }
    return ++count.rows < std::numeric_limits<std::int32_t>::max();
  });
  return count;
}

}  // namespace zorvane
