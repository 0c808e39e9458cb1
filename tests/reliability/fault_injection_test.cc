// Every command under a failing platform: for each kind of operation and each k, the
// k-th call of that kind fails (and, in a second pass, every call from the k-th on). A
// failed write always ends the command with its failure message, never with its success
// message, and every file is then either the file from before the command or the file a
// run without faults leaves, whole. Failed reads never crash a command and leave
// well-formed files. The files, the registry and the URL cache are the memory platform's;
// that a failed write leaves the disk as it was is the platforms' own test.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "platform/memory/memory_platform.h"
#include "tests/support/fault_injecting_platform.h"
#include "tests/support/test_support.h"

namespace zorvane {
namespace {

using testing::FaultInjectingPlatform;
using testing::FaultKind;
using testing::FaultKindName;
using testing::RecordingView;
using testing::ShortcutBytes;

constexpr char kBuilt[] = "終了しました";
constexpr char kBuildSaveFailed[] = "お気に入りデータの保存に失敗";
constexpr char kAdded[] = "追加されました";
constexpr char kAddFailed[] = "お気に入りへの追加に失敗";
constexpr char kProgramDir[] = "/root/program";
constexpr char kFavorites[] = "/root/Favorites";
constexpr char kSubfolder[] = "/root/Favorites/お気に入りZorvane";

constexpr char kImported[] = "1個のブックマークを取り込みました";
constexpr char kImportFailed[] = "ブックマークの取り込みに失敗";
constexpr char kMirror[] = "/root/Favorites/bookmarks";

enum class Command { kBuild, kRank, kAddFavorites, kImport };

const char* CommandName(Command command) {
  switch (command) {
    case Command::kBuild:
      return "build";
    case Command::kRank:
      return "rank";
    case Command::kAddFavorites:
      return "add-favorites";
    case Command::kImport:
      return "import-bookmarks";
  }
  return "?";
}

bool IsWriteKind(FaultKind kind) {
  return kind == FaultKind::kWriteFile || kind == FaultKind::kWriteProfile ||
         kind == FaultKind::kCreateDirectory || kind == FaultKind::kRegistryWrite ||
         kind == FaultKind::kWriteNewFile || kind == FaultKind::kReplaceFolder;
}

// The files below a folder, by path relative to it.
using Snapshot = std::map<std::string, std::string>;

Snapshot TakeSnapshot(const MemoryPlatform& memory, const std::string& dir) {
  Snapshot files;
  for (const std::string& path : memory.ListTree(dir)) {
    if (const auto bytes = memory.FileBytes(path)) files[path.substr(dir.size() + 1)] = *bytes;
  }
  return files;
}

// Whether a settings file is whole: every line a section header or a key line, each
// ended by CR LF.
bool IsWellFormedSettings(const std::string& bytes) {
  if (bytes.empty()) return true;
  if (bytes.size() < 2 || bytes.substr(bytes.size() - 2) != "\r\n") return false;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    const std::string line = bytes.substr(start, end - start);
    if (line.find_first_of("\r\n") != std::string::npos) return false;
    const bool header = !line.empty() && line.front() == '[' && line.back() == ']';
    if (!header && line.find('=') == std::string::npos) return false;
    start = end + 2;
  }
  return true;
}

// Whether url.dat is whole: records ended by CR LF, then the closing empty line.
bool IsWellFormedCatalogue(const std::string& bytes) {
  return bytes == "\r\n" || (bytes.size() >= 4 && bytes.substr(bytes.size() - 4) == "\r\n\r\n");
}

struct Outcome {
  std::vector<std::string> messages;
  std::vector<MessageKind> kinds;
  std::vector<ListViewRow> rows;
  Snapshot before;  // the files when the fault was armed
  Snapshot after;
  int injected = 0;
  int calls = 0;
};

class FaultInjectionTest : public ::testing::Test {
 protected:
  FaultInjectionTest() {
    memory_.registry_store() = testing::RegistryStoreNaming(kFavorites);
    const char* const shortcuts[][2] = {
        {"a.url", "http://a.example/"},
        {"b.url", "http://b.example/"},
        {"News/c.url", "http://c.example/"},
        {"News/Deep/d.url", "http://d.example/"},
        {"Tech/e.url", "http://e.example/"},
        {"Tech/f.url", "http://f.example/"},
        {"日本/g.url", "http://\x93\xfa.example/"},
        {"h.url", "http://h.example/"},
    };
    std::uint32_t hits = 2;
    for (const auto& [name, address] : shortcuts) {
      memory_.AddFile(std::string(kFavorites) + "/" + name, ShortcutBytes(address));
      memory_.url_cache().push_back({0x1, address, hits++});
    }
    memory_.url_cache().push_back({0x1, "http://not-a-favourite.example/", 100});
  }

