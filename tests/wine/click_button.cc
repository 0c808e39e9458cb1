// click_button.exe CAPTION [SECONDS]: waits up to SECONDS (default 60) for Zorvane's main
// window, clicks its button with caption CAPTION and returns when the click has been
// handled. Prints the number of rows of the result list afterwards, then the window's
// place on the screen as WIDTHxHEIGHT+LEFT+TOP.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/win32_text.h"
#include "platform/win32/windows_include.h"

namespace {

struct Search {
  std::wstring caption;
  HWND found = nullptr;
};

BOOL CALLBACK FindButton(HWND child, LPARAM lparam) {
  auto* search = reinterpret_cast<Search*>(lparam);
  wchar_t text[128] = {};
  ::GetWindowTextW(child, text, 128);
  wchar_t class_name[64] = {};
  ::GetClassNameW(child, class_name, 64);
  if (search->caption == text && lstrcmpiW(class_name, L"Button") == 0) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindList(HWND child, LPARAM lparam) {
  wchar_t class_name[64] = {};
  ::GetClassNameW(child, class_name, 64);
  if (lstrcmpiW(class_name, WC_LISTVIEWW) == 0) {
    *reinterpret_cast<HWND*>(lparam) = child;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: click_button CAPTION [SECONDS]\n");
    return 2;
  }
  // The caption arrives in the ANSI code page.
  Search search{zorvane::win32::Utf8ToWide(zorvane::win32::AnsiToUtf8(argv[1]))};
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
  HWND main_window = nullptr;
  for (int waited = 0; waited < seconds * 10; ++waited) {
    main_window = ::FindWindowW(L"ZorvaneForm1", nullptr);
    if (main_window != nullptr) {
      ::EnumChildWindows(main_window, &FindButton, reinterpret_cast<LPARAM>(&search));
      if (search.found != nullptr) break;
    }
    ::Sleep(100);
  }
  if (search.found == nullptr) {
    std::fprintf(stderr, "click_button: no button \"%s\" in a Zorvane window\n", argv[1]);
    return 1;
  }
  // SendMessage returns once the window has run the command the click starts.
  ::SendMessageW(search.found, BM_CLICK, 0, 0);
  HWND list = nullptr;
  ::EnumChildWindows(main_window, &FindList, reinterpret_cast<LPARAM>(&list));
  std::printf("%d\n", list != nullptr
                          ? static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0))
                          : -1);
  RECT rect{};
  ::GetWindowRect(main_window, &rect);
  std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
              rect.top);
  return 0;
}
