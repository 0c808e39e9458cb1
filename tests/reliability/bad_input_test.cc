// Hostile and unusual input, end to end through the real platform: each case ends with a
// clear message or a sensible result, never a crash or a hang, and loses nothing that
// was on disk. Every case is bounded by the size of what it makes, not by a clock.
//
// Sections: the window without drawing; the test folder; shortcut contents; folder
// trees; file names; the program folder; the catalogue and the URL cache; the registry
// store.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "catalogue/profile_access.h"
#include "tests/support/fault_injecting_platform.h"
#include "tests/support/test_support.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;
using testing::FaultInjectingPlatform;
using testing::FaultKind;
using testing::ScopedEnv;
using testing::ShortcutBytes;
using testing::TempDir;

constexpr char kBuilt[] = "終了しました";
constexpr char kBuildSaveFailed[] = "お気に入りデータの保存に失敗";
constexpr char kNoFavoritesValue[] = "Favoritesフォルダのパス取得に失敗";
constexpr char kNoFolderList[] = "お気にいりフォルダ一覧の取得に失敗";

// ---- The window without drawing ----------------------------------------------------

// Keeps the messages only: some cases visit a hundred thousand files, and a copy of the
// whole window state per refresh would cost more than the case itself.
class MessageView final : public Form1View {
 public:
  void Refresh(const Form1State&) override {}
  void ShowMessage(const std::string& text, MessageKind) override { messages.push_back(text); }
  void DoEvents() override {}
  void CloseMainWindow() override {}
  void ShowAboutBox() override {}

  std::vector<std::string> messages;
};

// ---- The test folder -----------------------------------------------------------------

class BadInputTest : public ::testing::Test {
 protected:
  BadInputTest()
      : registry_env_("ZORVANE_REGISTRY", (root_.path() / "registry.reg").string()),
        cache_env_("ZORVANE_URL_CACHE", (root_.path() / "cache.txt").string()),
        real_(CreateDefaultPlatform()) {
    fs::create_directories(program_dir());
    fs::create_directories(favorites());
    root_.Write("registry.reg", testing::RegistryStoreNaming(favorites().string()));
    root_.Write("cache.txt", "");
  }

  fs::path program_dir() const { return root_.path() / "program"; }
  fs::path favorites() const { return root_.path() / "Favorites"; }
  std::string UrlDat() const { return root_.Read("program/url.dat"); }
  std::string Settings() const { return root_.Read("program/zorvane.ini"); }
  std::string Title(const std::string& address) {
    return ReadSetting({real_.get(), program_dir().string()}, "ShortcutTitle", address, "<none>");
  }

  // Runs the build, or the build and then the ranking, and gives the messages shown.
  std::vector<std::string> Build(Platform* platform = nullptr) {
    MessageView view;
    Form1 form(platform ? *platform : *real_, program_dir().string(), view);
    form.Form_Load();
    form.Command2_Click();
    return view.messages;
  }
  std::vector<ListViewRow> Rank(std::vector<std::string>* messages = nullptr) {
    MessageView view;
    Form1 form(*real_, program_dir().string(), view);
    form.Form_Load();
    form.Command1_Click();
    if (messages) *messages = view.messages;
    return form.state().list_view1;
  }

  // Whether this process may read and write whatever the permission bits say (root).
  bool PermissionsDoNotBind() const {
    const fs::path probe = root_.Write("probe", "x");
    fs::permissions(probe, fs::perms::none);
    const bool readable = static_cast<bool>(std::ifstream(probe));
    fs::permissions(probe, fs::perms::owner_all);
    fs::remove(probe);
    return readable;
  }

  TempDir root_;
  ScopedEnv registry_env_;
  ScopedEnv cache_env_;
  std::unique_ptr<Platform> real_;
};

// The bytes of a string literal, NUL characters inside it included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

std::size_t Lines(const std::string& bytes) {
  return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

// ---- Shortcut contents ---------------------------------------------------------------

// Addresses that are not valid CP932 and addresses holding NUL are catalogued, never
// dropped: bad bytes come back as the code page's default character, NUL ends the text
// as it ends a C string.
TEST_F(BadInputTest, InvalidCodePageAndNulBytesInShortcuts) {
  const struct {
    const char* name;
    std::string file;
    std::string record;  // the url.dat line, without CR LF
  } cases[] = {
      {"lead_space.url", ShortcutBytes("http://a\x81 b/"),
       "http://a\x81\x45"
       "b/"},
      {"lone_lead.url", ShortcutBytes("http://b/\x81"), "http://b/\x81\x45"},
      {"undefined.url", ShortcutBytes("http://c/\xff\xfd"), "http://c/\xff\xfd"},
      {"nul.url", ShortcutBytes(Bytes("http://d/\0tail")), "http://d/"},
      {"nul_header.url", Bytes("[Internet\0Shortcut]\r\nURL=x\r\n"), ""},
      {"binary.url", std::string(4096, '\0') + "\xff\xfe\x81\r\n", ""},
  };
  for (const auto& c : cases) root_.Write(std::string("Favorites/") + c.name, c.file);

  EXPECT_EQ(Build(), std::vector<std::string>{kBuilt});
  const std::string dat = UrlDat();
  EXPECT_EQ(Lines(dat), std::size(cases) + 1) << dat;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.record.empty()) {
      EXPECT_NE(dat.find(c.record + "\r\n"), std::string::npos) << dat;
    }
  }
}

