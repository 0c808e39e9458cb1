// The two sharing commands end to end: the registry store naming a Favorites folder on
// disk, the real platform underneath with a scripted URL cache, a ranking to fill the
// list, and a view that records what the window would show.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/profile_access.h"
#include "platform/forwarding_platform.h"
#include "tests/support/test_support.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;
using testing::RecordingView;
using testing::ScopedEnv;
using testing::TempDir;

constexpr char kSubfolder[] = "Favorites/お気に入りZorvane";
constexpr char kMailPrefix[] = "mailto:ranking@zorvane.example?subject=Webで公開してOKです&body=";

// The real platform with a URL cache the test lays out and a shell that only records.
class ScriptedPlatform final : public ForwardingPlatform {
 public:
  explicit ScriptedPlatform(Platform* target) : ForwardingPlatform(target) {}

  void EnumerateUrlCache(std::uint32_t type_mask,
                         const std::function<bool(const UrlCacheEntry&)>& visit) override {
    if ((type_mask & 0x1) == 0) return;
    for (const auto& [ansi_address, hits] : cache) {
      if (!visit({0x1, ansi_address, hits})) return;
    }
  }
  bool ShellOpen(const std::string& operation, const std::string& file) override {
    shell_requests.emplace_back(operation, file);
    return false;  // as if no mail program were registered: nothing may show
  }

  std::vector<std::pair<std::string, std::uint32_t>> cache;
  std::vector<std::pair<std::string, std::string>> shell_requests;
};

// One favourite: its title, its address and its hit count in the cache.
struct Favourite {
  std::string title;
  std::string address;
  std::uint32_t hits;
};

class Form1ShareTest : public ::testing::Test {
 protected:
  Form1ShareTest()
      : registry_env_("ZORVANE_REGISTRY", (root_.path() / "registry.reg").string()),
        real_(CreateDefaultPlatform()),
        platform_(real_.get()) {
    fs::create_directories(program_dir());
    fs::create_directories(root_.path() / "Favorites");
    root_.Write("registry.reg", testing::RegistryStoreNaming(favorites()));
    form_ = std::make_unique<Form1>(platform_, program_dir(), view_);
    form_->Form_Load();
  }

  std::string program_dir() const { return (root_.path() / "program").string(); }
  std::string favorites() const { return (root_.path() / "Favorites").string(); }
  fs::path subfolder() const { return root_.path() / fs::u8path(kSubfolder); }

  // Catalogues `favourites` (the titles straight into the settings file, so that any
  // text can be a title), fills the cache with them and runs the ranking.
  void Rank(const std::vector<Favourite>& favourites) {
    CatalogueText catalogue;
    const ProgramFiles files{&platform_, program_dir()};
    for (const Favourite& f : favourites) {
      catalogue.AppendRecord(platform_.ToAnsi(f.address));
      ASSERT_TRUE(WriteSetting(files, "ShortcutTitle", f.address, f.title));
      platform_.cache.emplace_back(platform_.ToAnsi(f.address), f.hits);
    }
    root_.Write("program/url.dat", catalogue.FileBytes());
    form_->Command1_Click();
    ASSERT_TRUE(view_.messages.empty());
    ASSERT_EQ(form_->state().list_view1.size(), favourites.size());
  }

  // Every regular file below the test's folder, by path relative to it, with its bytes;
  // the registry store and the program's files left out.
  std::map<std::string, std::string> ShortcutFiles() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root_.path())) {
      if (!entry.is_regular_file()) continue;
      const std::string relative = fs::relative(entry.path(), root_.path()).generic_string();
      if (relative == "registry.reg" || relative.rfind("program/", 0) == 0) continue;
      files[relative] = root_.Read(relative);
    }
    return files;
  }

  void ExpectOnlyMessage(const std::string& text, MessageKind kind) {
    EXPECT_EQ(view_.messages, std::vector<std::string>{text});
    EXPECT_EQ(view_.kinds, std::vector<MessageKind>{kind});
    view_.messages.clear();
    view_.kinds.clear();
  }

  TempDir root_;
  ScopedEnv registry_env_;
  std::unique_ptr<Platform> real_;
  ScriptedPlatform platform_;
  RecordingView view_;
  std::unique_ptr<Form1> form_;
};

