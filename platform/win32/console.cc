#include "platform/console.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/win32/win32_text.h"
#include "platform/win32/windows_include.h"

namespace zorvane {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr || count != argc) {
    // Fall back on the ANSI arguments the C runtime split.
    if (wide != nullptr) ::LocalFree(wide);
    for (int i = 1; i < argc; ++i) args.push_back(win32::AnsiToUtf8(argv[i]));
    return args;
  }
  for (int i = 1; i < count; ++i) args.push_back(win32::WideToUtf8(wide[i]));
  ::LocalFree(wide);
  return args;
}

// Binary mode: the C runtime neither turns "\n" into CR LF nor touches the UTF-8 bytes.
void PrepareStandardStreams() {
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return _isatty(_fileno(stderr)) != 0 &&
         ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

}  // namespace zorvane
