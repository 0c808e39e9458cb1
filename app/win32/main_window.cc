// Sections: the layout table, creation, drawing Form1's state, the window procedure.
#include "app/win32/main_window.h"

#include <algorithm>
#include <utility>

#include "app/win32/application.h"
#include "app/win32/list_view_sort.h"
#include "app/win32/resource.h"
#include "app/win32/twips.h"
#include "platform/win32/win32_text.h"

namespace zorvane::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"ZorvaneForm1";

using namespace form1_layout;

// Controls in tab order (the order of creation is the order of the Tab key); where each
// stands and whether it shows comes from the shared layout, by name.
struct ControlSpec {
  int id;
  const char* name;
  const wchar_t* window_class;
  DWORD style;
};
constexpr DWORD kChild = WS_CHILD | WS_TABSTOP;
constexpr DWORD kListBox = kChild | WS_BORDER | LBS_NOINTEGRALHEIGHT;
const ControlSpec kControls[] = {
    {IDC_COMBO1, "Combo1", WC_COMBOBOXW, kChild | CBS_DROPDOWN | WS_VSCROLL},
    {IDC_COMMAND1, "Command1", WC_BUTTONW, kChild | BS_PUSHBUTTON},
    {IDC_LABEL1, "Label1", WC_STATICW, WS_CHILD | SS_LEFT | SS_NOPREFIX},
    {IDC_LISTVIEW1, "ListView1", WC_LISTVIEWW, kChild | WS_BORDER | LVS_ICON | LVS_SHAREIMAGELISTS},
    {IDC_COMMAND2, "Command2", WC_BUTTONW, kChild | BS_PUSHBUTTON},
    {IDC_LIST1, "List1", WC_LISTBOXW, kListBox},
    {IDC_DIR1, "Dir1", WC_LISTBOXW, kListBox},
    {IDC_FILE1, "File1", WC_LISTBOXW, kListBox | LBS_SORT},
    // Placed to the right of the client area: there, but never seen.
    {IDC_LIST2, "List2", WC_LISTBOXW, kListBox},
    {IDC_PBAR, "PBar", PROGRESS_CLASSW, WS_CHILD},
    {IDC_COMMAND3, "Command3", WC_BUTTONW, kChild | BS_PUSHBUTTON},
};

void SetText(HWND hwnd, const std::string& utf8) {
  ::SetWindowTextW(hwnd, Utf8ToWide(utf8).c_str());
}

// List-view modes by Form1's view number: 0 icons, 1 small icons, 2 list, 3 report.
DWORD ListViewModeStyle(int view) {
  switch (view) {
    case 1:
      return LVS_SMALLICON;
    case 2:
      return LVS_LIST;
    case 3:
      return LVS_REPORT;
    default:
      return LVS_ICON;
  }
}

HICON LoadSmallIcon(HINSTANCE instance, int id) {
  return static_cast<HICON>(
      ::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

}  // namespace

MainWindow::MainWindow(Application& app, std::string program_dir)
    : app_(app), form_(app.platform(), std::move(program_dir), *this) {}

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
  if (small_images_ != nullptr) ::ImageList_Destroy(small_images_);
}

int MainWindow::Px(int twips) const { return TwipsToPixels(twips, app_.dpi()); }

HWND MainWindow::control(int id) const {
  return hwnd_ != nullptr ? ::GetDlgItem(hwnd_, id) : nullptr;
}

// ---- Creation ------------------------------------------------------------------------

