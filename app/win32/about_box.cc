#include "app/win32/about_box.h"

#include "app/win32/application.h"
#include "app/win32/resource.h"
#include "app/win32/twips.h"
#include "platform/win32/win32_text.h"

namespace zorvane::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"ZorvaneFrmAbout";

// Client area, in twips.
using frm_about_layout::kClientHeight;
using frm_about_layout::kClientWidth;

// Controls by tab index; where each stands comes from the shared layout, by name.
struct ControlSpec {
  int id;
  const char* name;
  const wchar_t* window_class;
  DWORD style;
};
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
const ControlSpec kControls[] = {
    {IDOK, "cmdOK", WC_BUTTONW, kButton | BS_DEFPUSHBUTTON},
    {IDC_PIC_ICON, "picIcon", WC_STATICW, WS_CHILD | WS_VISIBLE | SS_ICON},
    {IDC_CMD_SYSINFO, "cmdSysInfo", WC_BUTTONW, kButton | BS_PUSHBUTTON},
    {IDC_LBL_DESCRIPTION, "lblDescription", WC_STATICW, kLabel},
    {IDC_LBL_DISCLAIMER, "lblDisclaimer", WC_STATICW, kLabel},
    {IDC_LBL_TITLE, "lblTitle", WC_STATICW, kLabel},
    {IDC_LBL_VERSION, "lblVersion", WC_STATICW, kLabel},
};

void SetText(HWND hwnd, const std::string& utf8) {
  ::SetWindowTextW(hwnd, Utf8ToWide(utf8).c_str());
}

}  // namespace

AboutBox::AboutBox(Application& app) : app_(app), form_(app.platform(), *this) {}

AboutBox::~AboutBox() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
  if (icon_ != nullptr) ::DestroyIcon(icon_);
}

int AboutBox::Px(int twips) const { return TwipsToPixels(twips, app_.dpi()); }

bool AboutBox::Create() {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &ObjectWindowProc<AboutBox>;
  window_class.hInstance = app_.instance();
  window_class.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  if (::RegisterClassExW(&window_class) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  // A fixed dialog frame without minimise and maximise buttons.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD ex_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, Px(kClientWidth), Px(kClientHeight)};
  ::AdjustWindowRectEx(&frame, style, FALSE, ex_style);
  hwnd_ = ::CreateWindowExW(ex_style, kWindowClass, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                            frame.right - frame.left, frame.bottom - frame.top, app_.hidden_owner(),
                            nullptr, app_.instance(), this);
  if (hwnd_ == nullptr) return false;

  icon_ = static_cast<HICON>(::LoadImageW(app_.instance(), MAKEINTRESOURCEW(IDI_ZORVANE),
                                          IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  for (const ControlSpec& spec : kControls) {
    const PixelRect rect = TwipsRectToPixels(
        FindControl(frm_about_layout::kControls, spec.name).rect, app_.dpi(), app_.dpi());
    HWND child = ::CreateWindowExW(
        0, spec.window_class, L"", spec.style, rect.left, rect.top, rect.width, rect.height, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), app_.instance(), nullptr);
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(app_.font()), FALSE);
  }
  ::SendMessageW(control(IDC_PIC_ICON), STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);

  form_.Form_Load();
  ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  ::SetFocus(control(IDOK));
  return true;
}

void AboutBox::BringForward() {
  if (hwnd_ == nullptr) return;
  ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  ::SetForegroundWindow(hwnd_);
}

void AboutBox::Refresh(const FrmAboutState& state) {
  if (hwnd_ == nullptr) return;
  SetText(hwnd_, state.caption);
  SetText(control(IDC_LBL_TITLE), state.lbl_title);
  SetText(control(IDC_LBL_VERSION), state.lbl_version);
  SetText(control(IDC_LBL_DESCRIPTION), state.lbl_description);
  SetText(control(IDC_LBL_DISCLAIMER), state.lbl_disclaimer);
  SetText(control(IDOK), state.cmd_ok);
  SetText(control(IDC_CMD_SYSINFO), state.cmd_sys_info);  // "&S": Alt+S
}

void AboutBox::ShowMessage(const std::string& text) { app_.ShowMessageBox(hwnd_, text); }

void AboutBox::CloseAboutBox() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

void AboutBox::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  app_.WindowOpened();
}

LRESULT AboutBox::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND hwnd = hwnd_;
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:
        case IDCANCEL:  // Esc
          form_.cmdOK_Click();
          return 0;
        case IDC_CMD_SYSINFO:
          form_.cmdSysInfo_Click();
          return 0;
        default:
          return 0;
      }
    case WM_CLOSE:
      ::DestroyWindow(hwnd);
      return 0;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      app_.WindowClosed();
      return ::DefWindowProcW(hwnd, message, wparam, lparam);
    default:
      return ::DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

}  // namespace zorvane::win32
