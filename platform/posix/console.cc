#include "platform/console.h"

#include <unistd.h>

namespace zorvane {

void PrepareStandardStreams() {}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace zorvane
