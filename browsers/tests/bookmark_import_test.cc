// The import on the real platform of the build (the Windows one under Wine): names that
// fit, what the user added to a mirror, links, one import at a time, leftovers of an
// interrupted one.
#include "browsers/bookmark_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/paths.h"
#include "browsers/tests/scratch_folder.h"
#include "browsers/utf8_path.h"

namespace zorvane::browsers {
namespace {

namespace fs = std::filesystem;

std::string Bookmark(const std::string& address, const std::string& title) {
  return "<DT><A HREF=\"" + address + "\">" + title + "</A>\n";
}
std::string Folder(const std::string& title, const std::string& content) {
  return "<DT><H3>" + title + "</H3>\n<DL><p>\n" + content + "</DL><p>\n";
}
std::string Repeat(const std::string& s, int n) {
  std::string out;
  while (n-- > 0) out += s;
  return out;
}

class ImportTest : public ::testing::Test {
 protected:
  ImportTest() : platform_(CreateDefaultPlatform()) {
    fs::create_directories(dir_.Native("Favorites"));
  }
  std::string Favorites() const { return dir_ / "Favorites"; }
  bool Windows() const { return platform_->PathSeparator() == '\\'; }

  ImportSummary Import(const std::string& html, const std::string& name = "Mine",
                       LockWait wait = {std::chrono::milliseconds(0), {}}) {
    const std::string source = dir_.Write(name + ".html", "<DL><p>\n" + html + "</DL>\n");
    return ImportBookmarks(*platform_, {{source, name}}, Favorites(), wait,
                           [this](const std::string& line) { diagnostics_.push_back(line); });
  }
  // Every file and folder below Favorites/`relative`, "/" between names, sorted; links
  // are listed, never entered.
  std::vector<std::string> Files(const std::string& relative = "") const {
    std::vector<std::string> files;
    const fs::path root = dir_.Native("Favorites/" + relative);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      files.push_back(Utf8FromPath(fs::relative(entry.path(), root).generic_u8string()));
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  testing::ScratchFolder dir_{"zorvane-import"};
  std::unique_ptr<Platform> platform_;
  std::vector<std::string> diagnostics_;
};

TEST_F(ImportTest, NamesFilterAndAddresses) {
  const ImportSummary summary =
      Import(Bookmark("http://a/", "Same") + Bookmark("http://b/", "Same") +
             Bookmark("https://example.com/page/", "") + Bookmark("http://c/", "a/b") +
             Bookmark("javascript:void(0)", "js") + Bookmark("place:sort=8", "q") + "<HR>" +
             Folder("Same", Bookmark("http://d/", "Same")) +
             Bookmark("http://e/\xF0\x9F\x98\x80\xE6\x97\xA5", "Emoji"));
  EXPECT_EQ(summary.imported_sources, 1);
  EXPECT_EQ(summary.bookmarks, 6);
  EXPECT_EQ(summary.left_out, 2);
  EXPECT_EQ(Files("Mine"), (std::vector<std::string>{".zorvane-import", "Emoji.url", "Same",
                                                     "Same (2).url", "Same.url", "Same/Same.url",
                                                     "a_b.url", "example.com_page.url"}));
  // What the code page cannot hold is percent-encoded; what it holds stays, in CP932.
  EXPECT_EQ(dir_.Read("Favorites/Mine/Emoji.url"),
            "[InternetShortcut]\r\nURL=http://e/%F0%9F%98%80\x93\xfa\r\n");
  EXPECT_EQ(dir_.Read("Favorites/Mine/Same (2).url"), "[InternetShortcut]\r\nURL=http://b/\r\n");
}

TEST_F(ImportTest, ReplacesItsOwnFolderAndKeepsWhatTheUserAdded) {
  Import(Bookmark("http://a/", "A") + Folder("Tools", Bookmark("http://t/", "T")));
  dir_.Write("Favorites/mine.url", "[InternetShortcut]\r\nURL=http://mine/\r\n");
  dir_.Write("Favorites/Mine/My own.url", "[InternetShortcut]\r\nURL=http://own/\r\n");
  dir_.Write("Favorites/Mine/notes/n.txt", "notes");
  dir_.Write("Favorites/Mine/Tools/kept.url", "[InternetShortcut]\r\nURL=http://kept/\r\n");
  // A and the folder Tools are gone from the browser: what the user put in Tools stays.
  EXPECT_EQ(Import(Bookmark("http://b/", "B")).imported_sources, 1);
  EXPECT_EQ(Files(),
            (std::vector<std::string>{".zorvane-lock", "Mine", "Mine/.zorvane-import", "Mine/B.url",
                                      "Mine/My own.url", "Mine/Tools", "Mine/Tools/kept.url",
                                      "Mine/notes", "Mine/notes/n.txt", "mine.url"}));
  EXPECT_EQ(dir_.Read("Favorites/Mine/notes/n.txt"), "notes");

  // A new bookmark of the name of a file of the user's: the mirror stays as it was.
  const ImportSummary clash = Import(Bookmark("http://own/", "My own"));
  EXPECT_EQ(clash.imported_sources, 0);
  EXPECT_EQ(clash.skipped_sources, 1);
  EXPECT_TRUE(fs::exists(dir_.Native("Favorites/Mine/B.url")));
  ASSERT_EQ(diagnostics_.size(), 2u);
  EXPECT_NE(diagnostics_[0].find("My own.url: yours"), std::string::npos) << diagnostics_[0];

  // A folder of that name that the import did not make is left alone.
  dir_.Write("Favorites/Theirs/x.url", "x");
  EXPECT_EQ(Import(Bookmark("http://b/", "B"), "Theirs").skipped_sources, 1);
  EXPECT_EQ(Files("Theirs"), std::vector<std::string>{"x.url"});
  EXPECT_EQ(diagnostics_.back(),
            (dir_ / "Favorites/Theirs") + ": not replaced: Zorvane did not make it");
}

// The first imports' markers listed nothing: their shortcuts are told by their bytes.
TEST_F(ImportTest, MarkersThatListNothing) {
  dir_.Write("Favorites/Mine/.zorvane-import",
             "This folder mirrors browser bookmarks. Zorvane replaces it at each import.\r\n");
  dir_.Write("Favorites/Mine/Old.url", "[InternetShortcut]\r\nURL=http://old/\r\n");
  dir_.Write("Favorites/Mine/Sub/Old.url", "[InternetShortcut]\r\nURL=http://old/\r\n");
  dir_.Write("Favorites/Mine/Sub/note.txt", "mine");
  EXPECT_EQ(Import(Bookmark("http://new/", "New")).imported_sources, 1);
  EXPECT_EQ(Files("Mine"),
            (std::vector<std::string>{".zorvane-import", "New.url", "Sub", "Sub/note.txt"}));
}

TEST_F(ImportTest, LinksAreNeverFollowed) {
  dir_.Write("Outside/.zorvane-import", "marker");
  dir_.Write("Outside/keep.url", "keep");
  std::error_code error;
  fs::create_directory_symlink(dir_.Native("Outside"), dir_.Native("Favorites/Mine"), error);
  if (error) GTEST_SKIP() << "this system makes no symbolic links here: " << error.message();
  EXPECT_EQ(Import(Bookmark("http://a/", "A")).skipped_sources, 1);
  fs::remove(dir_.Native("Favorites/Mine"));
  EXPECT_EQ(Import(Bookmark("http://a/", "A")).imported_sources, 1);
  fs::create_directory_symlink(dir_.Native("Outside"), dir_.Native("Favorites/Mine/link"));
  EXPECT_EQ(Import(Bookmark("http://b/", "B")).skipped_sources, 1);
  EXPECT_EQ(dir_.Read("Outside/keep.url"), "keep");
  EXPECT_EQ(dir_.Read("Outside/.zorvane-import"), "marker");
  EXPECT_TRUE(fs::is_symlink(dir_.Native("Favorites/Mine/link")));
  EXPECT_TRUE(fs::exists(dir_.Native("Favorites/Mine/A.url")));
}

// Long Japanese titles and emoji are cut to what the file system takes; folders nested
// until no name fits leave out only what is below, and say how many.
TEST_F(ImportTest, NamesAreCutToFitAndWhatCannotFitIsCounted) {
  const std::string japanese = Repeat("日本語の長い記事の題名", 9);  // 99 characters
  const std::string emoji = Repeat("\xF0\x9F\x98\x80", 70);
  std::string nested = Bookmark("http://deep/", "Deep");
  for (int i = 0; i < 24; ++i) nested = Folder(japanese, nested + Bookmark("http://n/", "N"));
  const ImportSummary summary =
      Import(Bookmark("http://j/1", japanese) + Bookmark("http://j/2", japanese) +
             Bookmark("http://e/", emoji) + nested + Bookmark("http://short/", "Short"));
  EXPECT_EQ(summary.imported_sources, 1) << ::testing::PrintToString(diagnostics_);
  EXPECT_GT(summary.too_long, 0);
  EXPECT_EQ(summary.bookmarks + summary.too_long, 3 + 25 + 1);
  EXPECT_TRUE(fs::exists(dir_.Native("Favorites/Mine/Short.url")));
  int shortcuts = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir_.Native("Favorites/Mine"))) {
    const std::string path = Utf8FromPath(entry.path());
    const std::string name = Utf8FromPath(entry.path().filename());
    if (Windows()) {
      EXPECT_TRUE(paths::WindowsNameFits(Utf8FromPath(entry.path().parent_path()), name,
                                         entry.is_directory()))
          << path;
    } else {
      EXPECT_LE(name.size(), 255u) << path;
    }
    if (!entry.is_directory() && name != ".zorvane-import") {
      EXPECT_TRUE(name.ends_with(".url")) << path;
      ++shortcuts;
    }
  }
  EXPECT_EQ(shortcuts, summary.bookmarks);
}

TEST_F(ImportTest, NamesThatDifferOnlyInCaseAreBothKept) {
  const ImportSummary summary =
      Import(Bookmark("http://1/", "ＡＢＣ") + Bookmark("http://2/", "ａｂｃ") +
             Bookmark("http://3/", "ДОМ") + Bookmark("http://4/", "дом") +
             Bookmark("http://5/", "Ⅰ") + Bookmark("http://6/", "ⅰ"));
  EXPECT_EQ(summary.bookmarks, 6);
  EXPECT_EQ(Files("Mine").size(), 7u);
}

TEST_F(ImportTest, OneImportAtATimeAndNoneWhileABuildWalks) {
  for (const Platform::LockMode mode :
       {Platform::LockMode::kExclusive, Platform::LockMode::kShared}) {
    std::unique_ptr<Platform::FileLock> other;
    ASSERT_EQ(platform_->TryLockFile(dir_ / "Favorites/.zorvane-lock", mode, true, &other),
              Platform::LockResult::kLocked);
    int waits = 0;
    const ImportSummary busy = Import(Bookmark("http://a/", "A"), "Mine",
                                      {std::chrono::milliseconds(250), [&](bool) { ++waits; }});
    EXPECT_TRUE(busy.busy);
    EXPECT_GE(waits, 2);
    EXPECT_FALSE(fs::exists(dir_.Native("Favorites/Mine")));
  }
  EXPECT_EQ(Import(Bookmark("http://a/", "A")).imported_sources, 1);
}

// An import killed half way leaves a staging folder (being written, or the old mirror
// being removed), or (where folders cannot be exchanged) the old mirror put aside: the
// next import removes the one and puts the other back when nothing took its place. A
// folder of the user's of a like name stays.
TEST_F(ImportTest, LeftoversOfAnInterruptedImport) {
  dir_.Write("Favorites/.zorvane-new-0badf00d/.zorvane-import", "mirror=Half\r\nwritten:\r\n");
  dir_.Write("Favorites/.zorvane-new-0badf00d/Half.url", "half");
  dir_.Write("Favorites/.zorvane-new-00000001/Rest.url", "a removal cut short: no marker left");
  dir_.Write("Favorites/.zorvane-new-0c0ffee0.old/.zorvane-import", "mirror=Gone\r\nwritten:\r\n");
  dir_.Write("Favorites/.zorvane-new-0c0ffee0.old/Old.url", "old");
  dir_.Write("Favorites/.zorvane-new-mine/x.url", "mine");
  EXPECT_EQ(Import(Bookmark("http://a/", "A")).imported_sources, 1);
  EXPECT_EQ(Files(), (std::vector<std::string>{".zorvane-lock", ".zorvane-new-mine",
                                               ".zorvane-new-mine/x.url", "Gone",
                                               "Gone/.zorvane-import", "Gone/Old.url", "Mine",
                                               "Mine/.zorvane-import", "Mine/A.url"}));
}

// One file named twice (by a hard link) is one mirror; two files of one name are two.
TEST_F(ImportTest, SourcesByIdentityAndName) {
  const std::string a = dir_.Write("a/bookmarks.html", "<DL>" + Bookmark("http://a/", "A"));
  const std::string b = dir_.Write("b/bookmarks.html", "<DL>" + Bookmark("http://b/", "B"));
  fs::create_hard_link(dir_.Native("a/bookmarks.html"), dir_.Native("a/linked.html"));
  const ImportSummary summary = ImportBookmarks(
      *platform_, {{a, ""}, {dir_ / "a/linked.html", ""}, {b, ""}}, Favorites(), {}, {});
  EXPECT_EQ(summary.imported_sources, 2);
  EXPECT_EQ(Files(),
            (std::vector<std::string>{".zorvane-lock", "bookmarks", "bookmarks (2)",
                                      "bookmarks (2)/.zorvane-import", "bookmarks (2)/B.url",
                                      "bookmarks/.zorvane-import", "bookmarks/A.url"}));
}

}  // namespace
}  // namespace zorvane::browsers
