// The two sharing commands end to end on the memory platform: the registry store naming
// the Favorites folder, a URL cache, a ranking to fill the list, and a view that records
// what the window would show. What the shortcut files hold in each case is the share
// layer's test; here the commands reach it and report what it did.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/profile_access.h"
#include "platform/memory/memory_platform.h"
#include "tests/support/test_support.h"

namespace zorvane {
namespace {

using testing::RecordingView;

constexpr char kFavorites[] = "/home/user/Favorites";
constexpr char kSubfolder[] = "/home/user/Favorites/お気に入りZorvane";
constexpr char kProgramDir[] = "/program";
constexpr char kMailPrefix[] = "mailto:ranking@zorvane.example?subject=Webで公開してOKです&body=";

// One favourite: its title, its address and its hit count in the cache.
struct Favourite {
  std::string title;
  std::string address;
  std::uint32_t hits;
};

class Form1ShareTest : public ::testing::Test {
 protected:
  Form1ShareTest() {
    platform_.AddFolder(kProgramDir);
    platform_.AddFolder(kFavorites);     // the fresh registry names it
    platform_.set_shell_accepts(false);  // as if no mail program were registered
    form_ = std::make_unique<Form1>(platform_, kProgramDir, view_);
    form_->Form_Load();
  }

  // Catalogues `favourites` (the titles straight into the settings file, so that any
  // text can be a title), fills the cache with them and runs the ranking.
  void Rank(const std::vector<Favourite>& favourites) {
    CatalogueText catalogue;
    const ProgramFiles files{&platform_, kProgramDir};
    for (const Favourite& f : favourites) {
      catalogue.AppendRecord(platform_.ToAnsi(f.address));
      ASSERT_TRUE(WriteSetting(files, "ShortcutTitle", f.address, f.title));
      platform_.url_cache().push_back({0x1, platform_.ToAnsi(f.address), f.hits});
    }
    platform_.AddFile(std::string(kProgramDir) + "/url.dat", catalogue.FileBytes());
    form_->Command1_Click();
    ASSERT_TRUE(view_.messages.empty());
    ASSERT_EQ(form_->state().list_view1.size(), favourites.size());
  }

  // Every file below the Favorites folder, by its name in the subfolder, with its bytes.
  std::map<std::string, std::string> ShortcutFiles() const {
    std::map<std::string, std::string> files;
    for (const std::string& path : platform_.ListTree(kFavorites)) {
      if (const auto bytes = platform_.FileBytes(path)) {
        files[path.substr(std::string(kSubfolder).size() + 1)] = *bytes;
      }
    }
    return files;
  }

  void ExpectOnlyMessage(const std::string& text, MessageKind kind) {
    EXPECT_EQ(view_.messages, std::vector<std::string>{text});
    EXPECT_EQ(view_.kinds, std::vector<MessageKind>{kind});
    view_.messages.clear();
    view_.kinds.clear();
  }

  MemoryPlatform platform_;
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
      {"天気.url", ShortcutBytes("http://tenki.example/\x93\x56\x8b\x43")},
      {"News.url", ShortcutBytes("http://news.example/")},
  };
  EXPECT_EQ(ShortcutFiles(), expected);

  form_->mnuAddFavorite_Click();
  ExpectOnlyMessage("追加されました", MessageKind::kInformation);
  EXPECT_EQ(ShortcutFiles(), expected);
}

TEST_F(Form1ShareTest, ExpandsReferencesInTheFavoritesPath) {
  platform_.SetEnvironmentVariable("SHARE_BASE", "/home/user");
  platform_.registry_store() = testing::RegistryStoreNaming("%SHARE_BASE%/Favorites", true);
  form_->mnuAddFavorite_Click();
  ExpectOnlyMessage("追加されました", MessageKind::kInformation);
  EXPECT_EQ(platform_.GetFileAttributes(kSubfolder), kFileAttributeDirectory);
}

TEST_F(Form1ShareTest, NoFavoritesPathWritesNothing) {
  platform_.registry_store() = testing::RegistryStoreNaming("");
  Rank({{"A", "http://a.example/", 5}});
  const std::vector<std::string> before = platform_.ListTree();
  form_->mnuAddFavorite_Click();
  ExpectOnlyMessage("Favoritesフォルダのパス取得に失敗", MessageKind::kFailure);
  EXPECT_EQ(platform_.ListTree(), before);
}

TEST_F(Form1ShareTest, AShortcutThatCannotBeWrittenIsAFailure) {
  // A folder where one shortcut file should go: it cannot be replaced with a file.
  platform_.AddFolder(std::string(kSubfolder) + "/B.url");
  Rank({{"A", "http://a.example/", 30},
        {"B", "http://b.example/", 20},
        {"C", "http://c.example/", 10}});
  form_->mnuAddFavorite_Click();
  ExpectOnlyMessage("お気に入りへの追加に失敗", MessageKind::kFailure);
  EXPECT_EQ(ShortcutFiles(),
            (std::map<std::string, std::string>{{"A.url", ShortcutBytes("http://a.example/")},
                                                {"C.url", ShortcutBytes("http://c.example/")}}));
}

TEST_F(Form1ShareTest, MailRequestOfAnEmptyListIsThePrefix) {
  form_->mnuMailSend_Click();
  ASSERT_EQ(platform_.shell_requests().size(), 1u);
  EXPECT_EQ(platform_.shell_requests()[0].first, "open");
  EXPECT_EQ(platform_.shell_requests()[0].second, kMailPrefix);
  EXPECT_TRUE(view_.messages.empty());
}

TEST_F(Form1ShareTest, MailRequestHoldsTheRowsInListOrder) {
  Rank({{"Q&A #1", "http://qa.example/?a=1&b=2", 10}, {"天気 予報", "http://tenki.example/", 30}});
  form_->mnuMailSend_Click();
  ASSERT_EQ(platform_.shell_requests().size(), 1u);
  EXPECT_EQ(platform_.shell_requests()[0].second,
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
  EXPECT_FALSE(platform_.Exists(kSubfolder));
  EXPECT_TRUE(platform_.shell_requests().empty());
}

}  // namespace
}  // namespace zorvane
