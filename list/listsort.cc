#include "list/listsort.h"

#include <cstddef>
#include <limits>
#include <string>

#include "base/text.h"

// Sections: number conversions, date conversion, cells as the callbacks see them, the merge
// sort; then cell text, conversions, callbacks and the sort itself.

namespace zorvane {
namespace {

// The list control copies at most this many bytes of a cell's ANSI text.
constexpr std::size_t kCellTextBytes = 31;

constexpr std::int64_t kMaxTenThousandths = std::numeric_limits<std::int64_t>::max();

// The 0/1/2 answer of a callback from the order by value of two cells.
std::int32_t Answer(bool less, bool equal, std::int32_t order) {
  if (order == kSortAscending) return less ? 0 : (equal ? 1 : 2);
  return less ? 2 : (equal ? 1 : 0);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// The blanks a number or date in a cell may stand between.
constexpr std::string_view kCellBlanks = " \t\r\n";
std::string_view TrimBlanks(std::string_view s) { return text::Trim(s, kCellBlanks); }

// ---- Number conversions --------------------------------------------------------------

// A decimal number as its significant digits and a power of ten: value = digits × 10^exp.
struct Decimal {
  std::string digits;  // no leading zeros; empty for zero
  long exponent = 0;
};

// Reads a number at `*pos`: digits (with "," between them when `grouping`), an optional
// "." with digits, an optional exponent. At least one mantissa digit must be present;
// otherwise nothing is consumed and the result is false.
bool ScanDecimal(std::string_view s, std::size_t* pos, bool grouping, Decimal* out) {
  constexpr long kExponentCap = 100000;
  std::size_t i = *pos;
  Decimal d;
  bool any_digit = false;
  long fraction_digits = 0;
  auto take_digit = [&](char c) {
    if (c != '0' || !d.digits.empty()) d.digits.push_back(c);
    any_digit = true;
  };
  while (i < s.size() && (IsDigit(s[i]) || (grouping && s[i] == ',' && any_digit))) {
    if (s[i] != ',') take_digit(s[i]);
    ++i;
  }
  if (i < s.size() && s[i] == '.') {
    std::size_t j = i + 1;
    long count = 0;
    while (j < s.size() && IsDigit(s[j])) {
      take_digit(s[j++]);
      ++count;
    }
    // A lone "." is no number; "1." is.
    if (any_digit) {
      fraction_digits = count;
      i = j;
    }
  }
  if (!any_digit) return false;
  long exponent = 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    bool negative = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) negative = s[j++] == '-';
    if (j < s.size() && IsDigit(s[j])) {
      while (j < s.size() && IsDigit(s[j])) {
        if (exponent < kExponentCap) exponent = exponent * 10 + (s[j] - '0');
        ++j;
      }
      if (negative) exponent = -exponent;
      i = j;
    }
  }
  d.exponent = exponent - fraction_digits;
  *pos = i;
  *out = std::move(d);
  return true;
}

// `d` in ten-thousandths, rounded half to even. False when it exceeds the range.
bool ToTenThousandths(const Decimal& d, std::int64_t* result) {
  if (d.digits.empty()) {
    *result = 0;
    return true;
  }
  const long scale = d.exponent + 4;
  std::string whole;
  bool round_up = false;
  if (scale >= 0) {
    if (d.digits.size() + static_cast<std::size_t>(scale) > 19) return false;
    whole = d.digits + std::string(static_cast<std::size_t>(scale), '0');
  } else {
    const long keep = static_cast<long>(d.digits.size()) + scale;
    if (keep > 0) whole = d.digits.substr(0, static_cast<std::size_t>(keep));
    if (keep >= 0) {
      const std::string_view dropped =
          std::string_view(d.digits).substr(static_cast<std::size_t>(keep));
      const char first = dropped.front();
      const bool rest_nonzero = dropped.find_first_not_of('0', 1) != std::string_view::npos;
      const bool odd = !whole.empty() && ((whole.back() - '0') % 2 == 1);
      round_up = first > '5' || (first == '5' && (rest_nonzero || odd));
    }
  }
  std::uint64_t value = 0;
  for (char c : whole) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > static_cast<std::uint64_t>(kMaxTenThousandths)) return false;
  }
  if (round_up) ++value;
  if (value > static_cast<std::uint64_t>(kMaxTenThousandths)) return false;
  *result = static_cast<std::int64_t>(value);
  return true;
}

