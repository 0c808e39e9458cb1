// The ranking command end to end: url.dat, the settings file and the URL cache on the
// memory platform (and once on the real one, with index files Wine wrote), and a view
// that records what the window would show.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "catalogue/profile_access.h"
#include "platform/forwarding_platform.h"
#include "platform/memory/memory_platform.h"
#include "tests/support/test_support.h"

namespace zorvane {
namespace {

using testing::RecordingView;
using testing::ScopedEnv;
using testing::TempDir;

constexpr char kNoCatalogue[] = "まず、お気に入りデータを作成してください";

// The memory platform, counting scans; a hook runs during the scan.
class ScanHookPlatform final : public ForwardingPlatform {
 public:
  explicit ScanHookPlatform(Platform* target) : ForwardingPlatform(target) {}
  void EnumerateUrlCache(std::uint32_t type_mask,
                         const std::function<bool(const UrlCacheEntry&)>& visit) override {
    ++scans;
    if (during_scan) during_scan();
    ForwardingPlatform::EnumerateUrlCache(type_mask, visit);
  }
  std::function<void()> during_scan;
  int scans = 0;
};

// One result row as the command-line driver prints it.
std::string Line(const ListViewRow& row) {
  return std::to_string(row.small_icon) + "|" + row.title + "|" + row.rate + "|" + row.address +
         "|" + row.hits;
}

std::vector<std::string> Lines(const std::vector<ListViewRow>& rows) {
  std::vector<std::string> lines;
  for (const ListViewRow& row : rows) lines.push_back(Line(row));
  return lines;
}

constexpr char kProgramDir[] = "/program";
constexpr char kCatalogue[] = "/program/url.dat";

class RankingCommandTest : public ::testing::Test {
 protected:
  RankingCommandTest() { memory_.AddFolder(kProgramDir); }

  std::string program_dir() const { return kProgramDir; }
  ProgramFiles files() { return {&platform_, program_dir()}; }
  void WriteCatalogue(const std::string& ansi_bytes) { memory_.AddFile(kCatalogue, ansi_bytes); }
  std::vector<MemoryCacheEntry>& cache() { return memory_.url_cache(); }
  void SetTitle(const std::string& address, const std::string& title) {
    ASSERT_TRUE(WriteSetting(files(), "ShortcutTitle", address, title));
  }
  std::string StoredPlace(const std::string& title) {
    return ReadSetting(files(), "RANK", title, "<none>");
  }
  // Runs the ranking on the window, creating and loading it on first use.
  void Rank() {
    if (!form_) {
      form_ = std::make_unique<Form1>(platform_, program_dir(), view_);
      form_->Form_Load();
    }
    form_->Command1_Click();
  }

