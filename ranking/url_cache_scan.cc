#include "ranking/url_cache_scan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstring>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <utility>

#include "base/text.h"
#include "ranking/ranking.h"
#include "urlcache/url_cache.h"

namespace zorvane {
namespace {

constexpr std::string_view kCookieWord = "cookie";

// Whether `address` holds "cookie:" in any letter case, looking at the ":" from `colon`
// on: a ":" after the six letters of "cookie", each in either case. The same answer as
// looking for "cookie:" in the address turned to lower case, without making that copy.
bool HoldsCookieMark(std::string_view address, std::size_t colon) {
  for (; colon != std::string_view::npos; colon = address.find(':', colon + 1)) {
    const std::string_view word = address.substr(colon - kCookieWord.size(), kCookieWord.size());
    bool same = true;
    for (std::size_t i = 0; i < kCookieWord.size() && same; ++i) {
      const char c = word[i];
      same = c == kCookieWord[i] || c == kCookieWord[i] - 'a' + 'A';
    }
    if (same) return true;
  }
  return false;
}

bool HoldsCookieMark(std::string_view address) {
  return HoldsCookieMark(address, address.find(':', kCookieWord.size()));
}

// What one look at every byte of an address tells.
struct Shape {
  bool ascii = true;                           // no byte above 0x7F
  std::size_t colon = std::string_view::npos;  // the first ":" with room for "cookie" before it
};

#if defined(__SSE2__)
// Takes in the sixteen bytes `block` at `at`, `fresh` the bits of those not seen before.
inline void TakeIn(__m128i block, std::size_t at, unsigned fresh, Shape* shape) {
  const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(block)) & fresh;
  const unsigned colon =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(':')))) & fresh &
      (at == 0 ? ~((1u << kCookieWord.size()) - 1) : ~0u);
  if (high != 0) shape->ascii = false;
  if (colon != 0 && shape->colon == std::string_view::npos) {
    shape->colon = at + static_cast<std::size_t>(__builtin_ctz(colon));
  }
}
#endif

// Both at once: most addresses are read whole for neither, and once is enough.
Shape ShapeOf(std::string_view address) {
  Shape shape;
  const auto* bytes = reinterpret_cast<const unsigned char*>(address.data());
  const std::size_t n = address.size();
  std::size_t i = 0;
#if defined(__SSE2__)
  if (n >= 16) {
    const auto load = [&](std::size_t at) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    };
    const __m128i colons = _mm_set1_epi8(':');
    TakeIn(load(0), 0, 0xFFFF, &shape);  // where the scheme's ":" stands
    // Thirty-two bytes with neither a high bit nor a ":" (a ":" compares to 0xFF) cost one
    // test.
    for (i = 16; i + 32 <= n; i += 32) {
      const __m128i a = load(i);
      const __m128i b = load(i + 16);
      const __m128i either = _mm_or_si128(_mm_or_si128(a, _mm_cmpeq_epi8(a, colons)),
                                          _mm_or_si128(b, _mm_cmpeq_epi8(b, colons)));
      if (_mm_movemask_epi8(either) == 0) continue;
      TakeIn(a, i, 0xFFFF, &shape);
      TakeIn(b, i + 16, 0xFFFF, &shape);
      if (!shape.ascii && shape.colon != std::string_view::npos) return shape;
    }
    // The rest as the last sixteen and, before them, the sixteen after those seen.
    if (i + 16 < n) {
      TakeIn(load(i), i, 0xFFFF, &shape);
      i += 16;
    }
    if (i < n) TakeIn(load(n - 16), n - 16, 0xFFFFu & ~((1u << (i - (n - 16))) - 1), &shape);
    return shape;
  }
#endif
  for (; i < n; ++i) {
    if (bytes[i] >= 0x80) shape.ascii = false;
    if (bytes[i] == ':' && i >= kCookieWord.size() && shape.colon == std::string_view::npos) {
      shape.colon = i;
    }
  }
  return shape;
}

// What the scan makes of one entry's address.
struct Reading {
  bool cookie = false;                     // it holds "cookie:": the entry is not counted
  const std::string* favourite = nullptr;  // the favourite it names: looked for when the
                                           // entry has more than one hit, and for UTF-8
                                           // beyond ASCII always (it spares the round trip)
};