  // The files every run starts from: an older catalogue and settings, and for the
  // add-to-Favorites command an older copy of some of its shortcuts.
  void ResetFiles(bool with_subfolder) {
    memory_.RemoveDirectoryTree(kProgramDir);
    memory_.RemoveDirectoryTree(kSubfolder);
    memory_.AddFile(std::string(kProgramDir) + "/url.dat",
                    "http://old.example/\r\nhttp://a.example/\r\n\r\n");
    memory_.AddFile(std::string(kProgramDir) + "/zorvane.ini",
                    "[ShortcutTitle]\r\nhttp://old.example/=Old\r\nhttp://a.example/=Older a\r\n"
                    "[RANK]\r\nOld=1\r\nh=4\r\n");
    if (with_subfolder) {
      memory_.AddFile(std::string(kSubfolder) + "/h.url", "old h");
      memory_.AddFile(std::string(kSubfolder) + "/gone.url", "old gone");
    }
    // The mirror of an earlier import, with a file of the user's in it.
    memory_.RemoveDirectoryTree(kMirror);
    memory_.AddFile(std::string(kMirror) + "/.zorvane-import",
                    "mirror=bookmarks\r\nwritten:\r\nOld\r\nOld/old.url\r\n");
    memory_.AddFile(std::string(kMirror) + "/Old/old.url", ShortcutBytes("http://old.example/"));
    memory_.AddFile(std::string(kMirror) + "/Old/mine.txt", "the user's");
  }

  // Runs `command` with call `k` of `kind` failing (every call from k on when
  // `persistent`); k = 0 runs without faults. The add-to-Favorites command runs on the
  // rows of a fault-free build and ranking.
  Outcome Run(Command command, FaultKind kind, int k, bool persistent, bool with_subfolder) {
    ResetFiles(with_subfolder);
    RecordingView view;
    Form1 form(platform_, kProgramDir, view);
    form.Form_Load();
    platform_.Disarm();
    if (command != Command::kBuild) form.Command2_Click();
    if (command == Command::kAddFavorites) form.Command1_Click();
    view.messages.clear();
    view.kinds.clear();

    Outcome outcome;
    outcome.before = Files();
    platform_.Arm(kind, k, persistent);
    switch (command) {
      case Command::kBuild:
        form.Command2_Click();
        break;
      case Command::kRank:
        form.Command1_Click();
        break;
      case Command::kAddFavorites:
        form.mnuAddFavorite_Click();
        break;
      case Command::kImport:
        form.ImportBookmarks({bookmarks_.Write("bookmarks.html", kBookmarksHtml).string()}, "");
        break;
    }
    outcome.injected = platform_.injected();
    outcome.calls = platform_.calls(kind);
    platform_.Disarm();
    outcome.messages = view.messages;
    outcome.kinds = view.kinds;
    outcome.rows = form.state().list_view1;
    outcome.after = Files();
    return outcome;
  }

  // The program folder and the Favorites folder together.
  Snapshot Files() const {
    Snapshot files;
    for (auto& [name, bytes] : TakeSnapshot(memory_, kProgramDir)) files["program/" + name] = bytes;
    for (auto& [name, bytes] : TakeSnapshot(memory_, kFavorites))
      files["favorites/" + name] = bytes;
    return files;
  }