std::string ShortcutBytes(const std::string& ansi_address) {
  return "[InternetShortcut]\r\nURL=" + ansi_address + "\r\n";
}

TEST_F(Form1ShareTest, AddsOneShortcutPerRowAndASecondRunLeavesTheSameFiles) {
  Rank({{"天気", "http://tenki.example/天気", 30}, {"News", "http://news.example/", 10}});
  form_->mnuAddFavorite_Click();
  ExpectOnlyMessage("追加されました", MessageKind::kInformation);

  // The title stays UTF-8 in the file name; the content is CP932.
  const std::map<std::string, std::string> expected = {
      {std::string(kSubfolder) + "/天気.url",
       ShortcutBytes("http://tenki.example/\x93\x56\x8b\x43")},
      {std::string(kSubfolder) + "/News.url", ShortcutBytes("http://news.example/")},
  };
  EXPECT_EQ(ShortcutFiles(), expected);

  form_->mnuAddFavorite_Click();
  ExpectOnlyMessage("追加されました", MessageKind::kInformation);
  EXPECT_EQ(ShortcutFiles(), expected);
}

TEST_F(Form1ShareTest, RowsOfTheSameTitleLeaveOneFileWithTheLaterAddress) {
  Rank({{"Same", "http://first.example/", 30}, {"Same", "http://second.example/", 10}});
  form_->mnuAddFavorite_Click();
  ExpectOnlyMessage("追加されました", MessageKind::kInformation);
  EXPECT_EQ(ShortcutFiles(),
            (std::map<std::string, std::string>{
                {std::string(kSubfolder) + "/Same.url", ShortcutBytes("http://second.example/")}}));
}

TEST_F(Form1ShareTest, EmptyListStillCreatesTheSubfolder) {
  form_->mnuAddFavorite_Click();
  ExpectOnlyMessage("追加されました", MessageKind::kInformation);
  EXPECT_TRUE(fs::is_directory(subfolder()));
  EXPECT_TRUE(ShortcutFiles().empty());
}

TEST_F(Form1ShareTest, ExpandsReferencesInTheFavoritesPath) {
  const ScopedEnv base("ZORVANE_SHARE_TEST_BASE", root_.str());
  const std::string separator(1, platform_.PathSeparator());
  root_.Write("registry.reg", testing::RegistryStoreNaming(
                                  "%ZORVANE_SHARE_TEST_BASE%" + separator + "Favorites", true));
  form_->mnuAddFavorite_Click();
  ExpectOnlyMessage("追加されました", MessageKind::kInformation);
  EXPECT_TRUE(fs::is_directory(subfolder()));
}

TEST_F(Form1ShareTest, NoFavoritesPathWritesNothing) {
  root_.Write("registry.reg", testing::RegistryStoreNaming(""));
  Rank({{"A", "http://a.example/", 5}});
  form_->mnuAddFavorite_Click();
  ExpectOnlyMessage("Favoritesフォルダのパス取得に失敗", MessageKind::kFailure);
  EXPECT_FALSE(fs::exists(subfolder()));
  const std::string at_root = std::string(1, platform_.PathSeparator()) + "お気に入りZorvane";
  EXPECT_EQ(platform_.GetFileAttributes(at_root), kInvalidFileAttributes);
}

TEST_F(Form1ShareTest, PlainFileInPlaceOfTheSubfolderIsAFailure) {
  root_.Write(kSubfolder, "a file, not a folder");
  Rank({{"A", "http://a.example/", 5}});
  form_->mnuAddFavorite_Click();
  ExpectOnlyMessage("お気に入りへの追加に失敗", MessageKind::kFailure);
  EXPECT_EQ(root_.Read(kSubfolder), "a file, not a folder");
}

