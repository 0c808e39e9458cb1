// The bookmark readers on the files real browsers wrote (tests/data/browsers) and on
// loose HTML.
#include "browsers/bookmarks.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "browsers/bookmarks.h"
#include "formats/utf16.h"
#include "platform/platform.h"
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

// The character sets of the platform the tests run on.
bool Decode(std::string_view charset, std::string_view bytes, std::string* utf8) {
  static const std::unique_ptr<Platform> platform = CreateDefaultPlatform();
  return platform->DecodeText(charset, bytes, utf8);
}

std::vector<std::string> Read(const fs::path& path, BookmarkSourceKind expected_kind) {
  BookmarkNode root;
  BookmarkSourceKind kind{};
  EXPECT_EQ(ReadBookmarkFile(path.string(), Decode, nullptr, &root, &kind), SourceStatus::kRead);
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
       {"G/", "G/E\n  e -> http://e/", "G/F -> http://f/"}},
      {"comments and text without bookmarks", "<!-- <A HREF=\"http://no/\">x</A> --><p>hi", {}},
      {"a missing </A> ends at the next <DT>",
       "<DL><DT><A HREF=\"http://a/\">A<DT><A HREF=\"http://b/\">B</A></DL>",
       {"A -> http://a/", "B -> http://b/"}},
      {"a missing </H3> ends the title where the folder's list starts",
       "<DL><DT><H3>F<DL><p><DT><A HREF=\"http://a/\">A</A></DL><p>"
       "<DT><A HREF=\"http://b/\">B</A><DT><H3>G</H3></DL>",
       {"F/", "F/A -> http://a/", "B -> http://b/", "G/"}},
      {"only </A> ends a link, not </abbr>",
       "<DL><DT><A HREF=\"http://a/\">A <abbr>x</abbr> y</A><DT><A HREF=\"http://b/\">B</A></DL>",
       {"A x y -> http://a/", "B -> http://b/"}},
      {"every named character reference; none without \";\" before \"=\" in an address",
       "<DL><DT><A HREF=\"http://a/?x=1&copy=2\">A&nbsp;B &copy; C&hellip;</A></DL>",
       {"A\u00A0B \u00A9 C\u2026 -> http://a/?x=1&copy=2"}},
      {"the links of a description are none of the user's bookmarks",
       "<DL><DT><A HREF=\"http://a/\">A</A><DD>see <A HREF=\"http://b/\">b</A>\n"
       "<DT><H3>F</H3><DD>about F, <A HREF=\"http://c/\">c</A>\n"
       "<DL><p><DT><A HREF=\"http://d/\">D</A></DL></DL>",
       {"A -> http://a/", "F/", "F/D -> http://d/"}},
      {"blanks inside a title stay, those at its ends go",
       "<DL><DT><A HREF=\"http://a/\">  A   B\t</A></DL>",
       {"A   B -> http://a/"}},
      {"a link left open is not repeated around the titles after it",
       "<DL><DT><A HREF=\"http://a/\">A\n<DT><H3>F</H3>\n<DL><p><DT><A HREF=\"http://b/\">B</A>\n"
       "</DL><p>\n<DT>x<A HREF=\"http://c/\">C</A></DL>",
       {"A -> http://a/", "F/", "F/B -> http://b/", "C -> http://c/"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> lines;
    Flatten(ParseBookmarksHtml(c.html), "", &lines);
    EXPECT_EQ(lines, c.expected);
  }
}

// A reader whose time grows with the square of the links takes seconds here (3.3 s for
// half as many); a linear one, a tenth of a second.
TEST(BookmarkReadersTest, LinksLeftOpenAreReadInLinearTime) {
  constexpr int kLinks = 40000;
  std::string html = "<DL><p>\n";
  for (int i = 0; i < kLinks; ++i) {
    html += "<DT><A HREF=\"http://x/" + std::to_string(i) + "\">Title " + std::to_string(i) + "\n";
  }
  const auto start = std::chrono::steady_clock::now();
  const BookmarkNode root = ParseBookmarksHtml(html);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(root.children.size(), static_cast<std::size_t>(kLinks));
  for (int i = 0; i < kLinks; i += 997) {
    EXPECT_EQ(root.children[i].title, "Title " + std::to_string(i));
    EXPECT_EQ(root.children[i].address, "http://x/" + std::to_string(i));
  }
  EXPECT_LT(elapsed, std::chrono::seconds(2));
}

