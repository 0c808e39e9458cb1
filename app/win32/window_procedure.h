// The window procedure of a window that belongs to a C++ object: the object arrives with
// WM_NCCREATE, is kept in the window's GWLP_USERDATA and handles every later message.
#pragma once

#include "platform/win32/windows_include.h"

namespace zorvane::win32 {

// `Window` has Attach(HWND), called once when its window is created, and
// HandleMessage(message, wparam, lparam); it befriends this template when they are
// private.
template <typename Window>
LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* self = static_cast<Window*>(create->lpCreateParams);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->Attach(hwnd);
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wparam, lparam);
  return self->HandleMessage(message, wparam, lparam);
}

}  // namespace zorvane::win32
