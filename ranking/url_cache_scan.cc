#include "ranking/url_cache_scan.h"

#include <limits>
#include <string>
#include <utility>

#include "platform/text.h"
#include "ranking/ranking.h"

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

// The text of an address, as ScanUrlCache compares and shows it.
std::string AddressText(Platform& platform, const UrlCacheEntry& entry) {
  return entry.encoding == AddressEncoding::kUtf8 ? platform.FromAnsi(platform.ToAnsi(entry.address))
                                                  : platform.FromAnsi(entry.address);
}

void AppendRow(std::string address, std::int32_t hits, std::vector<ListViewRow>* rows) {
  ListViewRow row;
  row.address = std::move(address);
  row.hits = std::to_string(hits);
  rows->push_back(std::move(row));
}

}  // namespace

std::int32_t ScanUrlCache(Platform& platform, std::uint32_t lngTypeMask,
                          std::vector<ListViewRow>* rows) {
  std::int32_t count = 0;
  platform.EnumerateUrlCache(lngTypeMask, [&](const UrlCacheEntry& entry) {
    std::string address = AddressText(platform, entry);
    if (HoldsCookieMark(address)) return true;
    AppendRow(std::move(address), static_cast<std::int32_t>(entry.hit_rate), rows);
    // The count is a signed 32-bit number; the scan ends before it would overflow.
    return ++count < std::numeric_limits<std::int32_t>::max();
  });
  return count;
}

FavouriteAddresses::FavouriteAddresses(Platform& platform, std::vector<std::string> entries)
    : entries_(std::move(entries)) {
  // An address survives the code page when its ANSI form reads back as itself; only then
  // do equal ANSI forms mean equal texts. (ASCII addresses are their own ANSI form and
  // are found by text.)
  std::vector<std::size_t> surviving;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const std::string& entry = entries_[i];
    if (!text::IsAscii(entry) && platform.SurvivesAnsi(entry)) {
      surviving.push_back(i);
      ansi_forms_.push_back(platform.ToAnsi(entry));
    }
  }
  // The maps point into the vectors, which no longer grow.
  for (const std::string& entry : entries_) {
    by_text_.emplace(entry, &entry);
    if (text_lengths_.size() <= entry.size()) text_lengths_.resize(entry.size() + 1);
    text_lengths_[entry.size()] = true;
  }
  for (std::size_t k = 0; k < surviving.size(); ++k) {
    const std::string& form = ansi_forms_[k];
    by_ansi_.emplace(form, &entries_[surviving[k]]);
    if (ansi_lengths_.size() <= form.size()) ansi_lengths_.resize(form.size() + 1);
    ansi_lengths_[form.size()] = true;
  }
}

const std::string* FavouriteAddresses::FindText(std::string_view address) const {
  if (!HasLength(text_lengths_, address.size())) return nullptr;
  const auto found = by_text_.find(address);
  return found == by_text_.end() ? nullptr : found->second;
}

const std::string* FavouriteAddresses::FindCanonicalAnsi(std::string_view ansi) const {
  if (!HasLength(ansi_lengths_, ansi.size())) return nullptr;
  const auto found = by_ansi_.find(ansi);
  return found == by_ansi_.end() ? nullptr : found->second;
}

ScanCount ScanUrlCacheForFavourites(Platform& platform, std::uint32_t lngTypeMask,
                                    const FavouriteAddresses& favourites,
                                    std::vector<ListViewRow>* rows) {
  ScanCount count;
  std::string converted;
  platform.EnumerateUrlCache(lngTypeMask, [&](const UrlCacheEntry& entry) {
    // Three cases, from the cheapest: an address that is its own text (ASCII, or UTF-8
    // the code page gives back unchanged); an ANSI address in the code page's one form
    // for its characters, compared in that form; anything else converted to its text,
    // so that "?" stand-ins and second forms of a character compare as ScanUrlCache's.
    std::string_view address = entry.address;
    bool canonical_ansi = false;
    if (!text::IsAscii(address)) {
      if (entry.encoding == AddressEncoding::kUtf8 && platform.SurvivesAnsi(address)) {
        // UTF-8 continuation bytes never look like ASCII: the text tests work on it as is.
      } else if (entry.encoding == AddressEncoding::kAnsi && platform.IsCanonicalAnsi(address)) {
        canonical_ansi = true;
      } else {
        converted = AddressText(platform, entry);
        address = converted;
      }
    }
    // In a canonical ANSI form every ASCII character is its own byte, so "cookie:" in the
    // text shows in the bytes; the bytes can also show it where a trail byte looks like a
    // letter, and only then is the text looked at.
    if (HoldsCookieMark(address) &&
        (!canonical_ansi || HoldsCookieMark(platform.FromAnsi(address)))) {
      return true;
    }
    const auto hits = static_cast<std::int32_t>(entry.hit_rate);
    if (hits > 0) count.total_hits += hits;
    if (hits > 1) {
      const std::string* favourite = canonical_ansi ? favourites.FindCanonicalAnsi(address)
                                                    : favourites.FindText(address);
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