// Each reader keeps what lies below its 200th level of folders, in that folder.
TEST(BookmarkReadersTest, FoldersBelowTheDepthLimitAddNoLevel) {
  constexpr int kFolders = 250;
  std::string html = "<DL>";
  std::string json;
  for (int i = 1; i <= kFolders; ++i) {
    const std::string n = std::to_string(i);
    html += "<DT><H3>f" + n + "</H3><DL><DT><A HREF=\"http://x/" + n + "\">b" + n + "</A>";
    json += R"({"type": "folder", "name": "f)" + n +
            R"(", "children": [{"type": "url", "name": "b)" + n + R"(", "url": "http://x/)" + n +
            "\"}" + (i < kFolders ? ", " : "");
  }
  for (int i = 1; i <= kFolders; ++i) {
    html += "</DL>";
    json += "]}";
  }
  json = R"({"roots": {"bookmark_bar": {"type": "folder", "children": [)" + json + "]}}}";

  // Firefox: the same chain below the menu folder.
  testing::TempDir dir;
  const std::string places = (dir.path() / "places.sqlite").string();
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(places.c_str(), &db), SQLITE_OK);
    std::string sql =
        "BEGIN;"
        "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT);"
        "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER,"
        " parent INTEGER, position INTEGER, title TEXT, guid TEXT);"
        "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 'root________');"
        "INSERT INTO moz_bookmarks VALUES (2, 2, NULL, 1, 0, 'menu', 'menu________');";
    for (int i = 1; i <= kFolders; ++i) {
      const std::string n = std::to_string(i);
      const std::string folder = std::to_string(1000 + i);
      const std::string parent = i == 1 ? "2" : std::to_string(999 + i);
      sql += "INSERT INTO moz_places VALUES (" + n + ", 'http://x/" + n + "');";
      sql += "INSERT INTO moz_bookmarks VALUES (" + folder + ", 2, NULL, " + parent + ", 1, 'f" +
             n + "', 'f" + n + "');";
      sql += "INSERT INTO moz_bookmarks VALUES (" + std::to_string(2000 + i) + ", 1, " + n + ", " +
             folder + ", 0, 'b" + n + "', 'b" + n + "');";
    }
    sql += "COMMIT;";
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }

  BookmarkNode chromium;
  ASSERT_TRUE(ParseChromiumBookmarks(json, &chromium));
  BookmarkNode firefox;
  BookmarkSourceKind kind{};
  ASSERT_EQ(ReadBookmarkFile(places, Decode, nullptr, &firefox, &kind), SourceStatus::kRead);
  const struct {
    const char* reader;
    BookmarkNode root;
  } cases[] = {
      {"HTML", ParseBookmarksHtml(html)},
      {"Chromium", chromium.children.at(0)},  // its top folder counts as level 1
      {"Firefox", firefox.children.at(0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reader);
    // Down the chain: the folders, each holding its bookmark, then the next folder.
    std::vector<std::string> titles;
    int depth = c.reader == std::string("HTML") ? 0 : 1;
    const BookmarkNode* folder = &c.root;
    while (true) {
      const BookmarkNode* next = nullptr;
      for (const BookmarkNode& node : folder->children) {
        if (node.kind == Kind::kBookmark) titles.push_back(node.title);
        if (node.kind == Kind::kFolder) next = &node;
      }
      if (next == nullptr) break;
      folder = next;
      ++depth;
    }
    EXPECT_EQ(depth, kMaxFolderDepth);
    ASSERT_EQ(titles.size(), static_cast<std::size_t>(kFolders));
    for (int i = 0; i < kFolders; ++i) EXPECT_EQ(titles[i], "b" + std::to_string(i + 1));
  }
}