// Three cases decide the text of an address: UTF-8 the code page gives back unchanged is
// its own text; an ANSI address in the code page's one form for each of its characters
// is compared in that form; anything else is converted to its text, so that "?"
// stand-ins and second forms of a character compare as their texts do. ASCII is in the
// first two, and so is an address that equals a favourite the code page gives back; only
// other addresses with a byte above 0x7F are looked at character by character.
Reading ReadAddress(Platform& platform, const FavouriteAddresses& favourites,
                    const UrlCacheEntry& entry, bool look_up, std::string* converted) {
  const std::string_view address = entry.address;
  Reading reading;
  const Shape shape = ShapeOf(address);
  const bool ascii = shape.ascii;
  if (entry.encoding == AddressEncoding::kUtf8) {
    if (!ascii) {
      if (const std::string* favourite = favourites.FindSurvivingText(address)) {
        reading.cookie = HoldsCookieMark(address, shape.colon);
        reading.favourite = favourite;
        return reading;
      }
      if (!platform.SurvivesAnsi(address)) {
        *converted = platform.FromAnsi(platform.ToAnsi(address));
        reading.cookie = HoldsCookieMark(*converted);
        if (look_up && !reading.cookie) reading.favourite = favourites.FindText(*converted);
        return reading;
      }
      // It survives, so no entry equals it: an equal one would survive too.
      reading.cookie = HoldsCookieMark(address, shape.colon);
      return reading;
    }
    reading.cookie = HoldsCookieMark(address, shape.colon);
    if (look_up && !reading.cookie) reading.favourite = favourites.FindText(address);
    return reading;
  }
  // ANSI. Decoding never makes ASCII of other bytes and never puts two ASCII characters
  // side by side that were not, so "cookie:" shows in the text only where it shows in the
  // bytes; where the bytes show it beyond ASCII (a trail byte can look like a letter), the
  // text decides.
  bool have_text = false;
  if (HoldsCookieMark(address, shape.colon)) {
    if (!ascii) {
      *converted = platform.FromAnsi(address);
      have_text = true;
    }
    reading.cookie = ascii || HoldsCookieMark(*converted);
  }
  if (!look_up || reading.cookie) return reading;
  // Bytes equal to a favourite's ANSI form are in the one form, since that favourite
  // survives the code page.
  reading.favourite = favourites.FindCanonicalAnsi(address);
  if (reading.favourite != nullptr || ascii || platform.IsCanonicalAnsi(address)) return reading;
  if (!have_text) *converted = platform.FromAnsi(address);
  reading.favourite = favourites.FindText(*converted);
  return reading;
}

}  // namespace

FavouriteAddresses::FavouriteAddresses(AnsiCodePage& code_page, std::vector<std::string> entries)
    : entries_(std::move(entries)) {
  // An address survives the code page when its ANSI form reads back as itself; only then
  // do equal ANSI forms mean equal texts. ASCII addresses are their own ANSI form.
  std::vector<const std::string*> surviving;
  survives_.reserve(entries_.size());
  for (const std::string& entry : entries_) {
    const bool ascii = text::IsAscii(entry);
    survives_.push_back(ascii || code_page.SurvivesAnsi(entry));
    if (!survives_.back()) continue;
    surviving.push_back(&entry);
    if (!ascii) ansi_forms_.push_back(code_page.ToAnsi(entry));
  }
  std::vector<std::string_view> ansi_views;
  ansi_views.reserve(surviving.size());
  std::size_t converted = 0;
  for (const std::string* entry : surviving) {
    ansi_views.push_back(text::IsAscii(*entry) ? std::string_view(*entry)
                                               : std::string_view(ansi_forms_[converted++]));
  }
  std::vector<std::string_view> texts(entries_.begin(), entries_.end());
  std::vector<const std::string*> all;
  all.reserve(entries_.size());
  for (const std::string& entry : entries_) all.push_back(&entry);
  by_text_.Build(texts, all);
  by_ansi_.Build(ansi_views, surviving);
}

const std::string* FavouriteAddresses::FindText(std::string_view address) const {
  return by_text_.Find(address);
}

const std::string* FavouriteAddresses::FindSurvivingText(std::string_view utf8) const {
  const std::string* entry = by_text_.Find(utf8);
  return entry != nullptr && survives_[static_cast<std::size_t>(entry - entries_.data())] ? entry
                                                                                          : nullptr;
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
      seen = slots_[i].hash == high && forms_[slots_[i].index - 1].form == forms[k];
    }
    if (seen) continue;
    forms_.push_back(Form{forms[k], entries[k]});
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
    if (slot.hash != high) continue;
    const Form& candidate = forms_[slot.index - 1];
    if (candidate.form == form) return candidate.entry;
  }
}

ScanCount ScanUrlCacheForFavourites(Platform& platform, std::uint32_t lngTypeMask,
                                    const FavouriteAddresses& favourites,
                                    std::vector<ListViewRow>* rows, std::size_t keep) {
  ScanCount count;
  TopRows top(keep);
  std::string converted;
  urlcache::EnumerateUrlCacheInBatches(
      platform, lngTypeMask, [&](std::span<const UrlCacheEntry> entries) {
        for (const UrlCacheEntry& entry : entries) {
          const auto hits = static_cast<std::int32_t>(entry.hit_rate);
          const Reading reading = ReadAddress(platform, favourites, entry, hits > 1, &converted);
          if (reading.cookie) continue;
          if (hits > 0) count.total_hits += hits;
          // The favourite is the address's text: the history test reads it.
          if (reading.favourite != nullptr && !IsHistoryOrSingleHit(*reading.favourite, hits)) {
            top.Offer(hits, reading.favourite);
          }
          if (++count.rows == std::numeric_limits<std::int32_t>::max()) return false;
        }
        return true;
      });
  top.AppendRows(rows);
  return count;
}

}  // namespace zorvane