  MemoryPlatform memory_;
  ScanHookPlatform platform_{&memory_};
  RecordingView view_;
  std::unique_ptr<Form1> form_;
};

TEST_F(RankingCommandTest, MissingCatalogueShowsTheMessageAndChangesNothing) {
  cache() = {{0x1, "http://a/", 5}};
  Rank();
  const std::size_t refreshes = view_.refreshes.size();
  EXPECT_EQ(view_.messages, std::vector<std::string>{kNoCatalogue});
  EXPECT_EQ(view_.kinds, std::vector<MessageKind>{MessageKind::kFailure});
  EXPECT_EQ(form_->state().label1, "");
  EXPECT_TRUE(form_->state().list_view1_visible);
  EXPECT_EQ(platform_.scans, 0);

  // A folder of that name is no catalogue either.
  memory_.AddFolder(kCatalogue);
  Rank();
  EXPECT_EQ(view_.messages.size(), 2u);
  EXPECT_EQ(view_.refreshes.size(), refreshes);
  EXPECT_EQ(platform_.scans, 0);
}

TEST_F(RankingCommandTest, RanksFavouritesByHits) {
  WriteCatalogue(
      "http://fav.example/\r\n"
      "http://jp.example/\x93\xfa\x96\x7b\r\n"  // "日本" in code page 932
      "http://comma.example/?a=1,2\r\n"
      "http://single.example/\r\n"
      "\r\n");
  SetTitle("http://fav.example/", "Fav");
  SetTitle("http://jp.example/日本", "日本のページ");
  SetTitle("http://comma.example/?a=1,2", "Comma");
  cache() = {
      {0x1, "http://fav.example/", 10},
      {0x1, "http://other.example/", 960},  // not a favourite
      {0x1, "http://jp.example/\x93\xfa\x96\x7b", 20},
      {0x1, "http://comma.example/?a=1,2", 5},
      {0x1, "http://single.example/", 1},             // a single hit
      {0x1, "Cookie:user@fav.example/", 500},         // never scanned
      {0x8, "http://fav.example/", 500},              // another type
      {0x1, "Visited: user@http://fav.example/", 4},  // history
      {0x1, "http://FAV.example/", 7},                // letter case differs
  };
  Rank();
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_EQ(form_->state().label1, "7個のファイルを検出");
  EXPECT_TRUE(form_->state().list_view1_visible);
  // Total 1,007 over every scanned row.
  EXPECT_EQ(Lines(form_->state().list_view1),
            (std::vector<std::string>{"3|日本のページ|2.0%|http://jp.example/日本|20",
                                      "3|Fav|1.0%|http://fav.example/|10",
                                      "2|Comma|0.5%|http://comma.example/?a=1,2|5"}));
  EXPECT_EQ(StoredPlace("日本のページ"), "1");
  EXPECT_EQ(StoredPlace("Fav"), "2");
  EXPECT_EQ(StoredPlace("Comma"), "3");

  // Second run: Comma climbs to the top, the others move down one place.
  cache().push_back({0x1, "http://comma.example/?a=1,2", 100});
  Rank();
  EXPECT_EQ(form_->state().label1, "8個のファイルを検出");
  EXPECT_EQ(Lines(form_->state().list_view1),
            (std::vector<std::string>{"3|Comma|9.0%|http://comma.example/?a=1,2|100",
                                      "1|日本のページ|1.8%|http://jp.example/日本|20",
                                      "1|Fav|0.9%|http://fav.example/|10",
                                      "1|Comma|0.5%|http://comma.example/?a=1,2|5"}));
  // The lower of two rows with the same title keeps its place.
  EXPECT_EQ(StoredPlace("Comma"), "4");
}

TEST_F(RankingCommandTest, PaintsTheLabelBeforeTheScanAndHidesTheList) {
  WriteCatalogue("http://a/\r\n\r\n");
  cache() = {{0x1, "http://a/", 3}, {0x1, "http://b/", 2}};
  Rank();  // the previous ranking, on screen when the next one starts
  ASSERT_FALSE(form_->state().list_view1.empty());
  const int yields_before = view_.yield_count;
  std::vector<Form1State> at_scan, at_yield;
  platform_.during_scan = [&] { at_scan.push_back(view_.refreshes.back()); };
  view_.on_yield = [&] { at_yield.push_back(form_->state()); };
  form_->Command1_Click();
  // What the window shows during the scan: the label, and no old ranking.
  ASSERT_EQ(at_scan.size(), 1u);
  EXPECT_EQ(at_scan[0].label1, "調査中 ...");
  EXPECT_TRUE(at_scan[0].list_view1.empty());
  EXPECT_FALSE(at_scan[0].list_view1_visible);
  ASSERT_EQ(at_yield.size(), 1u);
  EXPECT_EQ(view_.yield_count - yields_before, 1);
  EXPECT_FALSE(at_yield[0].list_view1_visible);
  EXPECT_EQ(at_yield[0].label1, "2個のファイルを検出");
  EXPECT_FALSE(view_.refreshes.back().list_view1.empty());
  EXPECT_TRUE(view_.refreshes.back().list_view1_visible);
}

TEST_F(RankingCommandTest, SecondStartWhileYieldingIsIgnored) {
  WriteCatalogue("http://a/\r\n\r\n");
  cache() = {{0x1, "http://a/", 3}};
  view_.on_yield = [&] { form_->Command1_Click(); };
  Rank();
  EXPECT_EQ(platform_.scans, 1);
  EXPECT_EQ(view_.yield_count, 1);
  EXPECT_EQ(Lines(form_->state().list_view1), (std::vector<std::string>{"3||100.0%|http://a/|3"}));
  EXPECT_FALSE(form_->busy());
}

// The catalogue is read before the scan: one that goes during the scan still ranks.
TEST_F(RankingCommandTest, CatalogueIsReadBeforeTheScan) {
  WriteCatalogue("http://a/\r\n\r\n");
  cache() = {{0x1, "http://a/", 3}};
  platform_.during_scan = [&] { memory_.RemoveDirectoryTree(kCatalogue); };
  Rank();
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_EQ(form_->state().label1, "1個のファイルを検出");
  EXPECT_EQ(Lines(form_->state().list_view1), (std::vector<std::string>{"3||100.0%|http://a/|3"}));
  EXPECT_TRUE(form_->state().list_view1_visible);
}

TEST_F(RankingCommandTest, EmptyCacheAndEmptyCatalogue) {
  struct Case {
    const char* what;
    std::string catalogue;
    std::vector<MemoryCacheEntry> cache;
    std::string label;
  };
  const Case cases[] = {
      {"no cache entries", "http://a/\r\n\r\n", {}, "0個のファイルを検出"},
      {"empty url.dat", "", {{0x1, "http://a/", 3}}, "1個のファイルを検出"},
      {"only the blank line", "\r\n", {{0x1, "http://a/", 3}}, "1個のファイルを検出"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteCatalogue(c.catalogue);
    cache() = c.cache;
    Rank();
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_EQ(form_->state().label1, c.label);
    EXPECT_TRUE(form_->state().list_view1.empty());
    EXPECT_TRUE(form_->state().list_view1_visible);
  }
  // Nothing was ranked, so nothing was stored.
  EXPECT_FALSE(memory_.Exists(SettingsFilePath(files(), true)));
}

TEST_F(RankingCommandTest, KeepsTenRowsWithFirstRunIcons) {
  std::string catalogue;
  for (int i = 1; i <= 11; ++i) {
    const std::string address = "http://site" + std::to_string(i) + "/";
    catalogue += address + "\r\n";
    SetTitle(address, "Site " + std::to_string(i));
    cache().push_back({0x1, address, static_cast<std::uint32_t>(100 + i)});
  }
  WriteCatalogue(catalogue + "\r\n");
  Rank();
  const auto& rows = form_->state().list_view1;
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows.front().title, "Site 11");
  EXPECT_EQ(rows.back().title, "Site 2");
  std::vector<int> icons;
  for (const ListViewRow& row : rows) icons.push_back(row.small_icon);
  EXPECT_EQ(icons, (std::vector<int>{3, 3, 2, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(StoredPlace("Site 11"), "1");
  EXPECT_EQ(StoredPlace("Site 2"), "10");
  EXPECT_EQ(StoredPlace("Site 1"), "<none>");
}

TEST_F(RankingCommandTest, WithoutASelectedRowNormalEntriesAreScanned) {
  WriteCatalogue("http://a/\r\nhttp://b/\r\n\r\n");
  cache() = {{0x1, "http://a/", 3}, {0x8, "http://b/", 9}};
  form_ = std::make_unique<Form1>(platform_, program_dir(), view_);  // no Form_Load
  form_->Command1_Click();
  EXPECT_EQ(Lines(form_->state().list_view1), (std::vector<std::string>{"3||100.0%|http://a/|3"}));
}

// The real platform, reading index files Wine wrote.
TEST(RankingCommandOnDiskTest, RanksTheEntriesOfIndexFilesWineWrote) {
  TempDir root;
  ScopedEnv registry("ZORVANE_REGISTRY", (root.path() / "registry.reg").string());
  const std::unique_ptr<Platform> real = CreateDefaultPlatform();
  const std::string program_dir = (root.path() / "program").string();
  const ProgramFiles files{real.get(), program_dir};
  std::filesystem::create_directories(program_dir);
  const char* data = std::getenv("ZORVANE_TEST_DATA");
  ASSERT_NE(data, nullptr);
  const std::string dir = std::string(data) + "/url_cache/";
  ScopedEnv cache("ZORVANE_URL_CACHE", dir + "wine-content-index.dat:" + dir +
                                           "wine-history-index.dat:" + dir +
                                           "wine-cookies-index.dat");
  // "http://example.jp/日本語/ページ.html" in code page 932.
  const std::string jp = "http://example.jp/\x93\xfa\x96\x7b\x8c\xea/\x83\x79\x81\x5b\x83\x57.html";
  root.Write("program/url.dat",
             "http://www.example.com/\r\nhttps://www.example.org/search?q=a,b\r\n" + jp +
                 "\r\nhttp://www.example.net/max\r\nhttp://www.example.net/wrapped\r\n\r\n");
  ASSERT_TRUE(WriteSetting(files, "ShortcutTitle", "http://www.example.com/", "Example"));
  ASSERT_TRUE(
      WriteSetting(files, "ShortcutTitle", "https://www.example.org/search?q=a,b", "Search"));
  ASSERT_TRUE(WriteSetting(files, "ShortcutTitle", "http://example.jp/日本語/ページ.html",
                           "日本語のページ"));
  ASSERT_TRUE(WriteSetting(files, "ShortcutTitle", "http://www.example.net/max", "Max"));

  RecordingView view;
  Form1 form(*real, program_dir, view);
  form.Form_Load();
  form.Command1_Click();
  // Eight content entries of a normal type and the history entry; the cookie is of
  // another type. Their total, 2,147,483,711, does not fit in 32 bits; the count that
  // wrapped to -1 adds nothing and does not rank.
  EXPECT_EQ(form.state().label1, "9個のファイルを検出");
  EXPECT_EQ(
      Lines(form.state().list_view1),
      (std::vector<std::string>{"3|Max|100.0%|http://www.example.net/max|2147483647",
                                "3|Example|0.0%|http://www.example.com/|37",
                                "2|日本語のページ|0.0%|http://example.jp/日本語/ページ.html|5",
                                "1|Search|0.0%|https://www.example.org/search?q=a,b|2"}));
}

}  // namespace
}  // namespace zorvane
