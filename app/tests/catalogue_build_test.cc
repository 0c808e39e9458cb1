// The catalogue build end to end: a Favorites folder on disk, the registry store naming
// it, the real platform, and a view that records what the window would show.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "catalogue/profile_access.h"
#include "tests/support/test_support.h"

namespace zorvane {
namespace {

using testing::RecordingView;
using testing::ScopedEnv;
using testing::ShortcutBytes;
using testing::TempDir;

class CatalogueBuildTest : public ::testing::Test {
 protected:
  CatalogueBuildTest()
      : registry_env_("ZORVANE_REGISTRY", (root_.path() / "registry.reg").string()),
        platform_(CreateDefaultPlatform()) {
    std::filesystem::create_directories(program_dir());
    NameFavorites(favorites());
  }

  std::string program_dir() const { return (root_.path() / "program").string(); }
  std::string favorites() const { return (root_.path() / "Favorites").string(); }
  void NameFavorites(const std::string& path, bool expandable = false) {
    root_.Write("registry.reg", testing::RegistryStoreNaming(path, expandable));
  }
  void AddShortcut(const std::string& relative, const std::string& ansi_url) {
    root_.Write("Favorites/" + relative, ShortcutBytes(ansi_url));
  }
  std::string UrlDat() const { return root_.Read("program/url.dat"); }
  std::string Title(const std::string& address) {
    return ReadSetting({platform_.get(), program_dir()}, "ShortcutTitle", address, "<none>");
  }
  // Runs one build on a fresh window and returns its view.
  std::unique_ptr<RecordingView> Build() {
    auto view = std::make_unique<RecordingView>();
    form_ = std::make_unique<Form1>(*platform_, program_dir(), *view);
    form_->Form_Load();
    form_->Command2_Click();
    return view;
  }

