// The list control sorts its own rows with the comparison callbacks; the order must be
// the one the portable routine of list/listsort.h produces, ties included, since the Linux
// build ranks with that routine.
#include "app/win32/list_view_sort.h"

#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "list/listsort.h"
#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace zorvane::win32 {
namespace {

// A hidden top-level window holding one report-view list control.
class ListFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ASSERT_TRUE(::InitCommonControlsEx(&controls));
    parent_ = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
    list_ = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 400, 300, parent_,
                              nullptr, nullptr, nullptr);
    ASSERT_NE(list_, nullptr);
    for (int i = 0; i < 4; ++i) {
      LVCOLUMNW column{};
      column.mask = LVCF_WIDTH | LVCF_SUBITEM;
      column.cx = 80;
      column.iSubItem = i;
      ::SendMessageW(list_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
  }
  void TearDown() override {
    if (parent_ != nullptr) ::DestroyWindow(parent_);
  }

  // Appends rows; each row's parameter value is 100 + its position.
  void Fill(const std::vector<ListViewRow>& rows) {
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      std::wstring title = Utf8ToWide(rows[i].title);
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = static_cast<int>(i);
      item.pszText = title.data();
      item.lParam = static_cast<LPARAM>(100 + i);
      const LRESULT index =
          ::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      const std::string* cells[] = {&rows[i].rate, &rows[i].address, &rows[i].hits};
      for (int sub = 0; sub < 3; ++sub) {
        std::wstring text = Utf8ToWide(*cells[sub]);
        LVITEMW cell{};
        cell.iSubItem = sub + 1;
        cell.pszText = text.data();
        ::SendMessageW(list_, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&cell));
      }
    }
  }

  // The positions (parameter value - 100) of the rows in the control's order.
  std::vector<int> Order() const {
    std::vector<int> order;
    const int count = static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      LVITEMW item{};
      item.mask = LVIF_PARAM;
      item.iItem = i;
      ::SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
      order.push_back(static_cast<int>(item.lParam - 100));
    }
    return order;
  }

  HWND parent_ = nullptr;
  HWND list_ = nullptr;
};

ListViewRow RowWithHits(std::string hits, std::string title = "t") {
  ListViewRow row;
  row.title = std::move(title);
  row.hits = std::move(hits);
  return row;
}

TEST_F(ListFixture, SortsDisplayCountsAsNumbersOrAsText) {
  Fill({RowWithHits("3"), RowWithHits("10"), RowWithHits("2")});
  SortListByColumn(list_, 4, kCompareAsNumbers, kSortDescending);
  EXPECT_EQ(Order(), (std::vector<int>{1, 0, 2}));  // 10, 3, 2
  SortListByColumn(list_, 4, kCompareAsText, kSortDescending);
  EXPECT_EQ(Order(), (std::vector<int>{0, 2, 1}));  // 3, 2, 10
  SortListByColumn(list_, 4, kCompareAsNumbers, kSortAscending);
  EXPECT_EQ(Order(), (std::vector<int>{2, 0, 1}));  // 2, 3, 10
}

TEST_F(ListFixture, LeavesEmptyAndSingleRowListsAndUnknownKindsAlone) {
  Fill({});
  SortListByColumn(list_, 4, kCompareAsNumbers, kSortDescending);
  EXPECT_TRUE(Order().empty());
  Fill({RowWithHits("7")});
  SortListByColumn(list_, 4, kCompareAsNumbers, kSortDescending);
  EXPECT_EQ(Order(), (std::vector<int>{0}));
  Fill({RowWithHits("1"), RowWithHits("5")});
  SortListByColumn(list_, 4, 3, kSortDescending);
  EXPECT_EQ(Order(), (std::vector<int>{0, 1}));
}

TEST_F(ListFixture, WindowPropertiesExistOnlyDuringTheSort) {
  Fill({RowWithHits("1"), RowWithHits("2")});
  for (int kind : {kCompareAsText, kCompareAsNumbers, kCompareAsDates, 7}) {
    SCOPED_TRACE(kind);
    SortListByColumn(list_, 4, kind, kSortDescending);
    EXPECT_EQ(::GetPropA(list_, "SORT_KEY"), nullptr);
    EXPECT_EQ(::GetPropA(list_, "SORT_ORDER"), nullptr);
  }
}

TEST_F(ListFixture, CellsAreReadAsTheirFirst31AnsiBytes) {
  // 30 ASCII bytes, then a double-byte character that would need bytes 31 and 32.
  const std::string prefix(30, 'x');
  Fill({RowWithHits("1", prefix + "あA"), RowWithHits("1", prefix + "あB"),
        RowWithHits("1", prefix + "B")});
  EXPECT_EQ(ReadCellText(list_, 100, 0), prefix) << "the character is not split";
  EXPECT_EQ(ReadCellText(list_, 102, 0), prefix + "B");
  EXPECT_EQ(ReadCellText(list_, 101, 3), "1");
  // The first two compare equal as text; the third is greater.
  SortListByColumn(list_, 1, kCompareAsText, kSortAscending);
  const std::vector<int> order = Order();
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[2], 2);
}

TEST_F(ListFixture, AWindowThatIsNoListControlIsLeftAlone) {
  SortListByColumn(parent_, 4, kCompareAsNumbers, kSortDescending);
  EXPECT_EQ(::GetPropA(parent_, "SORT_KEY"), nullptr);
  SortListByColumn(nullptr, 4, kCompareAsNumbers, kSortDescending);
}

// The control's merge sort and the portable routine agree on every order, ties
// included: the rows' positions after both sorts are the same.
TEST_F(ListFixture, OrderMatchesThePortableSortTiesIncluded) {
  std::unique_ptr<Platform> platform = CreateDefaultPlatform();
  std::mt19937 random(12345);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    const int count = 1 + static_cast<int>(random() % 40);
    std::vector<ListViewRow> rows;
    for (int i = 0; i < count; ++i) {
      rows.push_back(RowWithHits(std::to_string(random() % 6), std::to_string(i)));
    }
    const std::int32_t order = round % 2 == 0 ? kSortDescending : kSortAscending;
    Fill(rows);
    SortListByColumn(list_, 4, kCompareAsNumbers, order);
    std::vector<ListViewRow> portable = rows;
    zorvane::SortListByColumn(*platform, &portable, 4, kCompareAsNumbers, order);
    std::vector<int> expected;
    for (const ListViewRow& row : portable) expected.push_back(std::stoi(row.title));
    EXPECT_EQ(Order(), expected);
  }
}

}  // namespace
}  // namespace zorvane::win32
