// Browser bookmarks as one tree, read from the three places browsers keep them: a
// Firefox places.sqlite, a Chromium-family Bookmarks file (JSON), and a bookmarks HTML
// file (the "NETSCAPE-Bookmark-file-1" format every browser exports and imports).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "browsers/source_status.h"

namespace zorvane::browsers {

struct BookmarkNode {
  enum class Kind { kFolder, kBookmark, kSeparator };
  Kind kind = Kind::kFolder;
  std::string title;                   // UTF-8, as the browser stores it
  std::string address;                 // bookmarks only: the address as the browser stores it
  std::vector<BookmarkNode> children;  // folders only, in the browser's order

  bool operator==(const BookmarkNode&) const = default;
};

enum class BookmarkSourceKind { kFirefox, kChromium, kHtml };

// Folders nested deeper than this add no level: what they hold, bookmarks and
// separators in order, goes into the folder at this depth (the top folders are at depth
// 1), so a hostile file can neither exhaust the stack nor lose a bookmark.
inline constexpr int kMaxFolderDepth = 200;

// Converts `bytes`, text in the character set named `charset` (as HTML names it), to
// UTF-8, invalid sequences as U+FFFD; false when it does not know the set.
// Platform::DecodeText is one.
using TextDecoder =
    std::function<bool(std::string_view charset, std::string_view bytes, std::string* utf8)>;
// Receives one line, without a line break, about something a reader had to guess at.
using DiagnosticLine = std::function<void(const std::string& line)>;

// The names the top folders get, in the words of the browsers' Japanese menus.
inline constexpr char kFirefoxMenuFolder[] = "ブックマークメニュー";
inline constexpr char kFirefoxToolbarFolder[] = "ブックマークツールバー";
inline constexpr char kFirefoxOtherFolder[] = "他のブックマーク";
inline constexpr char kFirefoxMobileFolder[] = "モバイルのブックマーク";
inline constexpr char kChromiumBarFolder[] = "ブックマーク バー";
inline constexpr char kChromiumOtherFolder[] = "その他のブックマーク";
inline constexpr char kChromiumMobileFolder[] = "モバイルのブックマーク";

// The tree of a Chromium-family Bookmarks file: one folder per root ("bookmark_bar",
// "other", "synced", in that order, named as above) holding its nodes. False when the
// text is not JSON or has no "roots" object; nodes of unknown types are left out.
bool ParseChromiumBookmarks(std::string_view json, BookmarkNode* root);

// The tree of a bookmarks HTML file, given as UTF-8 text (DecodeBookmarksHtml). The
// format is loose HTML, parsed as browsers parse HTML: an <H3> names a folder whose
// content is the <DL> after it (or inside it, when </H3> is missing), an <A HREF> is a
// bookmark titled by its text, an <HR> a separator; what a <DD> holds is a description,
// its links none of the user's bookmarks; the file's <H1> is its heading. Titles are the
// text as written, character references decoded, blanks at either end left out. Never
// fails; text without bookmarks gives an empty root.
BookmarkNode ParseBookmarksHtml(std::string_view html);

// The text of a bookmarks HTML file as UTF-8, from its bytes in the character set its
// byte order mark names (UTF-8, UTF-16LE, UTF-16BE), else the one a <META charset> or
// <META HTTP-EQUIV CONTENT="...; charset=..."> in its first 1024 bytes declares, else
// UTF-8. A set `decode` does not know is named in one line through `diagnose` (when
// given), and the text read as UTF-8.
std::string DecodeBookmarksHtml(std::string_view bytes, const TextDecoder& decode,
                                const DiagnosticLine& diagnose);

// Whether `text` (the start of a file) looks like a bookmarks HTML file.
bool LooksLikeBookmarksHtml(std::string_view text);

// Reads the bookmarks of the file at `path`, its kind told from its content: a SQLite
// database holding moz_bookmarks (through a private copy, never opened in place), JSON
// text, or bookmarks HTML (decoded through `decode`, an unknown character set named
// through `diagnose` after the path). Firefox gives one folder per top folder of its own
// (menu, toolbar, other, mobile, named as above; tags left out). `*kind` is set on
// success.
SourceStatus ReadBookmarkFile(const std::string& path, const TextDecoder& decode,
                              const DiagnosticLine& diagnose, BookmarkNode* root,
                              BookmarkSourceKind* kind);

}  // namespace zorvane::browsers
