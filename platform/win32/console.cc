#include "platform/console.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/win32/windows_include.h"

namespace zorvane {

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
