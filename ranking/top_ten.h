// The last steps of the ranking: order by hit count, keep the top ten, mark each row with
// its trend against the places stored by the previous ranking, and give the new places.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/ansi_code_page.h"
#include "list/list_rows.h"

namespace zorvane {

// Trend icons of ImageList1.
inline constexpr int kIconCloud = 1;  // the title stands lower than before
inline constexpr int kIconArrow = 2;  // the title keeps its place
inline constexpr int kIconSun = 3;    // the title stands higher, or was out of the list

// How many rows the ranking keeps.
inline constexpr std::size_t kTopTenRows = 10;

// The place a title had last time when nothing is stored for it.
inline constexpr char kDefaultStoredPlace[] = "3";

// Orders `rows` by the hit count column as numbers, largest first, through the list
// sort (rows with equal counts end in the reverse of their order before), then drops
// every row after the tenth.
void SortAndKeepTopTen(AnsiCodePage& code_page, std::vector<ListViewRow>* rows);

// A stored place as a number: the number its text starts with (blanks skipped, an
// optional sign, digits, "." and digits), 0 when there is none, rounded half to even to
// a whole number and clamped to the signed 16-bit range.
std::int16_t ParseStoredPlace(std::string_view text);

// The icon of the row at 1-based `place` whose title stood at `previous_place`: a sun
// for 11 (just outside the last top ten) or a higher place now, an arrow for the same
// place, a cloud for a lower place.
int TrendIcon(std::int16_t previous_place, std::size_t place);

// Sets every row's icon from `stored_place(title)` (the text stored by the previous
// ranking, or "3"); all stored places are read before anything else happens. Returns the
// new places to store, (title, place in decimal digits) for rows 1 to n in order. A row
// with an empty title has no key to store under: it is left out of the new places and
// compared with the default place without a lookup.
std::vector<std::pair<std::string, std::string>> SetTrendIcons(
    const std::function<std::string(const std::string&)>& stored_place,
    std::vector<ListViewRow>* rows);

}  // namespace zorvane