  static constexpr char kBookmarksHtml[] =
      "<DL><DT><H3>New</H3><DL><DT><A HREF=\"http://new.example/\">new</A></DL></DL>";
  testing::TempDir bookmarks_;  // the bookmarks file is read from disk
  MemoryPlatform memory_;
  FaultInjectingPlatform platform_{&memory_};
};

// Each file is the one from before or the one a fault-free run leaves; none is torn.
void ExpectOldOrNew(const Outcome& outcome, const Snapshot& fault_free) {
  std::map<std::string, int> names;
  for (const Snapshot* s : {&outcome.before, &fault_free, &outcome.after}) {
    for (const auto& [name, bytes] : *s) ++names[name];
  }
  for (const auto& [name, count] : names) {
    SCOPED_TRACE(name);
    const auto find = [&name](const Snapshot& s) -> std::string {
      const auto it = s.find(name);
      return it == s.end() ? "<missing>" : it->second;
    };
    const std::string now = find(outcome.after);
    EXPECT_TRUE(now == find(outcome.before) || now == find(fault_free)) << now;
  }
}

void ExpectWellFormed(const Outcome& outcome) {
  for (const auto& [name, bytes] : outcome.after) {
    SCOPED_TRACE(name);
    if (name == "program/url.dat") {
      EXPECT_TRUE(IsWellFormedCatalogue(bytes)) << bytes;
    } else if (name == "program/zorvane.ini") {
      EXPECT_TRUE(IsWellFormedSettings(bytes)) << bytes;
    }
  }
}

struct Case {
  Command command;
  FaultKind kind;
  bool with_subfolder;
};

TEST_F(FaultInjectionTest, EveryFailedCallEndsCleanly) {
  const Case cases[] = {
      {Command::kBuild, FaultKind::kWriteProfile, false},
      {Command::kBuild, FaultKind::kWriteFile, false},
      {Command::kBuild, FaultKind::kReadProfile, false},
      {Command::kBuild, FaultKind::kListDirectory, false},
      {Command::kBuild, FaultKind::kFileAttributes, false},
      {Command::kBuild, FaultKind::kRegistryRead, false},
      {Command::kRank, FaultKind::kWriteProfile, false},
      {Command::kRank, FaultKind::kReadFile, false},
      {Command::kRank, FaultKind::kReadProfile, false},
      {Command::kRank, FaultKind::kFileAttributes, false},
      {Command::kAddFavorites, FaultKind::kWriteFile, true},
      {Command::kAddFavorites, FaultKind::kWriteFile, false},
      {Command::kAddFavorites, FaultKind::kCreateDirectory, false},
      {Command::kAddFavorites, FaultKind::kFileAttributes, false},
      {Command::kAddFavorites, FaultKind::kRegistryRead, false},
      {Command::kImport, FaultKind::kWriteNewFile, false},
      {Command::kImport, FaultKind::kCreateDirectory, false},
      {Command::kImport, FaultKind::kWriteFile, false},
      {Command::kImport, FaultKind::kReplaceFolder, false},
      {Command::kImport, FaultKind::kListDirectory, false},
      {Command::kImport, FaultKind::kReadFile, false},
  };
  int injected_total = 0;
  for (const Case& c : cases) {
    const Outcome fault_free = Run(c.command, c.kind, 0, false, c.with_subfolder);
    const std::string success = c.command == Command::kBuild          ? kBuilt
                                : c.command == Command::kAddFavorites ? kAdded
                                : c.command == Command::kImport       ? kImported
                                                                      : "";
    ASSERT_EQ(fault_free.messages,
              success.empty() ? std::vector<std::string>{} : std::vector<std::string>{success})
        << CommandName(c.command);
    ASSERT_GT(fault_free.calls, 0) << CommandName(c.command) << " " << FaultKindName(c.kind);

    for (const bool persistent : {false, true}) {
      for (int k = 1; k <= fault_free.calls; ++k) {
        SCOPED_TRACE(std::string(CommandName(c.command)) + ": call " + std::to_string(k) + " of " +
                     FaultKindName(c.kind) + (persistent ? " and every later one" : "") +
                     (c.with_subfolder ? ", subfolder present" : ""));
        const Outcome outcome = Run(c.command, c.kind, k, persistent, c.with_subfolder);
        ASSERT_GE(outcome.injected, 1);
        injected_total += outcome.injected;
        for (const std::string& message : outcome.messages) {
          if (IsWriteKind(c.kind)) {
            EXPECT_NE(message, kBuilt);
            EXPECT_NE(message, kAdded);
          }
        }
        if (IsWriteKind(c.kind)) {
          ExpectOldOrNew(outcome, fault_free.after);
          switch (c.command) {
            case Command::kBuild:
              EXPECT_EQ(outcome.messages, std::vector<std::string>{kBuildSaveFailed});
              break;
            case Command::kAddFavorites:
              EXPECT_EQ(outcome.messages, std::vector<std::string>{kAddFailed});
              break;
            case Command::kImport:
              EXPECT_EQ(outcome.messages, std::vector<std::string>{kImportFailed});
              break;
            case Command::kRank:
              // Storing the places is bookkeeping for the next run's trend icons: the
              // ranking itself is shown whole, and nothing is reported.
              EXPECT_TRUE(outcome.messages.empty());
              EXPECT_EQ(outcome.rows.size(), fault_free.rows.size());
              break;
          }
          ASSERT_EQ(outcome.kinds.size(), outcome.messages.size());
          if (c.command != Command::kRank) {
            for (MessageKind kind : outcome.kinds) EXPECT_EQ(kind, MessageKind::kFailure);
          }
        } else {
          ExpectWellFormed(outcome);
          EXPECT_LE(outcome.messages.size(), 1u);
        }
      }
    }
  }
  RecordProperty("faults_injected", injected_total);
  std::printf("faults injected and survived: %d\n", injected_total);
}

// The commands only read the registry: no registry fault can touch the user's store.
TEST_F(FaultInjectionTest, CommandsNeverWriteTheRegistry) {
  for (const Command command : {Command::kBuild, Command::kRank, Command::kAddFavorites}) {
    SCOPED_TRACE(CommandName(command));
    const Outcome outcome = Run(command, FaultKind::kRegistryWrite, 0, false, false);
    EXPECT_EQ(outcome.calls, 0);
  }
}

// A program folder that takes no writes at all (read-only, or a full disk): the build
// says so and leaves the old catalogue; the ranking still shows its rows.
TEST_F(FaultInjectionTest, ProgramFolderThatTakesNoWrites) {
  Outcome build = Run(Command::kBuild, FaultKind::kWriteProfile, 1, true, false);
  EXPECT_EQ(build.messages, std::vector<std::string>{kBuildSaveFailed});
  EXPECT_EQ(build.after, build.before);

  Outcome rank = Run(Command::kRank, FaultKind::kWriteProfile, 1, true, false);
  EXPECT_TRUE(rank.messages.empty());
  EXPECT_FALSE(rank.rows.empty());
  EXPECT_EQ(rank.after, rank.before);
}

}  // namespace
}  // namespace zorvane