// Consumes a currency sign at `*pos`, if one stands there.
bool ConsumeCurrency(std::string_view s, std::size_t* pos) {
  for (std::string_view sign : {"$", "\\", "¥", "￥"}) {
    if (s.substr(*pos, sign.size()) == sign) {
      *pos += sign.size();
      return true;
    }
  }
  return false;
}

bool ConsumeSign(std::string_view s, std::size_t* pos, bool* negative) {
  if (*pos < s.size() && (s[*pos] == '+' || s[*pos] == '-')) {
    *negative = s[*pos] == '-';
    ++*pos;
    return true;
  }
  return false;
}

void SkipBlanks(std::string_view s, std::size_t* pos) {
  while (*pos < s.size() && text::IsOneOf(s[*pos], kCellBlanks)) ++*pos;
}

// ---- Date conversion -----------------------------------------------------------------

bool IsLeapYear(long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(long y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Days from 0001-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(long y, int m, int d) {
  const long y1 = y - 1;
  std::int64_t days = y1 * 365 + y1 / 4 - y1 / 100 + y1 / 400;
  for (int month = 1; month < m; ++month) days += DaysInMonth(y, month);
  return days + d - 1;
}

// Reads 1 to `max_digits` digits at `*pos`.
bool ReadField(std::string_view s, std::size_t* pos, std::size_t min_digits, std::size_t max_digits,
               long* value) {
  std::size_t i = *pos;
  long v = 0;
  while (i < s.size() && IsDigit(s[i]) && i - *pos < max_digits) v = v * 10 + (s[i++] - '0');
  if (i - *pos < min_digits) return false;
  *pos = i;
  *value = v;
  return true;
}

bool ParseTime(std::string_view s, std::size_t* pos, std::int64_t* seconds) {
  long h = 0, m = 0, sec = 0;
  if (!ReadField(s, pos, 1, 2, &h) || *pos >= s.size() || s[*pos] != ':') return false;
  ++*pos;
  if (!ReadField(s, pos, 2, 2, &m)) return false;
  if (*pos < s.size() && s[*pos] == ':') {
    ++*pos;
    if (!ReadField(s, pos, 2, 2, &sec)) return false;
  }
  if (h > 23 || m > 59 || sec > 59) return false;
  *seconds = h * 3600 + m * 60 + sec;
  return true;
}

// ---- Cells as the callbacks see them --------------------------------------------------
// A comparison depends on each cell's conversions only, so a sort converts every cell once
// and compares the results.

struct NumberCell {
  bool number = false;       // the whole text converts
  std::int64_t value = 0;    // ParseCellCurrency
  std::int64_t leading = 0;  // LeadingCellNumber
};

NumberCell ReadNumberCell(std::string_view text) {
  NumberCell cell;
  cell.number = ParseCellCurrency(text, &cell.value);
  if (cell.number) cell.leading = LeadingCellNumber(text);
  return cell;
}

std::int32_t CompareNumberCells(const NumberCell& a, const NumberCell& b, std::int32_t order) {
  if (!a.number || !b.number) return Answer(!a.number && b.number, a.number == b.number, order);
  if (a.value < b.value) return Answer(true, false, order);
  return Answer(false, a.leading == b.leading, order);
}

struct DateCell {
  bool date = false;
  std::int64_t seconds = 0;
};

DateCell ReadDateCell(std::string_view text) {
  DateCell cell;
  cell.date = ParseCellDate(text, &cell.seconds);
  return cell;
}

std::int32_t CompareDateCells(const DateCell& a, const DateCell& b, std::int32_t order) {
  if (!a.date || !b.date) return Answer(!a.date && b.date, a.date == b.date, order);
  return Answer(a.seconds < b.seconds, a.seconds == b.seconds, order);
}

// ---- The merge sort ------------------------------------------------------------------

// Orders `index[lo, hi)` with `compare(first, second)`; a positive answer puts the
// second row first, as the list control does.
template <typename Compare>
void MergeSort(std::vector<std::size_t>& index, std::vector<std::size_t>& scratch, std::size_t lo,
               std::size_t hi, const Compare& compare) {
  if (hi - lo < 2) return;
  const std::size_t mid = lo + (hi - lo) / 2;
  MergeSort(index, scratch, lo, mid, compare);
  MergeSort(index, scratch, mid, hi, compare);
  std::size_t i = lo, j = mid, k = lo;
  while (i < mid && j < hi) {
    if (compare(index[i], index[j]) > 0) {
      scratch[k++] = index[j++];
    } else {
      scratch[k++] = index[i++];
    }
  }
  while (i < mid) scratch[k++] = index[i++];
  while (j < hi) scratch[k++] = index[j++];
  for (k = lo; k < hi; ++k) index[k] = scratch[k];
}

}  // namespace

// ---- Cell text -----------------------------------------------------------------------

std::string ReadCellText(AnsiCodePage& code_page, const ListViewRow& row, std::int32_t lngSubItem) {
  const std::string* cell = nullptr;
  switch (lngSubItem) {
    case 0:
      cell = &row.title;
      break;
    case 1:
      cell = &row.rate;
      break;
    case 2:
      cell = &row.address;
      break;
    case 3:
      cell = &row.hits;
      break;
    default:
      return std::string();
  }
  std::string ansi = code_page.ToAnsi(*cell);
  if (ansi.size() > kCellTextBytes) {
    // Whole characters only: add them one at a time while they fit.
    ansi.clear();
    std::string_view rest = *cell;
    while (!rest.empty()) {
      const std::string_view ch = text::FirstChars(rest, 1);
      const std::string bytes = code_page.ToAnsi(ch);
      if (ansi.size() + bytes.size() > kCellTextBytes) break;
      ansi += bytes;
      rest.remove_prefix(ch.size());
    }
  }
  std::string text = code_page.FromAnsi(ansi);
  // A NUL ends the text, as it ends the buffer the control fills.
  if (const std::size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text;
}

// ---- Conversions ---------------------------------------------------------------------

bool ParseCellCurrency(std::string_view text, std::int64_t* ten_thousandths) {
  std::string_view s = TrimBlanks(text);
  bool negative = false;
  bool parenthesised = false;
  if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
    parenthesised = true;
    s = TrimBlanks(s.substr(1, s.size() - 2));
  }
  std::size_t pos = 0;
  bool have_sign = false, have_currency = false;
  // A sign and a currency sign may each stand once, before or after the number.
  auto consume_affixes = [&] {
    for (int i = 0; i < 2; ++i) {
      SkipBlanks(s, &pos);
      if (!have_sign && !parenthesised && ConsumeSign(s, &pos, &negative)) {
        have_sign = true;
      } else if (!have_currency && ConsumeCurrency(s, &pos)) {
        have_currency = true;
      }
    }
    SkipBlanks(s, &pos);
  };
  consume_affixes();
  Decimal d;
  if (!ScanDecimal(s, &pos, /*grouping=*/true, &d)) return false;
  consume_affixes();
  if (pos != s.size()) return false;
  std::int64_t value = 0;
  if (!ToTenThousandths(d, &value)) return false;
  *ten_thousandths = (negative || parenthesised) ? -value : value;
  return true;
}

std::int64_t LeadingCellNumber(std::string_view text) {
  std::size_t pos = 0;
  SkipBlanks(text, &pos);
  bool negative = false;
  ConsumeSign(text, &pos, &negative);
  Decimal d;
  if (!ScanDecimal(text, &pos, /*grouping=*/false, &d)) return 0;
  std::int64_t value = 0;
  if (!ToTenThousandths(d, &value)) value = kMaxTenThousandths;
  return negative ? -value : value;
}

bool ParseCellDate(std::string_view text, std::int64_t* seconds) {
  const std::string_view s = TrimBlanks(text);
  std::size_t pos = 0;
  long year = 0, month = 0, day = 0;
  std::int64_t time = 0;
  if (s.size() >= 5 && IsDigit(s[0]) && IsDigit(s[1]) && IsDigit(s[2]) && IsDigit(s[3]) &&
      (s[4] == '-' || s[4] == '/')) {
    const char separator = s[4];
    ReadField(s, &pos, 4, 4, &year);
    ++pos;
    if (!ReadField(s, &pos, 1, 2, &month) || pos >= s.size() || s[pos] != separator) return false;
    ++pos;
    if (!ReadField(s, &pos, 1, 2, &day)) return false;
    if (year < 1 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, static_cast<int>(month))) {
      return false;
    }
    if (pos < s.size()) {
      if (s[pos] != ' ' && s[pos] != 'T') return false;
      ++pos;
      SkipBlanks(s, &pos);
      if (!ParseTime(s, &pos, &time)) return false;
    }
  } else {
    // A time alone lies on the zero date.
    year = 1899, month = 12, day = 30;
    if (!ParseTime(s, &pos, &time)) return false;
  }
  if (pos != s.size()) return false;
  *seconds = DaysFromCivil(year, static_cast<int>(month), static_cast<int>(day)) * 86400 + time;
  return true;
}

