// The standard streams of a console program.
#pragma once

#include <string>
#include <vector>

namespace zorvane {

// The program's arguments, without the program name, as UTF-8. On Windows `argv` holds
// them in the ANSI code page, which cannot hold every file name; they are taken from the
// wide command line instead.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Makes stdout and stderr carry the program's UTF-8 bytes unchanged (no newline or
// code-page translation).
void PrepareStandardStreams();

// Whether stderr is a terminal a person watches.
bool StandardErrorIsTerminal();

}  // namespace zorvane