// Files in the character sets their byte order mark names or their <META> declares, as
// browsers and other programs export them.
TEST(BookmarkReadersTest, HtmlIsReadInItsCharacterSet) {
  const std::string body = "<DL><DT><A HREF=\"http://jp.example/表示\">表示</A></DL>";
  const auto utf16 = [](std::string_view utf8, bool big_endian) {
    std::string units = utf16::FromUtf8(utf8);
    if (big_endian) {
      for (std::size_t i = 0; i + 1 < units.size(); i += 2) std::swap(units[i], units[i + 1]);
    }
    return (big_endian ? "\xFE\xFF" : "\xFF\xFE") + units;
  };
  const std::string kSeen = "表示 -> http://jp.example/表示";
  const struct {
    const char* name;
    std::string bytes;
    std::vector<std::string> expected;
    std::vector<std::string> diagnostics;
  } cases[] = {
      {"Shift_JIS declared by http-equiv",
       "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
       "CONTENT=\"text/html; charset=Shift_JIS\">\n"
       "<DL><DT><A HREF=\"http://jp.example/\x95\x5C\x8E\xA6\">\x95\x5C\x8E\xA6</A></DL>",
       {kSeen},
       {}},
      {"EUC-JP declared by <meta charset>",
       "<meta charset='euc-jp'><DL><DT><A HREF=\"http://jp.example/\xC9\xBD\xBC\xA8\">"
       "\xC9\xBD\xBC\xA8</A></DL>",
       {kSeen},
       {}},
      {"ISO-8859-1, read as windows-1252",
       "<META CONTENT='text/html;charset=\"iso-8859-1\"' HTTP-EQUIV=content-type>"
       "<DL><DT><A HREF=\"http://a/\">Caf\xE9 \x80</A></DL>",
       {"Caf\u00E9 \u20AC -> http://a/"},
       {}},
      {"a byte invalid in its set",
       "<meta charset=x-sjis><DL><DT><A HREF=\"http://a/\">\x95\x5C\x95</A>",
       {"表\uFFFD -> http://a/"},
       {}},
      {"a UTF-8 byte order mark before another declaration",
       "\xEF\xBB\xBF<meta charset=\"Shift_JIS\">" + body,
       {kSeen},
       {}},
      {"UTF-16LE", utf16("<meta charset=Shift_JIS>" + body, false), {kSeen}, {}},
      {"UTF-16BE", utf16(body, true), {kSeen}, {}},
      {"a charset only comments, other tags or the content alone name",
       "<!-- <meta charset=Shift_JIS> --><p title='<meta charset=Shift_JIS>'>"
       "<meta content=\"text/html; charset=Shift_JIS\">" +
           body,
       {kSeen},
       {}},
      {"a declaration after the first 1024 bytes",
       std::string(1024, ' ') + "<meta charset=Shift_JIS>" + body,
       {kSeen},
       {}},
      {"an unknown charset",
       "<meta charset=\"x-klingon\">" + body,
       {kSeen},
       {"unknown charset \"x-klingon\", read as UTF-8"}},
      {"an unknown charset whose name breaks the line",
       "<meta charset=\"x-\nklingon\">" + body,
       {kSeen},
       {"unknown charset \"x-?klingon\", read as UTF-8"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> diagnostics;
    const std::string utf8 = DecodeBookmarksHtml(
        c.bytes, Decode, [&](const std::string& line) { diagnostics.push_back(line); });
    std::vector<std::string> lines;
    Flatten(ParseBookmarksHtml(utf8), "", &lines);
    EXPECT_EQ(lines, c.expected);
    EXPECT_EQ(diagnostics, c.diagnostics);
  }

  // A file in UTF-16 is known as bookmarks HTML once decoded; the diagnostic names it.
  testing::TempDir dir;
  BookmarkNode root;
  BookmarkSourceKind kind{};
  std::vector<std::string> diagnostics;
  const auto diagnose = [&](const std::string& line) { diagnostics.push_back(line); };
  const fs::path wide = dir.Write("wide.html", utf16(body, false));
  ASSERT_EQ(ReadBookmarkFile(wide.string(), Decode, diagnose, &root, &kind), SourceStatus::kRead);
  EXPECT_EQ(kind, BookmarkSourceKind::kHtml);
  EXPECT_EQ(root.children.at(0).title, "表示");
  const fs::path klingon = dir.Write("klingon.html", "<meta charset=x-klingon>" + body);
  ASSERT_EQ(ReadBookmarkFile(klingon.string(), Decode, diagnose, &root, &kind),
            SourceStatus::kRead);
  EXPECT_EQ(diagnostics, std::vector<std::string>{
                             klingon.string() + ": unknown charset \"x-klingon\", read as UTF-8"});
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
    EXPECT_EQ(ReadBookmarkFile(dir.Write(c.name, c.bytes).string(), Decode, nullptr, &root, &kind),
              c.expected);
  }
  EXPECT_EQ(ReadBookmarkFile(dir.str() + "/missing", Decode, nullptr, &root, &kind),
            SourceStatus::kMissing);
  EXPECT_EQ(ReadBookmarkFile(dir.str(), Decode, nullptr, &root, &kind), SourceStatus::kUnreadable);
}

}  // namespace
}  // namespace zorvane::browsers