  TempDir root_;
  ScopedEnv registry_env_;
  std::unique_ptr<Platform> platform_;
  std::unique_ptr<Form1> form_;
};

TEST_F(CatalogueBuildTest, CataloguesShortcutsInWalkAndListingOrder) {
  AddShortcut("b.url", "http://b.example/");
  AddShortcut("A.url", "http://a.example/");
  AddShortcut("Upper.URL", "http://upper.example/");            // not "url" in lower case
  AddShortcut("myurl", "http://m.example/");                    // no dot needed; title "m"
  AddShortcut(".hidden.url", "http://hidden.example/");         // hidden files are skipped
  AddShortcut(".folder/inside.url", "http://inside.example/");  // hidden folders are walked
  AddShortcut("News/日本語.url", "http://\x93\xfa\x96\x7b.example/");
  root_.Write("Favorites/empty.url", "[Other]\r\nURL=http://no.example/\r\n");
  root_.Write("Favorites/notes.txt", "not a shortcut");

  auto view = Build();
  EXPECT_EQ(view->messages, std::vector<std::string>{"終了しました"});
  EXPECT_EQ(view->kinds, std::vector<MessageKind>{MessageKind::kInformation});

  // Root first (A.url, b.url, empty.url, myurl by name without regard to case), then
  // each subfolder; the order of sibling folders is the system's, so compare as sets.
  const std::string dat = UrlDat();
  EXPECT_EQ(dat.rfind("http://a.example/\r\nhttp://b.example/\r\n\r\nhttp://m.example/\r\n", 0), 0u)
      << dat;
  EXPECT_NE(dat.find("http://inside.example/\r\n"), std::string::npos);
  EXPECT_NE(dat.find("http://\x93\xfa\x96\x7b.example/\r\n"), std::string::npos);
  EXPECT_EQ(dat.find("upper"), std::string::npos);
  EXPECT_EQ(dat.find("hidden.example"), std::string::npos);
  EXPECT_EQ(dat.substr(dat.size() - 4), "\r\n\r\n");
  EXPECT_EQ(std::count(dat.begin(), dat.end(), '\n'), 7);

  EXPECT_EQ(Title("http://a.example/"), "A");
  EXPECT_EQ(Title("http://m.example/"), "m");
  EXPECT_EQ(Title("http://日本.example/"), "日本語");
  EXPECT_EQ(Title(""), "empty");

  const Form1State& state = form_->state();
  EXPECT_EQ(state.label1, "お気に入りデータ作成中...");
  EXPECT_FALSE(state.pbar_visible);
  ASSERT_EQ(state.list1.size(), 3u);
  EXPECT_EQ(state.list1[0], favorites());
}

TEST_F(CatalogueBuildTest, EmptyTreeWritesOnlyTheClosingLine) {
  std::filesystem::create_directories(favorites());
  auto view = Build();
  EXPECT_EQ(view->messages, std::vector<std::string>{"終了しました"});
  EXPECT_EQ(UrlDat(), "\r\n");
}

TEST_F(CatalogueBuildTest, KeepsWholeAddressesAndDuplicates) {
  const std::string long_address = "http://long.example/" + std::string(3000, 'x');
  AddShortcut("a.url", "http://same.example/");
  AddShortcut("b.url", "http://same.example/");
  AddShortcut("c.url", long_address);
  // One outer pair of quotes is taken off by the profile read; inner ones stay.
  AddShortcut("d.url", "say \"quoted\", with comma");
  Build();
  EXPECT_EQ(UrlDat(), "http://same.example/\r\nhttp://same.example/\r\n" + long_address +
                          "\r\nsay \"quoted\", with comma\r\n\r\n");
  EXPECT_EQ(Title("http://same.example/"), "b");  // the later shortcut's title
}

TEST_F(CatalogueBuildTest, ReportsAMissingFavoritesValue) {
  NameFavorites("");
  root_.Write("program/url.dat", "old\r\n\r\n");
  auto view = Build();
  EXPECT_EQ(view->messages, std::vector<std::string>{"Favoritesフォルダのパス取得に失敗"});
  EXPECT_EQ(view->kinds, std::vector<MessageKind>{MessageKind::kFailure});
  EXPECT_EQ(UrlDat(), "old\r\n\r\n");
  EXPECT_FALSE(form_->state().pbar_visible);
}

TEST_F(CatalogueBuildTest, ReportsAFavoritesFolderThatDoesNotExist) {
  root_.Write("program/url.dat", "old\r\n\r\n");
  auto view = Build();
  EXPECT_EQ(view->messages, std::vector<std::string>{"お気にいりフォルダ一覧の取得に失敗"});
  EXPECT_EQ(UrlDat(), "old\r\n\r\n");
  EXPECT_TRUE(form_->state().list1.empty());
  for (const Form1State& state : view->refreshes) EXPECT_FALSE(state.pbar_visible);
}

TEST_F(CatalogueBuildTest, ExpandsEnvironmentReferencesInTheFavoritesPath) {
  ScopedEnv env("ZORVANE_TEST_ROOT", root_.str());
  NameFavorites("%ZORVANE_TEST_ROOT%/Favorites", /*expandable=*/true);
  AddShortcut("a.url", "http://a.example/");
  auto view = Build();
  EXPECT_EQ(view->messages, std::vector<std::string>{"終了しました"});
  EXPECT_EQ(UrlDat(), "http://a.example/\r\n\r\n");
}

// A title entry keyed by such an address would be a comment or a section header in the
// settings file and could never be read back: only that entry is left out.
TEST_F(CatalogueBuildTest, AnAddressThatCannotKeyATitleCostsOnlyItsTitle) {
  AddShortcut("a.url", "http://a.example/");
  AddShortcut("b.url", "  ;odd");
  AddShortcut("c.url", "[odd]");
  AddShortcut("d.url", "http://d.example/");
  auto view = Build();
  EXPECT_EQ(view->messages, std::vector<std::string>{"終了しました"});
  EXPECT_EQ(view->kinds, std::vector<MessageKind>{MessageKind::kInformation});
  EXPECT_EQ(UrlDat(), "http://a.example/\r\n;odd\r\n[odd]\r\nhttp://d.example/\r\n\r\n");
  EXPECT_EQ(Title("http://a.example/"), "a");
  EXPECT_EQ(Title("http://d.example/"), "d");
  EXPECT_EQ(root_.Read("program/zorvane.ini").find("odd"), std::string::npos);
}

TEST_F(CatalogueBuildTest, FailedSaveKeepsTheOldCatalogueAndSaysSo) {
  AddShortcut("a.url", "http://a.example/");
  // A folder where url.dat should be: the file cannot be replaced.
  std::filesystem::create_directories(root_.path() / "program" / "url.dat");
  auto view = Build();
  EXPECT_EQ(view->messages, std::vector<std::string>{"お気に入りデータの保存に失敗"});
  EXPECT_EQ(view->kinds, std::vector<MessageKind>{MessageKind::kFailure});
  EXPECT_FALSE(form_->state().pbar_visible);
  EXPECT_TRUE(std::filesystem::is_directory(root_.path() / "program" / "url.dat"));
}

TEST_F(CatalogueBuildTest, ProgressCountsEveryListedFileAndNeverPassesItsMaximum) {
  for (int i = 0; i < 5; ++i) root_.Write("Favorites/f" + std::to_string(i) + ".txt", "x");
  AddShortcut("s.url", "http://s.example/");
  auto view = Build();
  double last = -1;
  bool shown = false;
  for (const Form1State& state : view->refreshes) {
    if (!state.pbar_visible || state.pbar_value == 0) continue;  // 0: still listing
    shown = true;
    EXPECT_EQ(state.pbar_max, 6);
    EXPECT_LE(state.pbar_value, state.pbar_max);
    EXPECT_GE(state.pbar_value, last);
    last = state.pbar_value;
  }
  EXPECT_TRUE(shown);
  EXPECT_GE(view->yield_count, 6);  // at least once per listed file
}

// A folder of other files moves the bar too: the window is repainted as the value
// changes, at most once per 50 ms, not only after a shortcut.
TEST_F(CatalogueBuildTest, ProgressIsRepaintedAsItMovesAtMostEvery50Ms) {
  for (int i = 0; i < 20; ++i) root_.Write("Favorites/f" + std::to_string(i) + ".txt", "x");
  const auto painted_values = [](const RecordingView& view) {
    std::vector<double> values;
    for (const Form1State& state : view.refreshes) {
      if (state.pbar_visible && state.pbar_value > 0) values.push_back(state.pbar_value);
    }
    return values;
  };
  // A clock that moves 60 ms at every look repaints every change.
  auto now = std::chrono::steady_clock::time_point();
  auto view = std::make_unique<RecordingView>();
  form_ = std::make_unique<Form1>(*platform_, program_dir(), *view);
  form_->set_clock([&now] { return now += std::chrono::milliseconds(60); });
  form_->Form_Load();
  form_->Command2_Click();
  std::vector<double> every(20);
  for (int i = 0; i < 20; ++i) every[static_cast<std::size_t>(i)] = i + 1;
  EXPECT_EQ(painted_values(*view), every);

  // One that moves 10 ms repaints every fifth change.
  view = std::make_unique<RecordingView>();
  form_ = std::make_unique<Form1>(*platform_, program_dir(), *view);
  form_->set_clock([&now] { return now += std::chrono::milliseconds(10); });
  form_->Form_Load();
  form_->Command2_Click();
  const std::vector<double> some = painted_values(*view);
  ASSERT_GE(some.size(), 3u);
  ASSERT_LE(some.size(), 6u);
  for (std::size_t i = 1; i < some.size(); ++i) EXPECT_GE(some[i] - some[i - 1], 4);
}

// The folders are listed before the first file is visited; on a large tree that takes a
// while, so the progress display is shown first and the window breathes between folders.
TEST_F(CatalogueBuildTest, ShowsTheProgressDisplayWhileListingTheFolders) {
  for (const char* folder : {"a", "b", "c"}) AddShortcut(std::string(folder) + "/s.url", "u");
  auto view = std::make_unique<RecordingView>();
  Form1 form(*platform_, program_dir(), *view);
  form.Form_Load();
  std::vector<Form1State> at_yield;
  std::vector<std::size_t> refreshes_at_yield;
  view->on_yield = [&] {
    at_yield.push_back(form.state());
    refreshes_at_yield.push_back(view->refreshes.size());
  };
  form.Command2_Click();
  // Yields before the first file is counted: one per folder listed (the root and three).
  std::size_t listing_yields = 0;
  while (listing_yields < at_yield.size() && at_yield[listing_yields].pbar_value == 0) {
    ++listing_yields;
  }
  EXPECT_GE(listing_yields, 4u);
  ASSERT_FALSE(at_yield.empty());
  ASSERT_GE(refreshes_at_yield[0], 1u);
  const Form1State& shown = view->refreshes[refreshes_at_yield[0] - 1];
  EXPECT_TRUE(shown.pbar_visible);
  EXPECT_EQ(shown.label1, "お気に入りデータ作成中...");
}

TEST_F(CatalogueBuildTest, IgnoresASecondCommandWhileRunning) {
  AddShortcut("a.url", "http://a.example/");
  AddShortcut("b.url", "http://b.example/");
  auto view = std::make_unique<RecordingView>();
  Form1 form(*platform_, program_dir(), *view);
  form.Form_Load();
  int reentries = 0;
  view->on_yield = [&] {
    ++reentries;
    form.Command2_Click();
    form.mnuFromFavotie_Click();
  };
  form.Command2_Click();
  EXPECT_GT(reentries, 0);
  EXPECT_EQ(view->messages, std::vector<std::string>{"終了しました"});
  EXPECT_EQ(UrlDat(), "http://a.example/\r\nhttp://b.example/\r\n\r\n");
}

TEST_F(CatalogueBuildTest, DoesNotFollowLinksToFolders) {
  AddShortcut("a.url", "http://a.example/");
  std::filesystem::create_directory_symlink(favorites(), root_.path() / "Favorites" / "loop");
  auto view = Build();
  EXPECT_EQ(view->messages, std::vector<std::string>{"終了しました"});
  EXPECT_EQ(UrlDat(), "http://a.example/\r\n\r\n");
}

// A mirror that an import is still writing or removing (or was killed doing so) is no
// favourite; a folder of a like name that is not the import's is.
TEST_F(CatalogueBuildTest, LeavesOutTheFoldersAnImportIsWriting) {
  AddShortcut(".zorvane-new-0badf00d/half.url", "http://half.example/");
  AddShortcut(".zorvane-new-0c0ffee0.old/old.url", "http://old.example/");
  AddShortcut(".zorvane-new-mine/mine.url", "http://mine.example/");
  auto view = Build();
  EXPECT_EQ(UrlDat(), "http://mine.example/\r\n\r\n");
}

// The build waits while an import holds the Favorites folder, saying so.
TEST_F(CatalogueBuildTest, WaitsForAnImportToEnd) {
  AddShortcut("a.url", "http://a.example/");
  std::unique_ptr<Platform::FileLock> import;
  ASSERT_EQ(platform_->TryLockFile(favorites() + "/.zorvane-lock", Platform::LockMode::kExclusive,
                                   true, &import),
            Platform::LockResult::kLocked);
  RecordingView view;
  view.on_yield = [&] { import.reset(); };
  Form1 form(*platform_, program_dir(), view);
  form.Form_Load();
  form.Command2_Click();
  EXPECT_EQ(view.messages, std::vector<std::string>{"終了しました"});
  EXPECT_TRUE(std::any_of(view.refreshes.begin(), view.refreshes.end(), [](const Form1State& s) {
    return s.label1 == "お気に入りフォルダを使う他の処理の終了を待っています...";
  }));
  EXPECT_EQ(UrlDat(), "http://a.example/\r\n\r\n");
}

TEST_F(CatalogueBuildTest, MenuCommandRunsTheSameBuild) {
  AddShortcut("a.url", "http://a.example/");
  RecordingView view;
  Form1 form(*platform_, program_dir(), view);
  form.Form_Load();
  form.mnuFromFavotie_Click();
  EXPECT_EQ(view.messages, std::vector<std::string>{"終了しました"});
  EXPECT_EQ(UrlDat(), "http://a.example/\r\n\r\n");
}

}  // namespace
}  // namespace zorvane