bool MainWindow::Create(int show_command) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &ObjectWindowProc<MainWindow>;
  window_class.hInstance = app_.instance();
  window_class.hIcon = ::LoadIconW(app_.instance(), MAKEINTRESOURCEW(IDI_ZORVANE));
  window_class.hIconSm = LoadSmallIcon(app_.instance(), IDI_ZORVANE);
  window_class.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  if (::RegisterClassExW(&window_class) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }

  // A sizable frame and a minimise box, no maximise box.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
  RECT frame{0, 0, Px(kClientWidth), Px(kClientHeight)};
  ::AdjustWindowRectEx(&frame, style, TRUE, 0);
  hwnd_ = ::CreateWindowExW(0, kWindowClass, Utf8ToWide(kAppTitle).c_str(), style, CW_USEDEFAULT,
                            CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                            nullptr, nullptr, app_.instance(), this);
  if (hwnd_ == nullptr) return false;
  // What the shell opens for the window's commands (the mail program, the readme) is
  // owned by the main window.
  app_.platform().SetShellOwnerWindow(reinterpret_cast<std::uintptr_t>(hwnd_));
  CreateMenuBar();
  CreateControls();
  form_.Form_Load();
  ::ShowWindow(hwnd_, show_command);
  ::UpdateWindow(hwnd_);
  return true;
}

void MainWindow::CreateMenuBar() {
  HMENU bar = ::CreateMenu();
  for (const MenuLayout& layout : form1_layout::kMenus) {
    HMENU menu = ::CreatePopupMenu();
    for (const MenuCommand& command : layout.commands) {
      if (command.caption == nullptr) {
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      } else {
        ::AppendMenuW(menu, MF_STRING, MenuCommandId(command.name),
                      Utf8ToWide(command.caption).c_str());
      }
    }
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu),
                  Utf8ToWide(layout.caption).c_str());
  }
  ::SetMenu(hwnd_, bar);
}

int MainWindow::ControlId(std::string_view name) {
  for (const ControlSpec& spec : kControls) {
    if (spec.name == name) return spec.id;
  }
  return 0;
}

int MainWindow::MenuCommandId(std::string_view name) {
  int id = IDM_FIRST_MENU_COMMAND;
  for (const MenuLayout& layout : form1_layout::kMenus) {
    for (const MenuCommand& command : layout.commands) {
      if (command.name == name) return id;
      ++id;
    }
  }
  return 0;
}

void MainWindow::CreateControls() {
  for (const ControlSpec& spec : kControls) {
    const ControlLayout& layout = FindControl(form1_layout::kControls, spec.name);
    const DWORD style = spec.style | (layout.visible ? WS_VISIBLE : 0);
    const PixelRect rect = TwipsRectToPixels(layout.rect, app_.dpi(), app_.dpi());
    // A drop-down combo box's height includes its list.
    const int height = spec.id == IDC_COMBO1 ? rect.height * 8 : rect.height;
    HWND child = ::CreateWindowExW(
        0, spec.window_class, L"", style, rect.left, rect.top, rect.width, height, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), app_.instance(), nullptr);
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(app_.font()), FALSE);
  }
  SetText(control(IDC_COMMAND1), kCommand1Caption);
  SetText(control(IDC_COMMAND2), kCommand2Caption);
  SetText(control(IDC_COMMAND3), kCommand3Caption);
  SetText(control(IDC_COMBO1), kCombo1Text);

  HWND list = control(IDC_LISTVIEW1);
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    std::wstring header = Utf8ToWide(kColumns[i].header);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = Px(kColumns[i].width);
    column.pszText = header.data();
    column.iSubItem = i;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  // ImageList1: cloud, arrow, sun; silver (0xC0C0C0) is transparent in the icons.
  small_images_ = ::ImageList_Create(16, 16, ILC_COLOR4 | ILC_MASK, 3, 0);
  for (int id : {IDI_TREND_CLOUD, IDI_TREND_ARROW, IDI_TREND_SUN}) {
    HICON icon = LoadSmallIcon(app_.instance(), id);
    ::ImageList_AddIcon(small_images_, icon);
    ::DestroyIcon(icon);
  }
  ::SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small_images_));
}

// ---- Drawing Form1's state -------------------------------------------------------------

