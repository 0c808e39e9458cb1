#include "cli/driver.h"

#include <optional>
#include <ostream>
#include <utility>

#include "app/form1.h"
#include "app/version.h"
#include "cli/headless_view.h"
#include "cli/rank_output.h"
#include "platform/forwarding_platform.h"

namespace zorvane {
namespace {

constexpr char kUsage[] =
    "usage: zorvane-cli [--program-dir DIR] COMMAND...\n"
    "       zorvane-cli --help | --version\n"
    "commands: build | rank [--format tsv|csv|json] | add-favorites | mail | version\n";

struct Command {
  std::string name;
  RankFormat format = RankFormat::kTsv;
};

// What the command line asks for besides commands: the usage or the version, which
// answer at once and run nothing.
enum class Request { kRun, kHelp, kVersion };

struct Invocation {
  Request request = Request::kRun;
  std::optional<std::string> program_dir;
  std::vector<Command> commands;
};

// Parses by hand: the commands run in the order given and may repeat, which is not the
// model of an option library's subcommands. Returns the error text on failure.
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
    } else if (arg == "build" || arg == "rank" || arg == "add-favorites" || arg == "mail" ||
               arg == "version") {
      invocation->commands.push_back({arg});
    } else if (arg == "--format" || arg.rfind("--format=", 0) == 0) {
      if (invocation->commands.empty() || invocation->commands.back().name != "rank") {
        return "--format follows the rank command";
      }
      std::string value;
      if (arg == "--format") {
        if (i + 1 >= args.size()) return "--format needs tsv, csv or json";
        value = args[++i];
      } else {
        value = arg.substr(9);
      }
      const std::optional<RankFormat> format = ParseRankFormat(value);
      if (!format) return "unknown format: " + value;
      invocation->commands.back().format = *format;
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
  explicit CapturingShellPlatform(Platform* target) : ForwardingPlatform(target) {}
  bool ShellOpen(const std::string& /*operation*/, const std::string& file) override {
    requests_.push_back(file);
    return true;
  }
  std::vector<std::string> TakeRequests() { return std::exchange(requests_, {}); }

 private:
  std::vector<std::string> requests_;
};

bool PrintMessages(HeadlessView& view, std::ostream& out) {
  bool failed = false;
  for (const HeadlessView::Message& message : view.TakeMessages()) {
    out << message.text << "\n";
    if (message.kind == MessageKind::kFailure) failed = true;
  }
  return failed;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, Platform& platform, CliStreams streams) {
  Invocation invocation;
  if (const std::optional<std::string> error = Parse(args, &invocation)) {
    streams.err << "zorvane-cli: " << *error << "\n" << kUsage;
    return kExitUsage;
  }
  if (invocation.request == Request::kHelp) {
    streams.out << kUsage;
    return kExitOk;
  }
  if (invocation.request == Request::kVersion) {
    streams.out << "zorvane-cli " << kVersionMajor << "." << kVersionMinor << "."
                << kVersionRevision << "\n";
    return kExitOk;
  }

  CapturingShellPlatform shell(&platform);
  HeadlessView view(streams.progress_to_terminal);
  Form1 form(shell, invocation.program_dir.value_or(platform.ProgramDirectory()), view);
  form.Form_Load();

  for (const Command& command : invocation.commands) {
    bool failed = false;
    if (command.name == "build") {
      form.Command2_Click();
      failed = PrintMessages(view, streams.out);
    } else if (command.name == "rank") {
      form.Command1_Click();
      std::vector<HeadlessView::Message> messages = view.TakeMessages();
      for (const HeadlessView::Message& message : messages) {
        if (message.kind == MessageKind::kFailure) failed = true;
      }
      if (!failed) {
        // With CSV or JSON, stdout holds only the table, so it can be piped on.
        std::ostream& label_stream =
            command.format == RankFormat::kTsv ? streams.out : streams.err;
        label_stream << form.state().label1 << "\n";
        streams.out << FormatRankRows(form.state().list_view1, command.format);
      }
      for (const HeadlessView::Message& message : messages) {
        streams.out << message.text << "\n";
      }
    } else if (command.name == "add-favorites") {
      form.mnuAddFavorite_Click();
      failed = PrintMessages(view, streams.out);
    } else if (command.name == "mail") {
      form.mnuMailSend_Click();
      for (const std::string& request : shell.TakeRequests()) streams.out << request << "\n";
      failed = PrintMessages(view, streams.out);
    } else if (command.name == "version") {
      streams.out << AboutCaption() << "\n" << kAppTitle << "\n" << AboutVersionLabel() << "\n";
    }
    streams.out.flush();
    if (failed) return kExitFailure;
  }
  return kExitOk;
}

}  // namespace zorvane
