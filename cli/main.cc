// zorvane-cli: the headless driver of the main window's commands (see cli/driver.h).
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/driver.h"
#include "platform/console.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  zorvane::PrepareStandardStreams();
  const std::vector<std::string> args = zorvane::CommandLineArguments(argc, argv);
  std::unique_ptr<zorvane::Platform> platform = zorvane::CreateDefaultPlatform();
  return zorvane::RunCli(args, *platform,
                         {std::cout, std::cerr, zorvane::StandardErrorIsTerminal()});
}
