// Sorting the rows of the result list by one column, as text, as numbers or as dates.
//
// The rows are ordered the way the report-view list control orders them with its
// sort-items message: a merge sort that asks a comparison callback about two rows and
// puts the second row first whenever the callback answers with a positive value. The
// callbacks never answer with a signed difference but with 0, 1 or 2:
//
//   direction        first < second   equal   first > second
//   ascending (0)          0            1            2
//   descending (other)     2            1            0
//
// so rows whose cells compare equal end in the reverse of their order before the sort.
//
// Each callback sees a cell as the list control hands it out: at most 31 bytes of the
// cell's ANSI form (a double-byte character is never split), converted back to UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/ansi_code_page.h"
#include "list/list_rows.h"

namespace zorvane {

// Comparison kinds of SortListByColumn.
inline constexpr std::int32_t kCompareAsText = 0;
inline constexpr std::int32_t kCompareAsNumbers = 1;
inline constexpr std::int32_t kCompareAsDates = 2;

// Direction: 0 ascending, any other value descending.
inline constexpr std::int32_t kSortAscending = 0;
inline constexpr std::int32_t kSortDescending = 1;

// Reorders `objList` by column `lngColumn` (1 = title, 2 = rate, 3 = address, 4 = hit
// count) compared by `lngKind` in direction `lngOrder`. An unknown kind leaves the rows
// as they are; a column the rows do not have reads as empty cells.
void SortListByColumn(AnsiCodePage& code_page, std::vector<ListViewRow>* objList,
                      std::int32_t lngColumn, std::int32_t lngKind, std::int32_t lngOrder);

// The text of one cell as a comparison sees it: the first 31 bytes of its ANSI form, cut
// before a double-byte character that would not fit, converted back. `lngSubItem` is
// zero-based (0 = title); any other index gives "".
std::string ReadCellText(AnsiCodePage& code_page, const ListViewRow& row, std::int32_t lngSubItem);

// The comparison callbacks over two cell texts as ReadCellText gives them; each returns
// 0, 1 or 2 as tabled above.
//
// Text: code point by code point (the order of the UTF-16 code units, since a cell that
// went through the ANSI code page holds no supplementary characters).
std::int32_t CompareCellsAsText(std::string_view a, std::string_view b, std::int32_t order);

// Numbers: "first < second" on each text converted whole to a fixed-point number with
// four decimals (see ParseCellCurrency); "equal" on the number at the start of each text
// rounded to four decimals (see LeadingCellNumber); otherwise "greater". A cell that does
// not convert whole (empty, or not a number) sorts before every number and equal to
// every other such cell.
std::int32_t CompareCellsAsNumbers(std::string_view a, std::string_view b, std::int32_t order);

// Dates: each text converted to a date and time (see ParseCellDate) and compared; a cell
// that is not a date sorts before every date and equal to every other such cell.
std::int32_t CompareCellsAsDates(std::string_view a, std::string_view b, std::int32_t order);

// ---- Conversions the callbacks use (exposed for tests) ---------------------------------

// A whole text as a number in ten-thousandths, or false. Accepted, without regard to
// locale: blanks around the number; one sign ("+" or "-") before or after it, or
// parentheses around it for a negative amount; one currency sign ("$", "¥", "￥") before
// or after the sign; digits with "," between groups; "." and decimal digits; an exponent
// "E"/"e" with optional sign. More than four decimals round half to even. False when
// anything else is present or the value lies outside ±922,337,203,685,477.5807.
bool ParseCellCurrency(std::string_view text, std::int64_t* ten_thousandths);

// The number that stands at the start of `text`, rounded half to even to four decimals,
// in ten-thousandths: blanks (space, tab, line breaks) skipped, an optional sign, digits,
// "." and digits, an optional exponent; reading stops at the first character that cannot
// continue the number; 0 when there is none. Values beyond the range saturate.
std::int64_t LeadingCellNumber(std::string_view text);

// A date and time as seconds from 0001-01-01 00:00:00, or false. Accepted forms (blanks
// around them allowed): "YYYY-MM-DD", "YYYY/MM/DD", either followed by a blank or "T"
// and a time; a time alone ("H:MM", "H:MM:SS"), which counts as that time on the zero
// date 1899-12-30, as a date value without a day has it. Fields are range-checked
// (February 29 only in leap years).
bool ParseCellDate(std::string_view text, std::int64_t* seconds);

}  // namespace zorvane