// A 100 MB shortcut (sparse: a header, a hole, the address at the end) is read whole
// and its address catalogued.
TEST_F(BadInputTest, HundredMegabyteShortcut) {
  const fs::path big = root_.Write("Favorites/big.url", "[InternetShortcut]\r\n");
  fs::resize_file(big, 100u << 20);
  std::ofstream(big, std::ios::binary | std::ios::app) << "\r\nURL=http://far.example/\r\n";
  root_.Write("Favorites/small.url", ShortcutBytes("http://near.example/"));

  EXPECT_EQ(Build(), std::vector<std::string>{kBuilt});
  EXPECT_EQ(UrlDat(), "http://far.example/\r\nhttp://near.example/\r\n\r\n");
  EXPECT_EQ(Title("http://far.example/"), "big");
}

// ---- Folder trees --------------------------------------------------------------------

// 100,000 files in one folder: every shortcut among them is catalogued, in name order.
TEST_F(BadInputTest, HundredThousandFilesInOneFolder) {
  const fs::path crowded = favorites() / "crowded";
  fs::create_directories(crowded);
  constexpr int kFiles = 100000;
  for (int i = 0; i < kFiles; ++i) {
    const bool shortcut = i % 1000 == 0;
    std::ofstream(crowded / ("f" + std::to_string(100000 + i) + (shortcut ? ".url" : ".txt")),
                  std::ios::binary)
        << (shortcut ? ShortcutBytes("http://x.example/" + std::to_string(i)) : "");
  }
  EXPECT_EQ(Build(), std::vector<std::string>{kBuilt});
  const std::string dat = UrlDat();
  EXPECT_EQ(Lines(dat), kFiles / 1000 + 1u);
  EXPECT_EQ(dat.rfind("http://x.example/0\r\nhttp://x.example/1000\r\n", 0), 0u);
}

// A tree 5,000 folders deep: the walk needs no stack per level and ends. Folders whose
// path is longer than the system accepts cannot be opened by name and give nothing, as
// a folder that cannot be listed gives nothing; everything above them is catalogued.
TEST_F(BadInputTest, TreeFiveThousandFoldersDeep) {
  constexpr int kDepth = 5000;
  const fs::path start = fs::current_path();
  fs::current_path(favorites());
  for (int level = 1; level <= kDepth; ++level) {
    fs::create_directory("d");
    fs::current_path("d");
    if (level == 100 || level == kDepth) {
      std::ofstream("s.url", std::ios::binary)
          << ShortcutBytes("http://level" + std::to_string(level) + ".example/");
    }
  }
  fs::current_path(start);

  EXPECT_EQ(Build(), std::vector<std::string>{kBuilt});
  EXPECT_NE(UrlDat().find("http://level100.example/\r\n"), std::string::npos);

  // Removed from the bottom up, one level at a time, below the length limit.
  fs::current_path(favorites());
  for (int level = 1; level < kDepth; ++level) fs::current_path("d");
  for (int level = kDepth; level >= 1; --level) {
    fs::remove_all("d");
    fs::current_path("..");
  }
  fs::current_path(start);
}

// Symbolic links that lead back up the tree or to themselves are not followed: the build
// ends, and each shortcut is catalogued once.
TEST_F(BadInputTest, SymbolicLinkLoops) {
  root_.Write("Favorites/a/one.url", ShortcutBytes("http://one.example/"));
  root_.Write("Favorites/a/b/two.url", ShortcutBytes("http://two.example/"));
  fs::create_directory_symlink(favorites(), favorites() / "a" / "b" / "up");
  fs::create_directory_symlink("../..", favorites() / "a" / "b" / "parent");
  fs::create_symlink("self.url", favorites() / "self.url");  // ELOOP when opened
  fs::create_symlink("missing.url", favorites() / "dangling.url");

  EXPECT_EQ(Build(), std::vector<std::string>{kBuilt});
  const std::string dat = UrlDat();
  EXPECT_EQ(std::count(dat.begin(), dat.end(), '\n'), 5) << dat;  // 2 links, 2 shortcuts
  EXPECT_NE(dat.find("http://one.example/"), std::string::npos);
  EXPECT_EQ(dat.find("http://two.example/"), dat.rfind("http://two.example/"));
}