void MainWindow::Refresh(const Form1State& state) {
  if (hwnd_ == nullptr) return;  // closed while a command still runs
  const bool all = !drawn_once_;
  if (all || state.label1 != drawn_.label1) {
    SetText(control(IDC_LABEL1), state.label1);
    ::UpdateWindow(control(IDC_LABEL1));
  }
  HWND bar = control(IDC_PBAR);
  if (all || state.pbar_max != drawn_.pbar_max) {
    ::SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(std::max(0.0, state.pbar_max)));
  }
  if (all || state.pbar_value != drawn_.pbar_value || state.pbar_max != drawn_.pbar_max) {
    ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(std::max(0.0, state.pbar_value)), 0);
  }
  if (all || state.pbar_visible != drawn_.pbar_visible) {
    ::ShowWindow(bar, state.pbar_visible ? SW_SHOWNA : SW_HIDE);
  }
  if (all || state.list_view1_view != drawn_.list_view1_view) {
    DrawListViewMode(state.list_view1_view);
  }
  if (all || !(state.list_view1.size() == drawn_.list_view1.size() &&
               std::equal(state.list_view1.begin(), state.list_view1.end(),
                          drawn_.list_view1.begin(), [](const auto& a, const auto& b) {
                            return a.title == b.title && a.rate == b.rate &&
                                   a.address == b.address && a.hits == b.hits &&
                                   a.small_icon == b.small_icon;
                          }))) {
    DrawRows(state.list_view1);
  }
  if (all || state.list_view1_visible != drawn_.list_view1_visible) {
    ::ShowWindow(control(IDC_LISTVIEW1), state.list_view1_visible ? SW_SHOWNA : SW_HIDE);
  }
  if (all || state.list1 != drawn_.list1) DrawList(IDC_LIST1, state.list1);
  if (all || state.file1_path != drawn_.file1_path) DrawFileList(state.file1_path);
  if (all || state.combo1_list_index != drawn_.combo1_list_index ||
      state.combo1.size() != drawn_.combo1.size()) {
    DrawCombo(state.combo1, state.combo1_list_index);
  }
  drawn_ = state;
  drawn_once_ = true;
}

void MainWindow::DrawListViewMode(int view) {
  HWND list = control(IDC_LISTVIEW1);
  const LONG_PTR style = ::GetWindowLongPtrW(list, GWL_STYLE);
  ::SetWindowLongPtrW(list, GWL_STYLE, (style & ~LVS_TYPEMASK) | ListViewModeStyle(view));
}

// Replaces the rows as one update: the list does not repaint row by row.
void MainWindow::DrawRows(const std::vector<ListViewRow>& rows) {
  HWND list = control(IDC_LISTVIEW1);
  ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const ListViewRow& row = rows[i];
    std::wstring title = Utf8ToWide(row.title);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = static_cast<int>(i);
    item.pszText = title.data();
    item.lParam = next_row_param_++;
    item.iImage = row.small_icon > 0 ? row.small_icon - 1 : I_IMAGENONE;
    const int index =
        static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    const std::string* sub_items[] = {&row.rate, &row.address, &row.hits};
    for (int sub = 0; sub < 3; ++sub) {
      std::wstring text = Utf8ToWide(*sub_items[sub]);
      LVITEMW cell{};
      cell.iSubItem = sub + 1;
      cell.pszText = text.data();
      ::SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&cell));
    }
  }
  ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, TRUE);
}

void MainWindow::DrawList(int id, const std::vector<std::string>& items) {
  HWND list = control(id);
  ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(item).c_str()));
  }
  ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

// File1 lists the files of one folder. LB_DIR reads the folder without changing the
// process's current directory (which Readme depends on).
void MainWindow::DrawFileList(const std::string& folder) {
  HWND list = control(IDC_FILE1);
  ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
  if (folder.empty()) return;
  std::wstring pattern = Utf8ToWide(folder);
  if (pattern.back() != L'\\') pattern += L'\\';
  pattern += L"*.*";
  ::SendMessageW(list, LB_DIR, DDL_READWRITE, reinterpret_cast<LPARAM>(pattern.c_str()));
}

