// The bookmark readers on the files real browsers wrote (tests/data/browsers) and on
// loose HTML, and the import's names, filter and replacement rules.
#include "browsers/bookmark_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "browsers/bookmarks.h"
#include "tests/support/test_support.h"

namespace zorvane::browsers {
namespace {

namespace fs = std::filesystem;
using Kind = BookmarkNode::Kind;

fs::path BrowserData() { return fs::path(std::getenv("ZORVANE_TEST_DATA")) / "browsers"; }

// The tree as one line per node: "folder/sub/title -> address", "---" for a separator.
void Flatten(const BookmarkNode& folder, const std::string& prefix,
             std::vector<std::string>* lines) {
  for (const BookmarkNode& node : folder.children) {
    if (node.kind == Kind::kSeparator) {
      lines->push_back(prefix + "---");
    } else if (node.kind == Kind::kBookmark) {
      lines->push_back(prefix + node.title + " -> " + node.address);
    } else {
      lines->push_back(prefix + node.title + "/");
      Flatten(node, prefix + node.title + "/", lines);
    }
  }
}

std::vector<std::string> Read(const fs::path& path, BookmarkSourceKind expected_kind) {
  BookmarkNode root;
  BookmarkSourceKind kind{};
  EXPECT_EQ(ReadBookmarkFile(path.string(), &root, &kind), SourceStatus::kRead);
  EXPECT_EQ(kind, expected_kind);
  std::vector<std::string> lines;
  Flatten(root, "", &lines);
  return lines;
}

constexpr char kSite[] = "http://127.0.0.1:48613";
std::string At(const std::string& path) { return kSite + path; }
const std::string kJapanesePage = At("/%E6%97%A5%E6%9C%AC%E8%AA%9E/%E3%83%9A%E3%83%BC%E3%82%B8");
const std::string kBookmarklet = "javascript:(function(){document.title='bookmarklet';})()";

TEST(BookmarkReadersTest, ReadWhatChromiumWrote) {
  EXPECT_EQ(Read(BrowserData() / "chromium/Bookmarks", BookmarkSourceKind::kChromium),
            (std::vector<std::string>{
                "ブックマーク バー/",
                "ブックマーク バー/Alpha page -> " + At("/a"),
                "ブックマーク バー/Work/",
                "ブックマーク バー/Work/Bravo page -> " + At("/b"),
                "ブックマーク バー/Work/Docs -> " + At("/c?x=1&y=2"),
                "ブックマーク バー/Work/Docs -> " + At("/b#part"),
                "ブックマーク バー/Work/Nested/",
                "ブックマーク バー/Work/Nested/日本語のブックマーク -> " + kJapanesePage,
                "ブックマーク バー/Work/Nested/Redirecting link (302) -> " + At("/go"),
                "ブックマーク バー/Bookmarklet -> " + kBookmarklet,
                "その他のブックマーク/",
                "その他のブックマーク/Never visited -> " + At("/never"),
                "その他のブックマーク/Moved (301 source) -> " + At("/moved"),
                "その他のブックマーク/Meta refresh source -> " + At("/refresh"),
                "その他のブックマーク/Empty folder/",
                "モバイルのブックマーク/",
            }));
}

// Firefox's database and its own HTML export of it give the same bookmarks; the tags
// folder is none of them.
TEST(BookmarkReadersTest, ReadWhatFirefoxWroteAndExported) {
  const std::vector<std::string> places =
      Read(BrowserData() / "firefox/places.sqlite", BookmarkSourceKind::kFirefox);
  const std::vector<std::string> toolbar = {
      "ブックマークツールバー/Alpha page -> " + At("/a"),
      "ブックマークツールバー/Work/",
      "ブックマークツールバー/Work/Bravo page -> " + At("/b"),
      "ブックマークツールバー/Work/Docs -> " + At("/c?x=1&y=2"),
      "ブックマークツールバー/Work/Docs -> " + At("/b#part"),
      "ブックマークツールバー/Work/---",
      "ブックマークツールバー/Work/Nested/",
      "ブックマークツールバー/Work/Nested/日本語のブックマーク -> " + kJapanesePage,
      "ブックマークツールバー/Work/Nested/Redirecting link (302) -> " + At("/go"),
      "ブックマークツールバー/Bookmarklet -> " + kBookmarklet,
  };
  EXPECT_NE(std::search(places.begin(), places.end(), toolbar.begin(), toolbar.end()),
            places.end());
  EXPECT_NE(std::find(places.begin(), places.end(),
                      "ブックマークメニュー/Menu folder/Most visited (place: query) -> "
                      "place:sort=8&maxResults=10"),
            places.end());
  EXPECT_EQ(std::count_if(places.begin(), places.end(),
                          [](const std::string& line) { return line.find("tag") != line.npos; }),
            0);

  // The export holds the same bookmarks under the browser's own folder names.
  const std::vector<std::string> html =
      Read(BrowserData() / "firefox/bookmarks.html", BookmarkSourceKind::kHtml);
  const auto bookmarks = [](const std::vector<std::string>& lines) {
    std::vector<std::string> addresses;
    for (const std::string& line : lines) {
      if (const std::size_t arrow = line.find(" -> "); arrow != line.npos) {
        addresses.push_back(line.substr(arrow));
      }
    }
    std::sort(addresses.begin(), addresses.end());
    return addresses;
  };
  EXPECT_EQ(bookmarks(html), bookmarks(places));
}

TEST(BookmarkReadersTest, LooseHtmlIsReadTolerantly) {
  const struct {
    const char* name;
    const char* html;
    std::vector<std::string> expected;
  } cases[] = {
      {"lower case, unquoted and single-quoted attributes, entities",
       "<dl><dt><a href=http://a/?x=1&amp;y=2>A &amp; B &#x263A; &#12354;</a>"
       "<dt><A HREF='http://b/'>B</A></dl>",
       {"A & B ☺ あ -> http://a/?x=1&y=2", "B -> http://b/"}},
      {"folder with a description before its list, separator, empty folder",
       "<DL><p><DT><H3 ADD_DATE=\"1\">F</H3>\n<DD>about F\n<DL><p>\n<DT><A HREF=\"http://c/\">C"
       "</A>\n<HR>\n</DL><p><DT><H3>Empty</H3><DT><A HREF=\"http://d/\">D</A></DL>",
       {"F/", "F/C -> http://c/", "F/---", "Empty/", "D -> http://d/"}},
      {"one </DL> too many, markup in a title, a file cut short",
       "</DL></DL><DL><DT><H3>G</H3><DL><DT><A HREF=\"http://e/\"><b>E</b>\n  e</A>"
       "<DT><A HREF=\"http://f/\">F",
       {"G/", "G/E e -> http://e/", "G/F -> http://f/"}},
      {"comments and text without bookmarks", "<!-- <A HREF=\"http://no/\">x</A> --><p>hi", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> lines;
    Flatten(ParseBookmarksHtml(c.html), "", &lines);
    EXPECT_EQ(lines, c.expected);
  }
}

TEST(BookmarkReadersTest, DamagedOrForeignFilesAreNotRead) {
  testing::TempDir dir;
  BookmarkNode root;
  BookmarkSourceKind kind{};
  const struct {
    const char* name;
    std::string bytes;
    SourceStatus expected;
  } cases[] = {
      {"json.txt", "{\"roots\": [", SourceStatus::kDamaged},
      {"json-without-roots.txt", "{\"version\": 1}", SourceStatus::kDamaged},
      {"plain.txt", "just text", SourceStatus::kUnknownKind},
      {"binary", std::string("\0\1\2", 3), SourceStatus::kUnknownKind},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadBookmarkFile(dir.Write(c.name, c.bytes).string(), &root, &kind), c.expected);
  }
  EXPECT_EQ(ReadBookmarkFile(dir.str() + "/missing", &root, &kind), SourceStatus::kMissing);
  EXPECT_EQ(ReadBookmarkFile(dir.str(), &root, &kind), SourceStatus::kUnreadable);
}

// ---- Import -----------------------------------------------------------------------------

class ImportTest : public ::testing::Test {
 protected:
  ImportTest() : platform_(CreateDefaultPlatform()) { fs::create_directories(favorites()); }
  fs::path favorites() const { return dir_.path() / "Favorites"; }
  ImportSummary Import(const std::string& html, const std::string& name = "Mine") {
    const fs::path source = dir_.Write("bookmarks.html", html);
    return ImportBookmarks(*platform_, {{source.string(), name}}, favorites().string(),
                           [this](const std::string& line) { diagnostics_.push_back(line); });
  }
  std::vector<std::string> Files(const fs::path& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      files.push_back(fs::relative(entry.path(), folder).string());
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  testing::TempDir dir_;
  std::unique_ptr<Platform> platform_;
  std::vector<std::string> diagnostics_;
};

TEST_F(ImportTest, NamesFilterAndAddresses) {
  const ImportSummary summary = Import(
      "<DL><DT><A HREF=\"http://a/\">Same</A><DT><A HREF=\"http://b/\">Same</A>"
      "<DT><A HREF=\"https://example.com/page/\"></A><DT><A HREF=\"http://c/\">a/b</A>"
      "<DT><A HREF=\"javascript:void(0)\">js</A><DT><A HREF=\"place:sort=8\">q</A><HR>"
      "<DT><H3>Same</H3><DL><DT><A HREF=\"http://d/\">Same</A></DL>"
      "<DT><A HREF=\"http://e/\xF0\x9F\x98\x80\xE6\x97\xA5\">Emoji</A></DL>");
  EXPECT_EQ(summary.imported_sources, 1);
  EXPECT_EQ(summary.bookmarks, 6);
  EXPECT_EQ(summary.left_out, 2);
  EXPECT_EQ(
      Files(favorites() / "Mine"),
      (std::vector<std::string>{".zorvane-import", "Emoji.url", "Same", "Same (2).url", "Same.url",
                                "Same/Same.url", "a_b.url", "example.com_page.url"}));
  // What the code page cannot hold is percent-encoded; what it holds stays, in CP932.
  EXPECT_EQ(dir_.Read("Favorites/Mine/Emoji.url"),
            "[InternetShortcut]\r\nURL=http://e/%F0%9F%98%80\x93\xfa\r\n");
  EXPECT_EQ(dir_.Read("Favorites/Mine/Same (2).url"), "[InternetShortcut]\r\nURL=http://b/\r\n");
}

TEST_F(ImportTest, ReplacesOnlyItsOwnFolderWhole) {
  Import("<DL><DT><A HREF=\"http://a/\">A</A><DT><A HREF=\"http://b/\">B</A></DL>");
  dir_.Write("Favorites/mine.url", "[InternetShortcut]\r\nURL=http://mine/\r\n");
  Import("<DL><DT><A HREF=\"http://b/\">B</A></DL>");
  EXPECT_EQ(Files(favorites()),
            (std::vector<std::string>{"Mine", "Mine/.zorvane-import", "Mine/B.url", "mine.url"}));
  // A folder of that name that the import did not make is left alone.
  fs::create_directories(favorites() / "Theirs");
  dir_.Write("Favorites/Theirs/x.url", "x");
  const ImportSummary summary = Import("<DL><DT><A HREF=\"http://b/\">B</A></DL>", "Theirs");
  EXPECT_EQ(summary.skipped_sources, 1);
  EXPECT_EQ(Files(favorites() / "Theirs"), std::vector<std::string>{"x.url"});
  EXPECT_EQ(diagnostics_, std::vector<std::string>{(favorites() / "Theirs").string() +
                                                   ": not replaced: Zorvane did not make it"});
}

}  // namespace
}  // namespace zorvane::browsers
