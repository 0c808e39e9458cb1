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
    "commands: build | rank [--format tsv|csv|json] | add-favorites | mail | version\n"
    "          | import-bookmarks [--from PATH]... [--into DIR]\n";

constexpr char kImportCommand[] = "import-bookmarks";

struct Command {
  std::string name;
  RankFormat format = RankFormat::kTsv;
  std::vector<std::string> from;  // import-bookmarks: the files named
  std::string into;               // import-bookmarks: the folder named
};

// The value of option `name` at args[*i] ("--name VALUE" or "--name=VALUE"), moving *i
// past it; nullopt when args[*i] is not that option. `*missing` is set when it has none.
std::optional<std::string> OptionValue(const std::vector<std::string>& args, std::size_t* i,
                                       const std::string& name, bool* missing) {
  const std::string& arg = args[*i];
  if (arg == name) {
    if (*i + 1 >= args.size()) {
      *missing = true;
      return std::string();
    }
    return args[++*i];
  }
  if (arg.rfind(name + "=", 0) == 0) return arg.substr(name.size() + 1);
  return std::nullopt;
}

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
               arg == "version" || arg == kImportCommand) {
      invocation->commands.push_back(Command{arg, RankFormat::kTsv, {}, {}});
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
    } else if (arg.rfind("--from", 0) == 0 || arg.rfind("--into", 0) == 0) {
      const bool from = arg.rfind("--from", 0) == 0;
      const std::string option = from ? "--from" : "--into";
      bool missing = false;
      const std::optional<std::string> value = OptionValue(args, &i, option, &missing);
      if (!value) return "unknown command: " + arg;
      if (invocation->commands.empty() || invocation->commands.back().name != kImportCommand) {
        return option + " follows the import-bookmarks command";
      }
      if (missing || value->empty()) return option + (from ? " needs a file" : " needs a folder");
      Command& import = invocation->commands.back();
      if (from) {
        import.from.push_back(*value);
      } else {
        // One import fills one folder: a second --into would otherwise replace the first
        // without a word.
        if (!import.into.empty()) return "--into given twice; an import fills one folder";
        import.into = *value;
      }
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

  // With a table on stdout for another program, every message of the chain goes to
  // stderr, so stdout holds the table and nothing else.
  bool table_only = false;
  for (const Command& command : invocation.commands) {
    if (command.name == "rank" && command.format != RankFormat::kTsv) table_only = true;
  }
  std::ostream& messages = table_only ? streams.err : streams.out;
  const DiagnosticsTo diagnostics(platform, streams.err);

  CapturingShellPlatform shell(&platform);
  HeadlessView view(streams.progress_to_terminal);
  Form1 form(shell, invocation.program_dir.value_or(platform.ProgramDirectory()), view);
  form.Form_Load();

  for (const Command& command : invocation.commands) {
    bool failed = false;
    if (command.name == "build") {
      form.Command2_Click();
      failed = PrintMessages(view, messages);
    } else if (command.name == "rank") {
      form.Command1_Click();
      std::vector<HeadlessView::Message> rank_messages = view.TakeMessages();
      for (const HeadlessView::Message& message : rank_messages) {
        if (message.kind == MessageKind::kFailure) failed = true;
      }
      if (!failed) {
        // With CSV or JSON, stdout holds only the table, so it can be piped on.
        std::ostream& label_stream = command.format == RankFormat::kTsv ? streams.out : streams.err;
        label_stream << form.state().label1 << "\n";
        streams.out << FormatRankRows(form.state().list_view1, command.format);
      }
      for (const HeadlessView::Message& message : rank_messages) {
        messages << message.text << "\n";
      }
    } else if (command.name == "add-favorites") {
      form.mnuAddFavorite_Click();
      failed = PrintMessages(view, messages);
    } else if (command.name == "mail") {
      form.mnuMailSend_Click();
      for (const std::string& request : shell.TakeRequests()) messages << request << "\n";
      failed = PrintMessages(view, messages);
    } else if (command.name == kImportCommand) {
      form.ImportBookmarks(command.from, command.into);
      failed = PrintMessages(view, messages);
    } else if (command.name == "version") {
      messages << AboutCaption() << "\n" << kAppTitle << "\n" << AboutVersionLabel() << "\n";
    }
    streams.out.flush();
    streams.err.flush();
    if (failed) return kExitFailure;
  }
  return kExitOk;
}

}  // namespace zorvane
