#include "app/win32/list_view_sort.h"

#include <cstring>

#include "list/listsort.h"
#include "platform/win32/win32_text.h"

namespace zorvane::win32 {
namespace {

constexpr char kSortKey[] = "SORT_KEY";
constexpr char kSortOrder[] = "SORT_ORDER";

// A cell is read into a 33-byte buffer of which the control may fill 32 (31 bytes of
// text and the terminating zero).
constexpr int kCellBufferSize = 33;
constexpr int kCellTextMax = 32;

// A property holds a 32-bit signed number in its handle value; an absent one reads 0.
std::int32_t ReadNumberProperty(HWND hwnd, const char* name) {
  return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(::GetPropA(hwnd, name)));
}

void SetNumberProperty(HWND hwnd, const char* name, std::int32_t value) {
  ::SetPropA(hwnd, name, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(value)));
}

bool IsListView(HWND hwnd) {
  char class_name[64] = {};
  return ::GetClassNameA(hwnd, class_name, sizeof(class_name)) > 0 &&
         std::strcmp(class_name, WC_LISTVIEWA) == 0;
}

// Reads both cells of a pair and the direction, in the order the callbacks read them.
template <typename Compare>
int CompareCells(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort, Compare compare) {
  HWND hwnd = reinterpret_cast<HWND>(lParamSort);
  const std::string a = ReadCellText(hwnd, lParam1, ReadNumberProperty(hwnd, kSortKey));
  const std::string b = ReadCellText(hwnd, lParam2, ReadNumberProperty(hwnd, kSortKey));
  return compare(a, b, ReadNumberProperty(hwnd, kSortOrder));
}

}  // namespace

void SortListByColumn(HWND objList, std::int32_t lngColumn, std::int32_t lngKind,
                      std::int32_t lngOrder) {
  if (objList == nullptr) return;
  // The control's own sorting must not interfere.
  const LONG_PTR style = ::GetWindowLongPtrA(objList, GWL_STYLE);
  ::SetWindowLongPtrA(objList, GWL_STYLE, style & ~(LVS_SORTASCENDING | LVS_SORTDESCENDING));
  if (!IsListView(objList)) return;

  SetNumberProperty(objList, kSortKey, lngColumn - 1);
  SetNumberProperty(objList, kSortOrder, lngOrder);
  PFNLVCOMPARE callback = nullptr;
  switch (lngKind) {
    case kCompareAsText:
      callback = &CompareCellsAsText;
      break;
    case kCompareAsNumbers:
      callback = &CompareCellsAsNumbers;
      break;
    case kCompareAsDates:
      callback = &CompareCellsAsDates;
      break;
    default:
      break;
  }
  if (callback != nullptr) {
    ::SendMessageA(objList, LVM_SORTITEMS, reinterpret_cast<WPARAM>(objList),
                   reinterpret_cast<LPARAM>(callback));
  }
  ::RemovePropA(objList, kSortKey);
  ::RemovePropA(objList, kSortOrder);
}

std::string ReadCellText(HWND hwnd, LPARAM lngParam, std::int32_t lngSubItem) {
  LVFINDINFOA find{};
  find.flags = LVFI_PARAM;
  find.lParam = lngParam;
  const LRESULT row =
      ::SendMessageA(hwnd, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
  char buffer[kCellBufferSize] = {};
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iSubItem = lngSubItem;
  item.pszText = buffer;
  item.cchTextMax = kCellTextMax;
  ::SendMessageA(hwnd, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  // The control may hand back its own text pointer instead of filling the buffer.
  const char* text = item.pszText != nullptr ? item.pszText : buffer;
  return AnsiToUtf8(
      CutAnsiAtCharBoundary(std::string_view(text, strnlen(text, kCellTextMax)), kCellTextMax - 1));
}

int CALLBACK CompareCellsAsText(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort) {
  return CompareCells(lParam1, lParam2, lParamSort, &zorvane::CompareCellsAsText);
}

int CALLBACK CompareCellsAsNumbers(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort) {
  return CompareCells(lParam1, lParam2, lParamSort, &zorvane::CompareCellsAsNumbers);
}

int CALLBACK CompareCellsAsDates(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort) {
  return CompareCells(lParam1, lParam2, lParamSort, &zorvane::CompareCellsAsDates);
}

}  // namespace zorvane::win32
