// The Win32 main window and About box, driven as a person would: controls created as the
// layout says, Form1's state drawn, clicks and keys reaching the handlers.
#include "app/win32/main_window.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/win32/about_box.h"
#include "app/win32/application.h"
#include "app/win32/resource.h"
#include "app/window_layout.h"
#include "platform/forwarding_platform.h"
#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace zorvane::win32 {
namespace {

std::string WindowText(HWND hwnd) {
  wchar_t buffer[256] = {};
  ::GetWindowTextW(hwnd, buffer, 256);
  return WideToUtf8(buffer);
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    // The windows of earlier tests posted their end of program; start without it.
    MSG quit;
    while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    app_ = std::make_unique<Application>(::GetModuleHandleW(nullptr), *platform_);
    app_->set_message_hook([this](HWND, const std::string& text) { messages_.push_back(text); });
    ASSERT_TRUE(app_->Start(SW_SHOWNORMAL));
    main_ = app_->main_window();
  }

  // The control's rectangle in the main window's client coordinates.
  RECT ClientRect(int id) const {
    HWND child = main_->control(id);
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, main_->hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  std::unique_ptr<Platform> platform_ = CreateDefaultPlatform();
  std::unique_ptr<Application> app_;
  MainWindow* main_ = nullptr;
  std::vector<std::string> messages_;
};

TEST_F(MainWindowTest, FormLoadFillsTheSelectorAndSwitchesToReportView) {
  HWND combo = main_->control(IDC_COMBO1);
  ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 9);
  EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
  const LRESULT data[] = {0x1, 0x8, 0x10, 0x20, 0x4, 0x10000, 0x100000, 0x200000, 0x300035};
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(::SendMessageW(combo, CB_GETITEMDATA, i, 0), data[i]);
  }
  HWND list = main_->control(IDC_LISTVIEW1);
  EXPECT_EQ(::GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
  const char* headers[] = {"タイトル", "シチョーリツ", "URL", "表示回数"};
  for (int i = 0; i < 4; ++i) {
    wchar_t text[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = 64;
    ASSERT_TRUE(::SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(WideToUtf8(text), headers[i]);
  }
  EXPECT_EQ(WindowText(main_->hwnd()), "Zorvane");
}

TEST_F(MainWindowTest, ControlsStandWhereTheTwipsLayoutPutsThem) {
  ASSERT_EQ(app_->dpi(), 96) << "the layout below is in pixels at 96 dots per inch";
  RECT client{};
  ::GetClientRect(main_->hwnd(), &client);
  EXPECT_EQ(client.right, 392);
  EXPECT_EQ(client.bottom, 246);
  for (const ControlLayout& control : form1_layout::kControls) {
    SCOPED_TRACE(control.name);
    const int id = MainWindow::ControlId(control.name);
    ASSERT_NE(id, 0);
    const PixelRect expected = TwipsRectToPixels(control.rect, 96, 96);
    const RECT rect = ClientRect(id);
    EXPECT_EQ(rect.left, expected.left);
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.right, expected.left + expected.width);
    if (id != IDC_COMBO1) {  // a drop-down combo box is as high as its list
      EXPECT_EQ(rect.bottom, expected.top + expected.height);
    }
    EXPECT_EQ(::IsWindowVisible(main_->control(id)) != FALSE, control.visible);
  }
  // The menu's exit command keeps its access key.
  HMENU menu = ::GetSubMenu(::GetMenu(main_->hwnd()), 0);
  wchar_t exit_caption[32] = {};
  ::GetMenuStringW(menu, MainWindow::MenuCommandId("mnuExit"), exit_caption, 32, MF_BYCOMMAND);
  EXPECT_EQ(WideToUtf8(exit_caption), "E&XIT");
}

TEST_F(MainWindowTest, DrawsRowsWithTheirTrendIcons) {
  Form1State state = main_->form().state();
  state.label1 = "3個のファイルを検出";
  state.list_view1 = {{"ニュース", "50.0%", "http://a/", "10", 3},
                      {"天気", "25.0%", "http://b/", "5", 1}};
  main_->Refresh(state);
  EXPECT_EQ(WindowText(main_->control(IDC_LABEL1)), "3個のファイルを検出");
  HWND list = main_->control(IDC_LISTVIEW1);
  ASSERT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
  const HIMAGELIST images =
      reinterpret_cast<HIMAGELIST>(::SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  EXPECT_EQ(::ImageList_GetImageCount(images), 3);
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = 0;
  ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.iImage, 2) << "icon 3, the sun";
  wchar_t text[64] = {};
  LVITEMW cell{};
  cell.iSubItem = 2;
  cell.pszText = text;
  cell.cchTextMax = 64;
  ::SendMessageW(list, LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&cell));
  EXPECT_EQ(WideToUtf8(text), "http://b/");
}

