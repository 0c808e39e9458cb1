// The steps of the ranking between the cache scan and the top ten, as functions of their
// inputs: the catalogue text, the scanned rows and a title lookup. The ranking command
// (Form1::Command1_Click) runs them in order on the rows of the result list.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "list/list_rows.h"

namespace zorvane {

// The status text after the scan: `count` with digits grouped by threes ("0" for 0)
// followed by "個のファイルを検出", e.g. "12,345個のファイルを検出".
std::string FormatCountLabel(std::int32_t count);

// The hit count of a row: the decimal number its text starts with (an optional "-"
// and digits), 0 when there is none; beyond the 64-bit range it saturates.
std::int64_t RowHits(const ListViewRow& row);

// Whether the pre-filter drops a row of this address and hit count: a history row
// (address beginning with "Visited:", compared case-sensitively) or a hit count of 1 or
// less.
bool IsHistoryOrSingleHit(std::string_view address, std::int64_t hits);

// The catalogue entries of url.dat's text (already converted from the ANSI code page):
// one entry per line, each line whole (commas, quotes and blanks belong to the address).
// Lines end with CR LF, LF or CR; the line break after the last line opens no further
// entry, so a catalogue that ends with a blank line ends with one empty entry, and an
// empty text has no entries.
std::vector<std::string> ReadCatalogueEntries(std::string_view text);

// Sets each row's title to `title_of(address)`; the same address is looked up once.
void SetTitles(const std::function<std::string(const std::string&)>& title_of,
               std::vector<ListViewRow>* rows);

// `hits` as a share of `total` in the form "0.0%": percent with one decimal, an exact
// half rounded away from zero, a leading "0" below 1, e.g. 5 of 40 → "12.5%", 1 of 300
// → "0.3%". "" when `total` is not positive (no share can be given).
std::string FormatRate(std::int64_t hits, std::int64_t total);

// Sets the rate of every row from its hit count and `total`.
void SetRates(std::int64_t total, std::vector<ListViewRow>* rows);

}  // namespace zorvane
