// The rows of the main window's lists, below everything that fills or sorts them: the
// ranking and the list sort use them without the window logic.
#pragma once

#include <cstdint>
#include <string>

namespace zorvane {

// One row of ListView1: the item text (title) and the three sub-items.
struct ListViewRow {
  std::string title;    // column 1, "タイトル"
  std::string rate;     // column 2, "シチョーリツ"
  std::string address;  // column 3, "URL"
  std::string hits;     // column 4, "表示回数"
  int small_icon = 0;   // 0 none, 1 cloud, 2 arrow, 3 sun
};

// One row of the entry-type selector Combo1.
struct ComboRow {
  std::string text;
  std::uint32_t item_data = 0;
};

// The display count column of ListView1, counted from 1: the ranking sorts by it.
inline constexpr std::int32_t kHitsColumn = 4;

}  // namespace zorvane
