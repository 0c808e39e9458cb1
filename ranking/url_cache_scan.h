// The URL cache scan: the count and hit total of the entries the ranking looks at, and
// the rows of the favourites among them that can reach the top ten.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "list/list_rows.h"
#include "platform/platform.h"
#include "ranking/top_ten.h"

namespace zorvane {

// What a scan saw of the entries it accepted: how many there were, and the sum of their
// hit counts, the divisor of every rate (counts that read as negative add nothing).
struct ScanCount {
  std::int32_t rows = 0;
  std::int64_t total_hits = 0;
};

// The catalogue's addresses, ready to be compared with cache addresses in the form the
// cache holds them: as text (UTF-8) and, for those the ANSI code page gives back
// unchanged, in that code page. Equal forms mean equal texts, so a cache address is
// converted only where its form could compare differently from its text.
class FavouriteAddresses final {
 public:
  // `entries`: the catalogue entries (ReadCatalogueEntries of url.dat's text).
  FavouriteAddresses(AnsiCodePage& code_page, std::vector<std::string> entries);
  FavouriteAddresses(const FavouriteAddresses&) = delete;
  FavouriteAddresses& operator=(const FavouriteAddresses&) = delete;

  // The entry equal to the text `address`, or nullptr.
  const std::string* FindText(std::string_view address) const;
  // The entry equal to `utf8` when the code page gives that entry back unchanged, or
  // nullptr: UTF-8 that finds one is its own text, without a look at its characters.
  const std::string* FindSurvivingText(std::string_view utf8) const;
  // The entry whose ANSI form is `ansi`, for an address in the one form the code page
  // writes its characters in (Platform::IsCanonicalAnsi, ASCII included); nullptr when
  // there is none.
  const std::string* FindCanonicalAnsi(std::string_view ansi) const;

 private:
  // The forms of one kind in a flat table (open addressing, linear probing, at most half
  // full), with a sieve of a quick hash of each form's length and last bytes: most cache
  // addresses are ruled out by one bit before they are hashed whole.
  class FormTable final {
   public:
    // `forms` and `entries` stay where they are as long as the table.
    void Build(const std::vector<std::string_view>& forms,
               const std::vector<const std::string*>& entries);
    const std::string* Find(std::string_view form) const;

   private:
    static std::uint32_t QuickHash(std::string_view form);
    // Eight bytes a slot, so that the table stays in the cache; the form is read only
    // when its hash matches.
    struct Slot {
      std::uint32_t hash = 0;   // the high half of the form's hash
      std::uint32_t index = 0;  // 1 + the position in forms_, 0 for an empty slot
    };
    // A form with its entry side by side: a match costs one look fewer.
    struct Form {
      std::string_view form;
      const std::string* entry;
    };
    std::vector<Slot> slots_;
    std::vector<Form> forms_;
    std::vector<std::uint64_t> sieve_;  // kSieveBits bits
  };

  std::vector<std::string> entries_;
  std::vector<bool> survives_;           // per entry: whether the code page gives it back unchanged
  std::vector<std::string> ansi_forms_;  // of the entries beyond ASCII that survive
  FormTable by_text_;
  FormTable by_ansi_;
};

// Rows to keep in ScanUrlCacheForFavourites: all of them.
inline constexpr std::size_t kAllRows = static_cast<std::size_t>(-1);

// The ranking's scan in one pass. It walks the platform's URL cache from its first entry
// and accepts each entry whose type shares a bit with `lngTypeMask` and whose address
// does not hold "cookie:" in any letter case; the address is the entry's text (FromAnsi,
// after ToAnsi for a UTF-8 source) and its hit count the entry's 32-bit count read as a
// signed number. Every accepted entry is counted and its hits summed. A row (address,
// hit count in decimal digits; title and rate empty) is due for an entry that names a
// favourite and passes the pre-filter (no history row, more than one hit); its address is
// the catalogue entry it equals. Of the rows due, the `keep` that SortAndKeepTopTen would
// keep of them all are appended (TopRows), in enumeration order: the top ten by default.
// Entries that are not kept cost no allocation, and their addresses are compared in the
// source's form; an address is only looked at character by character (the code page's
// round trip) when it holds a byte above 0x7F and is not a favourite as it stands.
ScanCount ScanUrlCacheForFavourites(Platform& platform, std::uint32_t lngTypeMask,
                                    const FavouriteAddresses& favourites,
                                    std::vector<ListViewRow>* rows, std::size_t keep = kTopTenRows);

}  // namespace zorvane