TEST_F(Form1ShareTest, UnwritableSubfolderIsAFailure) {
  fs::create_directories(subfolder());
  fs::permissions(subfolder(), fs::perms::owner_read | fs::perms::owner_exec);
  if (std::ofstream(subfolder() / "probe")) {
    GTEST_SKIP() << "this user writes into read-only folders";
  }
  Rank({{"A", "http://a.example/", 5}});
  form_->mnuAddFavorite_Click();
  ExpectOnlyMessage("お気に入りへの追加に失敗", MessageKind::kFailure);
  EXPECT_TRUE(ShortcutFiles().empty());
}

TEST_F(Form1ShareTest, AShortcutThatCannotBeWrittenIsAFailure) {
  // A folder where one shortcut file should go: no user can replace it with a file.
  fs::create_directories(subfolder() / "B.url");
  Rank({{"A", "http://a.example/", 30},
        {"B", "http://b.example/", 20},
        {"C", "http://c.example/", 10}});
  form_->mnuAddFavorite_Click();
  ExpectOnlyMessage("お気に入りへの追加に失敗", MessageKind::kFailure);
  EXPECT_TRUE(fs::is_directory(subfolder() / "B.url"));
  EXPECT_EQ(ShortcutFiles(),
            (std::map<std::string, std::string>{
                {std::string(kSubfolder) + "/A.url", ShortcutBytes("http://a.example/")},
                {std::string(kSubfolder) + "/C.url", ShortcutBytes("http://c.example/")}}));
}

TEST_F(Form1ShareTest, HostileTitlesNeverLeaveTheSubfolder) {
  Rank({{"../x", "http://1.example/", 50},
        {"a/b", "http://2.example/", 40},
        {"..", "http://3.example/", 30},
        {"../../../../../../../../tmp/zorvane-escape", "http://4.example/", 20},
        {"", "http://5.example/", 10}});
  form_->mnuAddFavorite_Click();
  ExpectOnlyMessage("追加されました", MessageKind::kInformation);
  const std::map<std::string, std::string> files = ShortcutFiles();
  EXPECT_EQ(files.size(), 5u);
  for (const auto& [relative, bytes] : files) {
    SCOPED_TRACE(relative);
    EXPECT_EQ(fs::path(relative).parent_path().generic_string(), kSubfolder);
  }
  EXPECT_EQ(files.at(std::string(kSubfolder) + "/.._x.url"), ShortcutBytes("http://1.example/"));
  EXPECT_EQ(files.at(std::string(kSubfolder) + "/a_b.url"), ShortcutBytes("http://2.example/"));
}

TEST_F(Form1ShareTest, MailRequestOfAnEmptyListIsThePrefix) {
  form_->mnuMailSend_Click();
  ASSERT_EQ(platform_.shell_requests.size(), 1u);
  EXPECT_EQ(platform_.shell_requests[0].first, "open");
  EXPECT_EQ(platform_.shell_requests[0].second, kMailPrefix);
  EXPECT_TRUE(view_.messages.empty());
}

TEST_F(Form1ShareTest, MailRequestHoldsTheRowsInListOrder) {
  Rank({{"Q&A #1", "http://qa.example/?a=1&b=2", 10}, {"天気 予報", "http://tenki.example/", 30}});
  form_->mnuMailSend_Click();
  ASSERT_EQ(platform_.shell_requests.size(), 1u);
  EXPECT_EQ(platform_.shell_requests[0].second,
            std::string(kMailPrefix) + "天気%20予報;75.0%25;http://tenki.example/;30;" +
                "Q%26A%20%231;25.0%25;http://qa.example/%3Fa%3D1%26b%3D2;10;");
  // A shell that took nothing shows nothing.
  EXPECT_TRUE(view_.messages.empty());
}

TEST_F(Form1ShareTest, SharingCommandsWaitForARunningRanking) {
  view_.on_yield = [this] {
    form_->mnuAddFavorite_Click();
    form_->mnuMailSend_Click();
  };
  Rank({{"A", "http://a.example/", 5}});
  EXPECT_FALSE(fs::exists(subfolder()));
  EXPECT_TRUE(platform_.shell_requests.empty());
}

}  // namespace
}  // namespace zorvane
