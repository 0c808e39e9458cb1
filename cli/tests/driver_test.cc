// zorvane-cli's contract: commands run in order on one window state; output lines and
// exit status as documented in cli/driver.h.
#include "cli/driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string_view>

#include "cli/command_table.h"
#include "tests/support/test_support.h"

namespace zorvane {
namespace {

using testing::ScopedEnv;
using testing::ShortcutBytes;
using testing::TempDir;

class CliTest : public ::testing::Test {
 protected:
  CliTest()
      : registry_env_("ZORVANE_REGISTRY", (root_.path() / "registry.reg").string()),
        cache_env_("ZORVANE_URL_CACHE", (root_.path() / "cache.txt").string()),
        platform_(CreateDefaultPlatform()) {
    std::filesystem::create_directories(root_.path() / "program");
    root_.Write("registry.reg",
                testing::RegistryStoreNaming((root_.path() / "Favorites").string()));
  }

  struct Result {
    int status;
    std::string out, err;
  };
  Result Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--program-dir", (root_.path() / "program").string()});
    std::ostringstream out, err;
    const int status = RunCli(args, *platform_, {out, err, false});
    return {status, out.str(), err.str()};
  }

  TempDir root_;
  ScopedEnv registry_env_;
  ScopedEnv cache_env_;
  std::unique_ptr<Platform> platform_;
};

TEST_F(CliTest, UsageErrorsExitWithTwoAndSayWhyOnStderr) {
  struct Case {
    std::vector<std::string> args;
    std::string why;  // the first line on stderr
  };
  const Case cases[] = {
      {{}, "no command given"},
      {{"frobnicate"}, "unknown command: frobnicate"},
      {{"build", "--format", "csv"}, "--format follows the rank command"},
      {{"rank", "--format", "xml"}, "unknown format: xml"},
      {{"rank", "--format"}, "--format needs tsv, csv or json"},
      {{"import-bookmarks", "--into", "A", "--into", "B"},
       "--into given twice; an import fills one folder"},
      {{"import-bookmarks", "--into=A", "--from", "f", "--into=A"},
       "--into given twice; an import fills one folder"},
      {{"--from", "f", "import-bookmarks"}, "--from follows the import-bookmarks command"},
      {{"rank", "--into=D"}, "--into follows the import-bookmarks command"},
      {{"import-bookmarks", "--from"}, "--from needs a file"},
      {{"import-bookmarks", "--into="}, "--into needs a folder"},
      {{"import-bookmarks", "--fromage"}, "unknown command: --fromage"},
      {{"rank", "--format="}, "unknown format: "},
      {{"--program-dir=", "build"}, "--program-dir needs a folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(c.args, *platform_, {out, err, false}), kExitUsage);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str().rfind("zorvane-cli: " + c.why + "\n", 0), 0u) << err.str();
    EXPECT_NE(err.str().find("usage: zorvane-cli"), std::string::npos);
  }
  std::ostringstream out, err;
  EXPECT_EQ(RunCli({"--program-dir"}, *platform_, {out, err, false}), kExitUsage);
}

TEST_F(CliTest, HelpAndVersionAnswerOnStdoutAndRunNothing) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--help"}, {"-h"}, {"build", "--help"}, {"-h", "frobnicate"}}) {
    SCOPED_TRACE(args.front());
    const Result result = Run(args);
    EXPECT_EQ(result.status, kExitOk);
    EXPECT_EQ(result.out,
              "usage: zorvane-cli [--program-dir DIR] COMMAND...\n"
              "       zorvane-cli --help | --version\n"
              "commands: build | rank [--format tsv|csv|json] | add-favorites | mail | version\n"
              "          | import-bookmarks [--from PATH]... [--into DIR]\n");
    EXPECT_EQ(result.err, "");
  }
  const Result version = Run({"--version"});
  EXPECT_EQ(version.status, kExitOk);
  EXPECT_EQ(version.out, "zorvane-cli 0.0.2\n");
  EXPECT_EQ(version.err, "");
  EXPECT_EQ(root_.Read("program/url.dat"), "<missing>");
}

