// The standard streams of a console program.
#pragma once

namespace zorvane {

// Makes stdout and stderr carry the program's UTF-8 bytes unchanged (no newline or
// code-page translation).
void PrepareStandardStreams();

// Whether stderr is a terminal a person watches.
bool StandardErrorIsTerminal();

}  // namespace zorvane
