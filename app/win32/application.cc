#include "app/win32/application.h"

#include "app/form1.h"
#include "app/win32/about_box.h"
#include "app/win32/main_window.h"
#include "platform/win32/win32_text.h"

namespace zorvane::win32 {
namespace {

constexpr wchar_t kOwnerClass[] = L"ZorvaneOwner";
// Requested face of the controls' font; the font mapper picks another face with the
// Japanese character set when this one is missing.
constexpr wchar_t kFontFace[] = L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF";  // ＭＳ Ｐゴシック
constexpr int kFontPoints = 9;

int ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

Application::Application(HINSTANCE instance, Platform& platform)
    : instance_(instance), platform_(platform), dpi_(ScreenDpi()) {
  font_ = ::CreateFontW(-::MulDiv(kFontPoints, dpi_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                        SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, kFontFace);
  WNDCLASSEXW owner_class{};
  owner_class.cbSize = sizeof(owner_class);
  owner_class.lpfnWndProc = &::DefWindowProcW;
  owner_class.hInstance = instance_;
  owner_class.lpszClassName = kOwnerClass;
  ::RegisterClassExW(&owner_class);
  hidden_owner_ = ::CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    instance_, nullptr);
}

Application::~Application() {
  about_.reset();
  main_.reset();
  if (hidden_owner_ != nullptr) ::DestroyWindow(hidden_owner_);
  if (font_ != nullptr) ::DeleteObject(font_);
}

bool Application::Start(int show_command) {
  main_ = std::make_unique<MainWindow>(*this, platform_.ProgramDirectory());
  return main_->Create(show_command);
}

int Application::Run() {
  MSG message;
  while (!quitting_) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (RouteDialogKeys(&message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}

void Application::DoEvents() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The last window closed during a command: the outer loop must still end.
      quitting_ = true;
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (RouteDialogKeys(&message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void Application::WindowClosed() {
  if (--open_windows_ <= 0) ::PostQuitMessage(0);
}

void Application::ShowAboutBox() {
  if (about_ != nullptr && about_->hwnd() != nullptr) {
    about_->BringForward();
    return;
  }
  // A closed box is dropped and a new one loaded, so its texts are set anew.
  about_ = std::make_unique<AboutBox>(*this);
  about_->Create();
}

void Application::ShowMessageBox(HWND owner, const std::string& text) {
  if (message_hook_) {
    message_hook_(owner, text);
    return;
  }
  ::MessageBoxW(owner, Utf8ToWide(text).c_str(), Utf8ToWide(kAppTitle).c_str(), MB_OK);
}

bool Application::RouteDialogKeys(MSG* message) {
  for (HWND window :
       {main_ != nullptr ? main_->hwnd() : nullptr, about_ != nullptr ? about_->hwnd() : nullptr}) {
    if (window != nullptr && (message->hwnd == window || ::IsChild(window, message->hwnd)) &&
        ::IsDialogMessageW(window, message)) {
      return true;
    }
  }
  return false;
}

}  // namespace zorvane::win32