TEST_F(MainWindowTest, TheListControlSortsTheRowsForForm1) {
  std::vector<ListViewRow> rows = {
      {"a", "", "u", "3", 0}, {"b", "", "u", "10", 0}, {"c", "", "u", "2", 0}};
  ASSERT_TRUE(main_->SortListView(&rows, 4, 1, 1));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].title + rows[1].title + rows[2].title, "bac");
}

// Records the owner window each shell request would be shown with, and opens nothing.
class ShellOwnerRecorder final : public ForwardingPlatform {
 public:
  explicit ShellOwnerRecorder(Platform* target) : ForwardingPlatform(target) {}
  void SetShellOwnerWindow(std::uintptr_t window) override { owner_ = window; }
  bool ShellOpen(const std::string& /*operation*/, const std::string& /*file*/) override {
    owners.push_back(owner_);
    return true;
  }
  std::vector<std::uintptr_t> owners;

 private:
  std::uintptr_t owner_ = 0;
};

TEST(MainWindowShellTest, TheMailProgramIsOwnedByTheMainWindow) {
  std::unique_ptr<Platform> real = CreateDefaultPlatform();
  ShellOwnerRecorder platform(real.get());
  Application app(::GetModuleHandleW(nullptr), platform);
  ASSERT_TRUE(app.Start(SW_SHOWNORMAL));
  app.main_window()->form().mnuMailSend_Click();
  EXPECT_EQ(platform.owners, std::vector<std::uintptr_t>{
                                 reinterpret_cast<std::uintptr_t>(app.main_window()->hwnd())});
}

TEST_F(MainWindowTest, RankingWithoutCatalogueShowsTheMessage) {
  const std::string catalogue = main_->form().program_dir() + "\\url.dat";
  if (platform_->GetFileAttributes(catalogue) != kInvalidFileAttributes) GTEST_SKIP();
  ::SendMessageW(main_->control(IDC_COMMAND1), BM_CLICK, 0, 0);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "まず、お気に入りデータを作成してください");
}

TEST_F(MainWindowTest, AboutBoxOpensOnceAndKeepsTheProgramAliveAlone) {
  ::SendMessageW(main_->hwnd(), WM_COMMAND, MainWindow::MenuCommandId("mnuVersion"), 0);
  AboutBox* about = app_->about_box();
  ASSERT_NE(about, nullptr);
  HWND box = about->hwnd();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), "Zorvaneのﾊﾞｰｼﾞｮﾝ情報");
  EXPECT_EQ(WindowText(::GetDlgItem(box, IDC_LBL_TITLE)), "Zorvane");
  EXPECT_EQ(WindowText(::GetDlgItem(box, IDC_LBL_VERSION)), "ﾊﾞｰｼﾞｮﾝ 0.0.2");
  EXPECT_EQ(::GetWindow(box, GW_OWNER), app_->hidden_owner()) << "no task-bar button";

  ::SendMessageW(main_->hwnd(), WM_COMMAND, MainWindow::MenuCommandId("mnuVersion"), 0);
  EXPECT_EQ(app_->about_box()->hwnd(), box) << "the same box comes forward";

  // Closing the main window leaves the box, and the program, running.
  ::SendMessageW(main_->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(main_->hwnd(), nullptr);
  MSG message;
  EXPECT_FALSE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  ::SendMessageW(box, WM_COMMAND, IDCANCEL, 0);  // Esc
  EXPECT_EQ(about->hwnd(), nullptr);
  EXPECT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(MainWindowTest, SystemInformationIsReachedByTabAndAltS) {
  ::SendMessageW(main_->hwnd(), WM_COMMAND, MainWindow::MenuCommandId("mnuVersion"), 0);
  HWND box = app_->about_box()->hwnd();
  HWND ok = ::GetDlgItem(box, IDOK);
  HWND sys_info = ::GetDlgItem(box, IDC_CMD_SYSINFO);
  EXPECT_EQ(WindowText(sys_info), "ｼｽﾃﾑ情報(&S)...");
  RECT client{};
  ::GetClientRect(box, &client);
  RECT button{};
  ::GetWindowRect(sys_info, &button);
  ::MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&button), 2);
  EXPECT_GE(button.top, client.bottom) << "below the visible area";
  EXPECT_EQ(::GetNextDlgTabItem(box, ok, FALSE), sys_info) << "Tab goes from OK to it";

  // Alt+S, as the keyboard delivers it to the focused control.
  ::SetFocus(ok);
  ::PostMessageW(ok, WM_SYSCHAR, 's', 1 << 29);
  app_->DoEvents();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "現時点ではｼｽﾃﾑ情報を使用できません");
  EXPECT_NE(app_->about_box()->hwnd(), nullptr) << "the box stays open";
}

}  // namespace
}  // namespace zorvane::win32
