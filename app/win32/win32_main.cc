// Zorvane.exe: the Win32 window program.
//
//   Zorvane.exe [--help | --version]
//
// --help and --version answer on the standard output the program was given (a window
// program has no console of its own; a redirected one works) and end it with status 0.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/version.h"
#include "app/win32/application.h"
#include "platform/console.h"
#include "platform/platform.h"
#include "platform/win32/windows_include.h"

namespace {

constexpr char kUsage[] =
    "usage: Zorvane [--help | --version]\n"
    "Ranks your Favorites by their viewing rate; url.dat and zorvane.ini are kept beside\n"
    "the program.\n";

// Answers --help or --version when the command line asks for one; false otherwise.
bool AnswerHelpOrVersion(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h" || arg == "/?") {
      zorvane::PrepareStandardStreams();
      std::fputs(kUsage, stdout);
      return true;
    }
    if (arg == "--version") {
      zorvane::PrepareStandardStreams();
      std::printf("Zorvane %d.%d.%d\n", zorvane::kVersionMajor, zorvane::kVersionMinor,
                  zorvane::kVersionRevision);
      return true;
    }
  }
  return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/,
                   int show_command) {
  if (AnswerHelpOrVersion(zorvane::CommandLineArguments(__argc, __argv))) {
    std::fflush(stdout);
    return 0;
  }

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS;
  ::InitCommonControlsEx(&controls);

  std::unique_ptr<zorvane::Platform> platform = zorvane::CreateDefaultPlatform();
  zorvane::win32::Application app(instance, *platform);
  if (!app.Start(show_command)) return 1;
  return app.Run();
}
