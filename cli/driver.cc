#include "cli/driver.h"

#include <optional>
#include <ostream>
#include <string_view>
#include <utility>

#include "app/form1.h"
#include "app/version.h"
#include "cli/command_table.h"
#include "cli/headless_view.h"
#include "platform/forwarding_platform.h"

namespace zorvane {
namespace {

constexpr char kUsageHead[] =
    "usage: zorvane-cli [--program-dir DIR] COMMAND...\n"
    "       zorvane-cli --help | --version\n";

std::string Usage() { return kUsageHead + CommandsUsage(); }

struct Command {
  const CliCommand* row;
  CommandArgs args;
};

// What the command line asks for besides commands: the usage or the version, which
// answer at once and run nothing.
enum class Request { kRun, kHelp, kVersion };

struct Invocation {
  Request request = Request::kRun;
  std::optional<std::string> program_dir;
  std::vector<Command> commands;
};

const CliCommand* FindCommand(std::string_view name) {
  for (const CliCommand& command : CliCommands()) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

const CommandArgument* FindArgument(const CliCommand& command, std::string_view name) {
  for (const CommandArgument& argument : command.arguments) {
    if (argument.name == name) return &argument;
  }
  return nullptr;
}

// The name of the command argument `arg` gives ("--from" for "--from" and "--from=x"), or
// nothing when it is an argument of no command.
std::optional<std::string_view> ArgumentName(std::string_view arg) {
  for (const CliCommand& command : CliCommands()) {
    for (const CommandArgument& argument : command.arguments) {
      if (arg.starts_with(argument.name) &&
          (arg.size() == argument.name.size() || arg[argument.name.size()] == '=')) {
        return argument.name;
      }
    }
  }
  return std::nullopt;
}

// "rank", or "rank or unused": the commands that take the argument `name`.
std::string CommandsTaking(std::string_view name) {
  std::string names;
  for (const CliCommand& command : CliCommands()) {
    if (!FindArgument(command, name)) continue;
    if (!names.empty()) names += " or ";
    names += command.name;
  }
  return names;
}

// Reads the argument `name` at args[*i] into `command` (nullptr before the first command),
// moving *i past its value. Returns the error text on failure.
std::optional<std::string> ParseArgument(const std::vector<std::string>& args, std::size_t* i,
                                         std::string_view name, Command* command) {
  const std::string option(name);
  const CommandArgument* argument = command ? FindArgument(*command->row, name) : nullptr;
  if (!argument) return option + " follows the " + CommandsTaking(name) + " command";
  const std::string needs = option + " needs " + std::string(argument->needs);
  std::string value;
  if (args[*i] == name) {
    if (*i + 1 >= args.size()) return needs;
    value = args[++*i];
  } else {
    value = args[*i].substr(name.size() + 1);
  }
  if (argument->check) {
    if (std::optional<std::string> error = argument->check(value)) return error;
  } else if (value.empty()) {
    return needs;
  }
  if (argument->repeat == Repeat::kOnce && command->args.Has(name)) {
    return option + " given twice; " + std::string(argument->once_reason);
  }
  command->args.Add(name, std::move(value));
  return std::nullopt;
}

// Parses by hand: the commands run in the order given and may repeat, which is not the
// model of an option library's subcommands. The options of the whole run may stand
// anywhere; a command's arguments follow it. Returns the error text on failure.
std::optional<std::string> Parse(const std::vector<std::string>& args, Invocation* invocation) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      invocation->request = Request::kHelp;
      return std::nullopt;
    }
    if (arg == "--version") {
      invocation->request = Request::kVersion;
      return std::nullopt;
    }
    if (arg == "--program-dir") {
      if (i + 1 >= args.size()) return "--program-dir needs a folder";
      invocation->program_dir = args[++i];
    } else if (arg.rfind("--program-dir=", 0) == 0) {
      invocation->program_dir = arg.substr(14);
    } else if (const CliCommand* row = FindCommand(arg)) {
      invocation->commands.push_back(Command{row, {}});
    } else if (const std::optional<std::string_view> name = ArgumentName(arg)) {
      Command* last = invocation->commands.empty() ? nullptr : &invocation->commands.back();
      if (std::optional<std::string> error = ParseArgument(args, &i, *name, last)) return error;
    } else {
      return "unknown command: " + arg;
    }
  }
  if (invocation->program_dir && invocation->program_dir->empty()) {
    return "--program-dir needs a folder";
  }
  if (invocation->commands.empty()) return "no command given";
  return std::nullopt;
}

// Hands shell requests to the driver instead of the desktop: `mail` prints the request
// it would open.
class CapturingShellPlatform final : public ForwardingPlatform {
 public:
  CapturingShellPlatform(Platform* target, std::vector<std::string>* requests)
      : ForwardingPlatform(target), requests_(requests) {}
  bool ShellOpen(const std::string& /*operation*/, const std::string& file) override {
    requests_->push_back(file);
    return true;
  }

 private:
  std::vector<std::string>* requests_;
};

// Sends the platform's diagnostics to `err` while the object lives.
class DiagnosticsTo final {
 public:
  DiagnosticsTo(Platform& platform, std::ostream& err) : platform_(platform) {
    platform_.SetDiagnosticSink(
        [&err](const std::string& line) { err << "zorvane-cli: " << line << "\n"; });
  }
  ~DiagnosticsTo() { platform_.SetDiagnosticSink(nullptr); }
  DiagnosticsTo(const DiagnosticsTo&) = delete;
  DiagnosticsTo& operator=(const DiagnosticsTo&) = delete;

 private:
  Platform& platform_;
};

}  // namespace

int RunCli(const std::vector<std::string>& args, Platform& platform, CliStreams streams) {
  Invocation invocation;
  if (const std::optional<std::string> error = Parse(args, &invocation)) {
    streams.err << "zorvane-cli: " << *error << "\n" << Usage();
    return kExitUsage;
  }
  if (invocation.request == Request::kHelp) {
    streams.out << Usage();
    return kExitOk;
  }
  if (invocation.request == Request::kVersion) {
    streams.out << "zorvane-cli " << kVersionMajor << "." << kVersionMinor << "."
                << kVersionRevision << "\n";
    return kExitOk;
  }

  // With a table on stdout for another program, every message of the chain goes to
  // stderr, so stdout holds the table and nothing else.
  bool table_only = false;
  for (const Command& command : invocation.commands) {
    if (PutsTableOnStdout(command.args)) table_only = true;
  }
  const DiagnosticsTo diagnostics(platform, streams.err);

  std::vector<std::string> shell_requests;
  CapturingShellPlatform shell(&platform, &shell_requests);
  HeadlessView view(streams.progress_to_terminal);
  Form1 form(shell, invocation.program_dir.value_or(platform.ProgramDirectory()), view);
  form.Form_Load();
  CommandContext context{form,        view,        shell_requests,
                         streams.out, streams.err, table_only ? streams.err : streams.out};

  for (const Command& command : invocation.commands) {
    const bool failed = command.row->run(context, command.args);
    streams.out.flush();
    streams.err.flush();
    if (failed) return kExitFailure;
  }
  return kExitOk;
}

}  // namespace zorvane
