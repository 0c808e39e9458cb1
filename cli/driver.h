// zorvane-cli: runs the main window's commands in order on one headless Form1, so later
// commands see the list that earlier ones left.
//
//   zorvane-cli [--program-dir DIR] COMMAND...
//   zorvane-cli --help | --version   (the usage or "zorvane-cli 0.0.2" on stdout, exit 0)
//   COMMAND: a row of the command table (cli/command_table.h) with the arguments that
//            follow it; the usage lists them
//
// Exit status: 0 when every command ran to its normal end; 1 when a command ended with a
// failure message (the commands after it do not run); 2 for a usage error.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zorvane {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct CliStreams {
  std::ostream& out;
  std::ostream& err;
  bool progress_to_terminal = false;  // draw the build's progress on stderr
};

// Runs the command line `args` (without the program name) on `platform`.
int RunCli(const std::vector<std::string>& args, Platform& platform, CliStreams streams);

}  // namespace zorvane
