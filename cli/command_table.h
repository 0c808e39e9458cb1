// The commands of zorvane-cli, one row each: its name, the arguments it takes with how
// each value is checked, its handler and one help line. The parser, the dispatch and the
// usage text all loop over the table, so a new command is one row (and its entry in
// zorvane-cli.1, which cli_driver_test holds to the table).
#pragma once

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "cli/headless_view.h"

namespace zorvane {

// How often an argument may follow its command.
enum class Repeat {
  kLastWins,  // given again, the later value counts
  kMany,      // every value counts; usage writes "[--NAME VALUE]..."
  kOnce,      // given again, a usage error
};

// An argument of a command, "--NAME VALUE" or "--NAME=VALUE", given after the command.
struct CommandArgument {
  std::string_view name;        // with its dashes: "--format"
  std::string_view value_name;  // how the usage and the manual write the value: "PATH"
  std::string_view needs;       // usage error without a value: "--NAME needs " + needs
  Repeat repeat;
  std::string_view once_reason;  // kOnce: usage error "--NAME given twice; " + once_reason
  // The usage error for a value it refuses, or nothing for one it takes. Without a check
  // every value but the empty one is taken, and an empty one is a missing one.
  std::optional<std::string> (*check)(std::string_view value);
};

// The values given to a command's arguments, in the order given.
class CommandArgs {
 public:
  void Add(std::string_view name, std::string value) {
    values_.emplace_back(std::string(name), std::move(value));
  }
  bool Has(std::string_view name) const;
  // Every value of `name`.
  std::vector<std::string> All(std::string_view name) const;
  // The last value of `name`; "" when it was not given.
  std::string Last(std::string_view name) const;

 private:
  std::vector<std::pair<std::string, std::string>> values_;
};

// What a handler works on: the run's one window state, and where its lines go.
struct CommandContext {
  Form1& form;
  HeadlessView& view;
  std::vector<std::string>& shell_requests;  // what the window asked the shell to open
  std::ostream& out;
  std::ostream& err;
  std::ostream& messages;  // message-box texts: `err` when a run puts a table on stdout
};

struct CliCommand {
  std::string_view name;
  std::span<const CommandArgument> arguments;
  // Runs the command; true when it ended with a failure message, which stops the chain.
  bool (*run)(CommandContext& context, const CommandArgs& args);
  std::string_view help;  // what it does; its manual entry opens with this line
};

// The table, in the order the usage and the manual list it.
std::span<const CliCommand> CliCommands();

// How the usage writes `command`: "import-bookmarks [--from PATH]... [--into DIR]".
std::string CommandSynopsis(const CliCommand& command);

// The "commands:" lines of the usage: the synopses joined by " | ", each line at most 79
// columns, a continuation line starting with "| " under the first synopsis.
std::string CommandsUsage();

// True when a command given `args` puts a table for another program on stdout (rank
// --format csv or json), so every message of the run must go to stderr instead.
bool PutsTableOnStdout(const CommandArgs& args);

}  // namespace zorvane