// Unreadable shortcuts give empty records; unreadable folders give no shortcuts; the build
// still ends normally. Root reads everything, so there the same is checked with the
// platform's reads failing instead.
TEST_F(BadInputTest, UnreadableFilesAndFolders) {
  root_.Write("Favorites/open.url", ShortcutBytes("http://open.example/"));
  root_.Write("Favorites/shut.url", ShortcutBytes("http://shut.example/"));
  root_.Write("Favorites/closed/inside.url", ShortcutBytes("http://inside.example/"));
  if (PermissionsDoNotBind()) {
    FaultInjectingPlatform failing(real_.get());
    failing.Arm(FaultKind::kReadProfile, 2);  // the second shortcut read: shut.url
    EXPECT_EQ(Build(&failing), std::vector<std::string>{kBuilt});
    EXPECT_EQ(UrlDat(), "http://open.example/\r\n\r\nhttp://inside.example/\r\n\r\n");
    EXPECT_EQ(Title(""), "shut");
    // Listings: the root's, for mirrors of an import (1), the walk's of the root (2) and
    // of "closed" (3), then the files of each.
    failing.Arm(FaultKind::kListDirectory, 5);
    EXPECT_EQ(Build(&failing), std::vector<std::string>{kBuilt});
    EXPECT_EQ(UrlDat(), "http://open.example/\r\nhttp://shut.example/\r\n\r\n");
    GTEST_SKIP() << "running as root, where permission bits do not bind: checked with "
                    "failing platform reads instead";
  }
  fs::permissions(favorites() / "shut.url", fs::perms::none);
  fs::permissions(favorites() / "closed", fs::perms::none);
  EXPECT_EQ(Build(), std::vector<std::string>{kBuilt});
  EXPECT_EQ(UrlDat(), "http://open.example/\r\n\r\n\r\n");
  EXPECT_EQ(Title(""), "shut");
}

// ---- File names ----------------------------------------------------------------------

// Names that are not valid in the locale's encoding (UTF-8): the files are still read,
// their addresses catalogued, and their titles stored with "?" for the bad bytes.
TEST_F(BadInputTest, FileNamesInvalidInTheLocaleEncoding) {
  const std::string bad_folder = "\xff\xfe";
  const std::string bad_name = "\x83\x5c\xe9.url";  // CP932 and Latin-1 bytes, not UTF-8
  fs::create_directories(favorites() / bad_folder);
  std::ofstream(favorites() / bad_folder / bad_name, std::ios::binary)
      << ShortcutBytes("http://odd.example/");

  EXPECT_EQ(Build(), std::vector<std::string>{kBuilt});
  EXPECT_EQ(UrlDat(), "http://odd.example/\r\n\r\n");
  const std::string title = Title("http://odd.example/");
  EXPECT_NE(title, "<none>");
  EXPECT_TRUE(title.find('?') != std::string::npos) << title;
}

// ---- The program folder --------------------------------------------------------------

