// Zorvane.exe: the Win32 window program.
#include <memory>

#include "app/win32/application.h"
#include "platform/platform.h"
#include "platform/win32/windows_include.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/,
                   int show_command) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS;
  ::InitCommonControlsEx(&controls);

  std::unique_ptr<zorvane::Platform> platform = zorvane::CreateDefaultPlatform();
  zorvane::win32::Application app(instance, *platform);
  if (!app.Start(show_command)) return 1;
  return app.Run();
}
