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

// The rows SortAndKeepTopTen keeps of a run of rows with positive hit counts, chosen as
// the rows come instead of sorting them all. The list sort orders rows by count, largest
// first, and rows of equal count in the reverse of their order before; so the rows kept
// are the `limit` largest by (count, place in the run), and a row that comes later wins
// a tie. They are handed out in the order they came, so that the list sort orders them as
// it would have ordered them among all the others.
class TopRows final {
 public:
  explicit TopRows(std::size_t limit) : limit_(limit) {}

  // Offers the next row: the address `*address` (which must outlive this object) seen
  // `hits` times.
  void Offer(std::int32_t hits, const std::string* address) {
    if (kept_.size() == limit_ && (limit_ == 0 || hits < kept_[smallest_].hits)) return;
    Keep(hits, address);
  }

  // Appends the rows kept, in the order they were offered: the address and the hit count
  // in decimal digits, the other cells empty.
  void AppendRows(std::vector<ListViewRow>* rows) const;

 private:
  struct Kept {
    std::int32_t hits;
    std::size_t order;
    const std::string* address;
  };
  void Keep(std::int32_t hits, const std::string* address);

  std::size_t limit_;
  std::size_t kept_so_far_ = 0;  // the order of the next row kept
  std::vector<Kept> kept_;
  std::size_t smallest_ = 0;  // the row that goes first once limit_ rows are kept
};

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
