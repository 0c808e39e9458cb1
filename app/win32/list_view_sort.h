// Sorting a report-view list control in place, by the text of one column.
//
// The control reorders its rows itself (LVM_SORTITEMS); this file supplies the callback
// side. The sort column and the direction travel to the callbacks as two window
// properties of the list window, "SORT_KEY" (zero-based sub-item) and "SORT_ORDER" (0
// ascending, else descending), which exist only while one sort runs. Each callback reads
// its two cells from the control by the rows' parameter values and compares them by the
// rules of list/listsort.h, answering 0, 1 or 2.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32/windows_include.h"

namespace zorvane::win32 {

// Reorders the rows of the list control `objList` by column `lngColumn` (counted from 1)
// compared by `lngKind` (0 text, 1 numbers, 2 dates; anything else: no sort) in direction
// `lngOrder`. A window that is not a list control is left alone.
void SortListByColumn(HWND objList, std::int32_t lngColumn, std::int32_t lngKind,
                      std::int32_t lngOrder);

// The text of the cell in sub-item `lngSubItem` of the row whose parameter value is
// `lngParam`: at most 31 bytes of its ANSI form, as the control copies it, converted
// back to UTF-8.
std::string ReadCellText(HWND hwnd, LPARAM lngParam, std::int32_t lngSubItem);

// The comparison callbacks, in the form LVM_SORTITEMS calls them; `lParamSort` is the
// list window.
int CALLBACK CompareCellsAsText(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);
int CALLBACK CompareCellsAsNumbers(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);
int CALLBACK CompareCellsAsDates(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

}  // namespace zorvane::win32
