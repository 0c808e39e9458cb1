// Browser bookmarks as one tree, read from the three places browsers keep them: a
// Firefox places.sqlite, a Chromium-family Bookmarks file (JSON), and a bookmarks HTML
// file (the "NETSCAPE-Bookmark-file-1" format every browser exports and imports).
#pragma once

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

// The tree of a bookmarks HTML file. The format is loose HTML, read tolerantly: an <H3>
// names a folder whose content is the <DL> after it, an <A HREF> is a bookmark titled by
// its text, an <HR> a separator; tag and attribute names in any case, entities decoded,
// anything else skipped. Never fails; text without bookmarks gives an empty root.
BookmarkNode ParseBookmarksHtml(std::string_view html);

// Whether `text` (the start of a file) looks like a bookmarks HTML file.
bool LooksLikeBookmarksHtml(std::string_view text);

// Reads the bookmarks of the file at `path`, its kind told from its content: a SQLite
// database holding moz_bookmarks (through a private copy, never opened in place), JSON
// text, or bookmarks HTML. Firefox gives one folder per top folder of its own (menu,
// toolbar, other, mobile, named as above; tags left out). `*kind` is set on success.
SourceStatus ReadBookmarkFile(const std::string& path, BookmarkNode* root,
                              BookmarkSourceKind* kind);

}  // namespace zorvane::browsers