TEST_F(CliTest, VersionPrintsTheAboutBoxTexts) {
  const Result result = Run({"version"});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(result.out, "Zorvaneのﾊﾞｰｼﾞｮﾝ情報\nZorvane\nﾊﾞｰｼﾞｮﾝ 0.0.2\n");
}

TEST_F(CliTest, BuildPrintsItsMessageAndWritesTheCatalogue) {
  root_.Write("Favorites/a.url", ShortcutBytes("http://a.example/"));
  const Result result = Run({"build"});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(result.out, "終了しました\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(root_.Read("program/url.dat"), "http://a.example/\r\n\r\n");
}

TEST_F(CliTest, BuildFailuresExitWithOneAndStopTheChain) {
  const Result result = Run({"build", "version"});
  EXPECT_EQ(result.status, kExitFailure);
  EXPECT_EQ(result.out, "お気にいりフォルダ一覧の取得に失敗\n");
  EXPECT_EQ(root_.Read("program/url.dat"), "<missing>");
}

TEST_F(CliTest, RankWithoutACatalogueAsksForOneAndExitsWithOne) {
  const Result result = Run({"rank", "version"});
  EXPECT_EQ(result.status, kExitFailure);
  EXPECT_EQ(result.out, "まず、お気に入りデータを作成してください\n");
}

TEST_F(CliTest, CommandsChainOnOneWindowState) {
  root_.Write("Favorites/Alpha.url", ShortcutBytes("http://a.example/"));
  root_.Write("Favorites/News/Beta.url", ShortcutBytes("http://b.example/?q=1&r=2"));
  root_.Write("cache.txt",
              "# type\thits\taddress\n"
              "0x1\t10\thttp://a.example/\n"
              "1\t30\thttp://b.example/?q=1&r=2\n"
              "0x100000\t50\tCookie:user@a.example/\n"
              "1\t5\thttp://other.example/\n");
  const Result first = Run({"build", "rank", "add-favorites", "mail"});
  EXPECT_EQ(first.status, kExitOk) << first.err;
  EXPECT_EQ(first.out,
            "終了しました\n"
            "3個のファイルを検出\n"
            "3\tBeta\t66.7%\thttp://b.example/?q=1&r=2\t30\n"
            "3\tAlpha\t22.2%\thttp://a.example/\t10\n"
            "追加されました\n"
            "mailto:ranking@zorvane.example?subject=Webで公開してOKです&body="
            "Beta;66.7%25;http://b.example/%3Fq%3D1%26r%3D2;30;"
            "Alpha;22.2%25;http://a.example/;10;\n");
  EXPECT_EQ(root_.Read("Favorites/お気に入りZorvane/Beta.url"),
            "[InternetShortcut]\r\nURL=http://b.example/?q=1&r=2\r\n");

  // A second ranking compares with the places the first one stored.
  const Result second = Run({"rank"});
  EXPECT_EQ(second.out,
            "3個のファイルを検出\n"
            "2\tBeta\t66.7%\thttp://b.example/?q=1&r=2\t30\n"
            "2\tAlpha\t22.2%\thttp://a.example/\t10\n");
}

TEST_F(CliTest, CsvAndJsonKeepStdoutForTheTable) {
  root_.Write("Favorites/Alpha.url", ShortcutBytes("http://a.example/"));
  root_.Write("cache.txt", "1\t4\thttp://a.example/\n");
  // Every message of the chain goes to stderr, so stdout can be piped on.
  const Result csv = Run({"build", "rank", "--format", "csv"});
  EXPECT_EQ(csv.status, kExitOk);
  EXPECT_EQ(csv.out,
            "rank,icon,title,rate,address,hits\r\n1,3,Alpha,100.0%,http://a.example/,4\r\n");
  EXPECT_EQ(csv.err, "終了しました\n1個のファイルを検出\n");
}

// The text a line of a manual page shows: font escapes dropped, \- and \e resolved, the
// arguments of a font macro joined (with spaces after .B and .I, without after the
// alternating ones such as .BR). Other escapes stay as written, so they show in a diff.
std::string ManualText(std::string_view line) {
  const auto unescape = [](std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '\\' || i + 1 == text.size()) {
        plain += text[i];
      } else if (text[i + 1] == 'f' && i + 2 < text.size()) {
        i += 2;
      } else if (text[i + 1] == '-') {
        plain += '-';
        ++i;
      } else if (text[i + 1] == 'e') {
        plain += '\\';
        ++i;
      } else {
        plain += text[i];
      }
    }
    return plain;
  };
  if (!line.starts_with('.')) return unescape(line);
  const std::size_t space = line.find(' ');
  const std::string_view macro = line.substr(1, space == line.npos ? line.npos : space - 1);
  const std::string_view separator = macro == "B" || macro == "I" ? " " : "";
  std::string text;
  bool first = true;
  // Arguments are split at spaces; a quoted one may hold spaces.
  for (std::size_t i = space == line.npos ? line.size() : space; i < line.size();) {
    if (line[i] == ' ') {
      ++i;
      continue;
    }
    std::size_t end;
    std::string_view argument;
    if (line[i] == '"') {
      end = line.find('"', i + 1);
      argument = line.substr(i + 1, end == line.npos ? line.npos : end - i - 1);
      end = end == line.npos ? line.size() : end + 1;
    } else {
      end = std::min(line.find(' ', i), line.size());
      argument = line.substr(i, end - i);
    }
    if (!first) text += separator;
    text += unescape(argument);
    first = false;
    i = end;
  }
  return text;
}