// A program folder that cannot be written: the build says so and loses nothing. Root
// writes into read-only folders, so the same is also made real with names that cannot
// be replaced whatever the permissions: url.dat and the settings file as folders.
TEST_F(BadInputTest, ProgramFolderThatCannotBeWritten) {
  root_.Write("Favorites/a.url", ShortcutBytes("http://a.example/"));
  root_.Write("program/url.dat", "old\r\n\r\n");
  root_.Write("program/zorvane.ini", "[ShortcutTitle]\r\nold=Old\r\n");
  if (!PermissionsDoNotBind()) {
    fs::permissions(program_dir(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(Build(), std::vector<std::string>{kBuildSaveFailed});
    fs::permissions(program_dir(), fs::perms::owner_all);
    EXPECT_EQ(UrlDat(), "old\r\n\r\n");
    EXPECT_EQ(Settings(), "[ShortcutTitle]\r\nold=Old\r\n");
  }

  // Settings file is a folder: no title can be stored, url.dat stays as it was.
  fs::remove(program_dir() / "zorvane.ini");
  fs::create_directory(program_dir() / "zorvane.ini");
  EXPECT_EQ(Build(), std::vector<std::string>{kBuildSaveFailed});
  EXPECT_EQ(UrlDat(), "old\r\n\r\n");

  // url.dat is a folder: titles are stored, the catalogue cannot be, and that is said.
  fs::remove(program_dir() / "zorvane.ini");
  fs::remove(program_dir() / "url.dat");
  fs::create_directory(program_dir() / "url.dat");
  EXPECT_EQ(Build(), std::vector<std::string>{kBuildSaveFailed});
  EXPECT_TRUE(fs::is_directory(program_dir() / "url.dat"));
  EXPECT_EQ(Title("http://a.example/"), "a");

  // The program folder itself is a file.
  fs::remove_all(program_dir());
  root_.Write("program", "not a folder");
  EXPECT_EQ(Build(), std::vector<std::string>{kBuildSaveFailed});
  EXPECT_EQ(root_.Read("program"), "not a folder");
}

// A settings file full of garbage (binary, NUL, overlong lines, stray brackets) keeps
// every byte of it; the titles are added in their own section.
TEST_F(BadInputTest, GarbageSettingsFileKeepsItsBytes) {
  const std::string garbage = Bytes("\xff\xfe\x00junk\r\n[unclosed\r\n=\r\n;;\r\n") +
                              std::string(200000, 'z') + "\r\n\x81\r\n[ShortcutTitle\r\n";
  root_.Write("program/zorvane.ini", garbage);
  root_.Write("Favorites/a.url", ShortcutBytes("http://a.example/"));
  EXPECT_EQ(Build(), std::vector<std::string>{kBuilt});
  const std::string settings = Settings();
  EXPECT_EQ(settings.rfind(garbage, 0), 0u) << "the old lines are kept byte for byte";
  EXPECT_EQ(Title("http://a.example/"), "a");
}

// ---- The catalogue and the URL cache -------------------------------------------------

// A url.dat of 50 MB: the ranking reads it whole and finds a favourite at its very end.
TEST_F(BadInputTest, FiftyMegabyteCatalogue) {
  std::string dat;
  dat.reserve(51u << 20);
  for (int i = 0; dat.size() < (50u << 20); ++i) {
    dat += "http://filler.example/" + std::to_string(i) + "/padding-padding-padding\r\n";
  }
  dat += "http://last.example/\r\n\r\n";
  root_.Write("program/url.dat", dat);
  root_.Write("cache.txt", "1\t9\thttp://last.example/\n1\t1\thttp://filler.example/0/\n");
  std::vector<std::string> messages;
  const std::vector<ListViewRow> rows = Rank(&messages);
  EXPECT_TRUE(messages.empty());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].address, "http://last.example/");
  EXPECT_EQ(rows[0].rate, "90.0%");
}

// url.dat and the cache with bytes that are no text at all: the ranking shows what
// matches and nothing else.
TEST_F(BadInputTest, GarbageCatalogueAndCache) {
  root_.Write("program/url.dat",
              Bytes("\x00\xff\x81\r\n\r\r\n\n\"unterminated\r\nhttp://ok.example/\r\n"));
  // A cache list may hold no NUL near its start (that makes it no cache list at all).
  root_.Write("cache.txt", Bytes("\x01\x02\xff\n0xZZ\t1\tx\n1\t-5\thttp://ok.example/\n"
                                 "1\t99999999999999999999\thttp://ok.example/\n\t\t\n"));
  std::vector<std::string> messages;
  const std::vector<ListViewRow> rows = Rank(&messages);
  EXPECT_TRUE(messages.empty());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].hits, "2147483647");
}

// ---- The registry store --------------------------------------------------------------

// Garbage lines around the Favorites value are skipped and the value is found; a store
// that is garbage through and through answers like a fresh profile. Reading never
// rewrites the store, so nothing of it is lost.
TEST_F(BadInputTest, RegistryStoreWithGarbageLines) {
  root_.Write("Favorites/a.url", ShortcutBytes("http://a.example/"));
  const std::string store =
      "Windows Registry Editor Version 5.00\r\n\r\ngarbage line\r\n\"orphan\"=\"x\"\r\n"
      "[HKEY_NOWHERE\\x]\r\n\"a\"=hex:zz,\r\n\"b\"=dword:nothex\r\n[unclosed\r\n" +
      testing::RegistryStoreNaming(favorites().string()).substr(40) + Bytes("\xff\xfe\x00\x81\r\n");
  root_.Write("registry.reg", store);
  // A platform made after the store is written, as a program start would be.
  real_ = CreateDefaultPlatform();
  EXPECT_EQ(Build(), std::vector<std::string>{kBuilt});
  EXPECT_EQ(UrlDat(), "http://a.example/\r\n\r\n");
  EXPECT_EQ(root_.Read("registry.reg"), store);

  const std::string noise = Bytes("\x00\x01\xff garbage [ ] = \" \\\r\n\r\n\x81");
  root_.Write("registry.reg", noise);
  real_ = CreateDefaultPlatform();
  const std::vector<std::string> messages = Build();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0] == kNoFolderList || messages[0] == kNoFavoritesValue ||
              messages[0] == kBuilt)
      << messages[0];
  EXPECT_EQ(root_.Read("registry.reg"), noise);
}

}  // namespace
}  // namespace zorvane