// ---- Callbacks -----------------------------------------------------------------------

std::int32_t CompareCellsAsText(std::string_view a, std::string_view b, std::int32_t order) {
  // UTF-8 byte order is code point order.
  const int c = a.compare(b);
  return Answer(c < 0, c == 0, order);
}

std::int32_t CompareCellsAsNumbers(std::string_view a, std::string_view b, std::int32_t order) {
  return CompareNumberCells(ReadNumberCell(a), ReadNumberCell(b), order);
}

std::int32_t CompareCellsAsDates(std::string_view a, std::string_view b, std::int32_t order) {
  return CompareDateCells(ReadDateCell(a), ReadDateCell(b), order);
}

// ---- The sort ------------------------------------------------------------------------

void SortListByColumn(AnsiCodePage& code_page, std::vector<ListViewRow>* objList,
                      std::int32_t lngColumn, std::int32_t lngKind, std::int32_t lngOrder) {
  if (lngKind != kCompareAsText && lngKind != kCompareAsNumbers && lngKind != kCompareAsDates) {
    return;
  }
  std::vector<ListViewRow>& rows = *objList;
  if (rows.size() < 2) return;
  // Every comparison of a row sees the same cell text, so read each cell once.
  const std::int64_t sub_item = static_cast<std::int64_t>(lngColumn) - 1;
  std::vector<std::string> cells;
  cells.reserve(rows.size());
  for (const ListViewRow& row : rows) {
    const bool in_range = sub_item >= 0 && sub_item <= 3;
    cells.push_back(in_range ? ReadCellText(code_page, row, static_cast<std::int32_t>(sub_item))
                             : std::string());
  }
  std::vector<std::size_t> index(rows.size()), scratch(rows.size());
  for (std::size_t i = 0; i < index.size(); ++i) index[i] = i;
  // The same answers as the callbacks over `cells`, with each cell converted once.
  if (lngKind == kCompareAsText) {
    MergeSort(index, scratch, 0, index.size(), [&](std::size_t first, std::size_t second) {
      return CompareCellsAsText(cells[first], cells[second], lngOrder);
    });
  } else if (lngKind == kCompareAsNumbers) {
    std::vector<NumberCell> numbers;
    numbers.reserve(cells.size());
    for (const std::string& cell : cells) numbers.push_back(ReadNumberCell(cell));
    MergeSort(index, scratch, 0, index.size(), [&](std::size_t first, std::size_t second) {
      return CompareNumberCells(numbers[first], numbers[second], lngOrder);
    });
  } else {
    std::vector<DateCell> dates;
    dates.reserve(cells.size());
    for (const std::string& cell : cells) dates.push_back(ReadDateCell(cell));
    MergeSort(index, scratch, 0, index.size(), [&](std::size_t first, std::size_t second) {
      return CompareDateCells(dates[first], dates[second], lngOrder);
    });
  }
  std::vector<ListViewRow> sorted;
  sorted.reserve(rows.size());
  for (std::size_t i : index) sorted.push_back(std::move(rows[i]));
  rows = std::move(sorted);
}

}  // namespace zorvane