struct ManualEntry {
  std::string heading;    // the tag of .TP
  std::string paragraph;  // the text under it up to the next paragraph macro
};

// The tagged paragraphs (.TP) of the manual section `name`.
std::vector<ManualEntry> ManualSection(std::istream& page, std::string_view name) {
  std::vector<ManualEntry> entries;
  bool inside = false;
  enum class Next { kNothing, kHeading, kParagraph } next = Next::kNothing;
  for (std::string line; std::getline(page, line);) {
    if (line.starts_with(".SH ")) {
      inside = line.substr(4) == name;
      next = Next::kNothing;
    } else if (!inside || line.starts_with(".\\\"")) {
      continue;
    } else if (line == ".TP") {
      entries.emplace_back();
      next = Next::kHeading;
    } else if (line == ".IP" || line == ".PP" || line == ".P" || line == ".LP") {
      next = Next::kNothing;
    } else if (next == Next::kHeading) {
      entries.back().heading = ManualText(line);
      next = Next::kParagraph;
    } else if (next == Next::kParagraph) {
      std::string& paragraph = entries.back().paragraph;
      if (!paragraph.empty()) paragraph += " ";
      paragraph += ManualText(line);
    }
  }
  return entries;
}

TEST(CliManualTest, CommandsSectionFollowsTheCommandTable) {
  std::ifstream page(ZORVANE_CLI_MANUAL);
  ASSERT_TRUE(page) << ZORVANE_CLI_MANUAL;
  const std::vector<ManualEntry> entries = ManualSection(page, "COMMANDS");
  std::vector<std::string> headings, synopses;
  for (const ManualEntry& entry : entries) headings.push_back(entry.heading);
  for (const CliCommand& command : CliCommands()) synopses.push_back(CommandSynopsis(command));
  // Every command, in table order, with its arguments as the usage writes them.
  ASSERT_EQ(headings, synopses);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(synopses[i]);
    EXPECT_TRUE(entries[i].paragraph.starts_with(CliCommands()[i].help)) << entries[i].paragraph;
  }
}

}  // namespace
}  // namespace zorvane
