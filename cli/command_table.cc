// Sections: the arguments, the handlers, the table, then the texts made from it.
#include "cli/command_table.h"

#include <ostream>

#include "app/version.h"
#include "cli/rank_output.h"

namespace zorvane {

bool CommandArgs::Has(std::string_view name) const {
  for (const auto& [given, value] : values_) {
    if (given == name) return true;
  }
  return false;
}

std::vector<std::string> CommandArgs::All(std::string_view name) const {
  std::vector<std::string> all;
  for (const auto& [given, value] : values_) {
    if (given == name) all.push_back(value);
  }
  return all;
}

std::string CommandArgs::Last(std::string_view name) const {
  std::string last;
  for (const auto& [given, value] : values_) {
    if (given == name) last = value;
  }
  return last;
}

namespace {

// --- The arguments ---

std::optional<std::string> CheckRankFormat(std::string_view value) {
  if (ParseRankFormat(value)) return std::nullopt;
  return "unknown format: " + std::string(value);
}

constexpr CommandArgument kFormat = {
    "--format", "tsv|csv|json", "tsv, csv or json", Repeat::kLastWins, {}, &CheckRankFormat};
constexpr CommandArgument kFrom = {"--from", "PATH", "a file", Repeat::kMany, {}, nullptr};
// One import fills one folder: a second --into would otherwise replace the first without
// a word.
constexpr CommandArgument kInto = {
    "--into", "DIR", "a folder", Repeat::kOnce, "an import fills one folder", nullptr};

constexpr CommandArgument kRankArguments[] = {kFormat};
constexpr CommandArgument kImportArguments[] = {kFrom, kInto};

RankFormat FormatOf(const CommandArgs& args) {
  return ParseRankFormat(args.Last(kFormat.name)).value_or(RankFormat::kTsv);
}

// --- The handlers ---

// Prints the message boxes shown since the last command; true when one was a failure.
bool PrintMessages(CommandContext& context) {
  bool failed = false;
  for (const HeadlessView::Message& message : context.view.TakeMessages()) {
    context.messages << message.text << "\n";
    if (message.kind == MessageKind::kFailure) failed = true;
  }
  return failed;
}

bool RunBuild(CommandContext& context, const CommandArgs& /*args*/) {
  context.form.Command2_Click();
  return PrintMessages(context);
}

// The status label, then the rows, then the messages; after a failure only its message.
bool RunRank(CommandContext& context, const CommandArgs& args) {
  context.form.Command1_Click();
  const std::vector<HeadlessView::Message> messages = context.view.TakeMessages();
  bool failed = false;
  for (const HeadlessView::Message& message : messages) {
    if (message.kind == MessageKind::kFailure) failed = true;
  }
  if (!failed) {
    const RankFormat format = FormatOf(args);
    // With CSV or JSON, stdout holds only the table, so it can be piped on.
    std::ostream& label_stream = format == RankFormat::kTsv ? context.out : context.err;
    label_stream << context.form.state().label1 << "\n";
    context.out << FormatRankRows(context.form.state().list_view1, format);
  }
  for (const HeadlessView::Message& message : messages) {
    context.messages << message.text << "\n";
  }
  return failed;
}

bool RunAddFavorites(CommandContext& context, const CommandArgs& /*args*/) {
  context.form.mnuAddFavorite_Click();
  return PrintMessages(context);
}

// Prints the request instead of opening it.
bool RunMail(CommandContext& context, const CommandArgs& /*args*/) {
  context.form.mnuMailSend_Click();
  for (const std::string& request : context.shell_requests) context.messages << request << "\n";
  context.shell_requests.clear();
  return PrintMessages(context);
}

bool RunVersion(CommandContext& context, const CommandArgs& /*args*/) {
  context.messages << AboutCaption() << "\n" << kAppTitle << "\n" << AboutVersionLabel() << "\n";
  return false;
}

bool RunImportBookmarks(CommandContext& context, const CommandArgs& args) {
  context.form.ImportBookmarks(args.All(kFrom.name), args.Last(kInto.name));
  return PrintMessages(context);
}

// --- The table ---

constexpr CliCommand kCommands[] = {
    {"build", {}, &RunBuild, "Builds the catalogue from the Favorites folder"},
    {"rank", kRankArguments, &RunRank, "Ranks the favourites"},
    {"add-favorites",
     {},
     &RunAddFavorites,
     "Writes the listed rows as shortcuts into the Favorites subfolder お気に入りZorvane"},
    {"mail", {}, &RunMail, "Prints the mailto: request of the listed rows instead of opening it"},
    {"version", {}, &RunVersion, "Prints the About box texts: caption, title and version"},
    {"import-bookmarks", kImportArguments, &RunImportBookmarks,
     "Mirrors browser bookmarks into the Favorites folder as Internet shortcuts"},
};

// Lines of the usage stay within an 80-column terminal without touching its last column,
// where some terminals wrap at once.
constexpr std::size_t kUsageColumns = 79;
constexpr std::string_view kUsageLead = "commands: ";
constexpr std::string_view kUsageContinuation = "          | ";

}  // namespace

std::span<const CliCommand> CliCommands() { return kCommands; }

std::string CommandSynopsis(const CliCommand& command) {
  std::string synopsis(command.name);
  for (const CommandArgument& argument : command.arguments) {
    synopsis += " [";
    synopsis += argument.name;
    synopsis += " ";
    synopsis += argument.value_name;
    synopsis += argument.repeat == Repeat::kMany ? "]..." : "]";
  }
  return synopsis;
}

std::string CommandsUsage() {
  std::string usage(kUsageLead);
  std::size_t column = usage.size();
  bool first = true;
  for (const CliCommand& command : kCommands) {
    const std::string synopsis = CommandSynopsis(command);
    if (first) {
      usage += synopsis;
      column += synopsis.size();
      first = false;
    } else if (column + 3 + synopsis.size() <= kUsageColumns) {
      usage += " | " + synopsis;
      column += 3 + synopsis.size();
    } else {
      usage += "\n";
      usage += kUsageContinuation;
      usage += synopsis;
      column = kUsageContinuation.size() + synopsis.size();
    }
  }
  return usage + "\n";
}

bool PutsTableOnStdout(const CommandArgs& args) { return FormatOf(args) != RankFormat::kTsv; }

}  // namespace zorvane