void MainWindow::DrawCombo(const std::vector<ComboRow>& rows, int selected) {
  HWND combo = control(IDC_COMBO1);
  ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const ComboRow& row : rows) {
    const LRESULT index = ::SendMessageW(combo, CB_ADDSTRING, 0,
                                         reinterpret_cast<LPARAM>(Utf8ToWide(row.text).c_str()));
    ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index),
                   static_cast<LPARAM>(row.item_data));
  }
  ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

// Fills the list control with `rows`, lets the control sort them with the comparison
// callbacks, and hands the rows back in the control's order.
bool MainWindow::SortListView(std::vector<ListViewRow>* rows, std::int32_t column,
                              std::int32_t kind, std::int32_t order) {
  if (hwnd_ == nullptr) return false;
  HWND list = control(IDC_LISTVIEW1);
  DrawRows(*rows);
  const LPARAM first_param = next_row_param_ - static_cast<LPARAM>(rows->size());
  ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SortListByColumn(list, column, kind, order);
  ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  std::vector<ListViewRow> sorted;
  sorted.reserve(rows->size());
  const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = i;
    ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    const LPARAM position = item.lParam - first_param;
    if (position < 0 || position >= static_cast<LPARAM>(rows->size())) return false;
    sorted.push_back((*rows)[static_cast<std::size_t>(position)]);
  }
  if (sorted.size() != rows->size()) return false;
  *rows = std::move(sorted);
  drawn_.list_view1 = *rows;
  return true;
}

void MainWindow::ShowMessage(const std::string& text, MessageKind /*kind*/) {
  app_.ShowMessageBox(hwnd_, text);
}

void MainWindow::DoEvents() { app_.DoEvents(); }

void MainWindow::CloseMainWindow() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

void MainWindow::ShowAboutBox() { app_.ShowAboutBox(); }

// ---- The window procedure ---------------------------------------------------------------

void MainWindow::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  app_.WindowOpened();
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND hwnd = hwnd_;
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED || lparam == 0) OnCommand(LOWORD(wparam));
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->idFrom == IDC_LISTVIEW1 && header->code == LVN_COLUMNCLICK) {
        const auto* list = reinterpret_cast<const NMLISTVIEW*>(lparam);
        form_.ListView1_ColumnClick(list->iSubItem + 1);
      }
      return 0;
    }
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_CLOSE:
      ::DestroyWindow(hwnd);
      return 0;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      app_.platform().SetShellOwnerWindow(0);
      app_.WindowClosed();
      return ::DefWindowProcW(hwnd, message, wparam, lparam);
    default:
      return ::DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

void MainWindow::OnCommand(int id) {
  switch (id) {
    case IDC_COMMAND1:
      form_.Command1_Click();
      break;
    case IDC_COMMAND2:
      form_.Command2_Click();
      break;
    case IDC_COMMAND3:
      form_.Command3_Click();
      break;
    default:
      // Menu commands carry the numbers MenuCommandId gives them, in table order.
      for (const MenuLayout& layout : form1_layout::kMenus) {
        for (const MenuCommand& command : layout.commands) {
          if (command.handler != nullptr && MenuCommandId(command.name) == id) {
            (form_.*command.handler)();
            return;
          }
        }
      }
      break;
  }
}

void MainWindow::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(hwnd_, &paint);
  auto line = [&](int top, COLORREF colour) {
    HPEN pen = ::CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = ::SelectObject(dc, pen);
    ::MoveToEx(dc, Px(kRuleLeft), Px(top), nullptr);
    ::LineTo(dc, Px(kRuleRight), Px(top));
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
  };
  line(kLine1Top, ::GetSysColor(COLOR_WINDOWTEXT));  // Line1: the default line colour
  line(kLine2Top, RGB(0xFF, 0xFF, 0xFF));            // Line2: white
  ::EndPaint(hwnd_, &paint);
}

}  // namespace zorvane::win32
