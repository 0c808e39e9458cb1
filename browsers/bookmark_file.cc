// Reading one bookmark file of any kind, and the Firefox kind itself (moz_bookmarks).
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "browsers/bookmarks.h"
#include "browsers/sqlite_copy.h"
#include "browsers/utf8_path.h"

namespace zorvane::browsers {
namespace {

namespace fs = std::filesystem;

// A bookmark file larger than this is none (the largest real ones are a few megabytes).
constexpr std::uintmax_t kMaxTextFileSize = 256u << 20;

// moz_bookmarks.type
constexpr int kFirefoxBookmark = 1;
constexpr int kFirefoxFolder = 2;
constexpr int kFirefoxSeparator = 3;

struct FirefoxRow {
  std::int64_t id;
  int type;
  std::string title;
  std::string address;
  std::string guid;
};

// The top folders by their fixed guids; the tags folder is no folder of bookmarks.
const char* FirefoxTopFolderTitle(const std::string& guid) {
  if (guid == "menu________") return kFirefoxMenuFolder;
  if (guid == "toolbar_____") return kFirefoxToolbarFolder;
  if (guid == "unfiled_____") return kFirefoxOtherFolder;
  if (guid == "mobile______") return kFirefoxMobileFolder;
  return nullptr;
}

// A bookmark or separator row as a node; nullopt for a folder or a row of another type.
std::optional<BookmarkNode> LeafNode(const FirefoxRow& row) {
  BookmarkNode node;
  node.title = row.title;
  if (row.type == kFirefoxBookmark) {
    node.kind = BookmarkNode::Kind::kBookmark;
    node.address = row.address;
  } else if (row.type == kFirefoxSeparator) {
    node.kind = BookmarkNode::Kind::kSeparator;
  } else {
    return std::nullopt;
  }
  return node;
}

class FirefoxTree final {
 public:
  explicit FirefoxTree(std::map<std::int64_t, std::vector<FirefoxRow>> children)
      : children_(std::move(children)) {}

  // Adds what `folder` holds to `into`, a folder at `depth`: its folders as folders down
  // to kMaxFolderDepth, and below that what they hold straight into the deepest one.
  void Fill(std::int64_t folder, int depth, BookmarkNode* into) {
    const auto it = children_.find(folder);
    if (it == children_.end() || !filled_.insert(folder).second) return;
    for (const FirefoxRow& row : it->second) {
      if (std::optional<BookmarkNode> leaf = LeafNode(row)) {
        into->children.push_back(std::move(*leaf));
      } else if (row.type == kFirefoxFolder && depth < kMaxFolderDepth) {
        BookmarkNode node;
        node.title = row.title;
        Fill(row.id, depth + 1, &node);
        into->children.push_back(std::move(node));
      } else if (row.type == kFirefoxFolder) {
        FillFlat(row.id, into);
      }
    }
  }

  // Adds the bookmarks and separators of `folder` and of every folder below it to `into`,
  // in order, without a level of their own and without recursion.
  void FillFlat(std::int64_t folder, BookmarkNode* into) {
    std::vector<std::pair<const std::vector<FirefoxRow>*, std::size_t>> stack;
    const auto enter = [&](std::int64_t id) {
      const auto it = children_.find(id);
      if (it != children_.end() && filled_.insert(id).second) stack.emplace_back(&it->second, 0);
    };
    enter(folder);
    while (!stack.empty()) {
      const auto [rows, next] = stack.back();
      if (next == rows->size()) {
        stack.pop_back();
        continue;
      }
      ++stack.back().second;
      const FirefoxRow& row = (*rows)[next];
      if (std::optional<BookmarkNode> leaf = LeafNode(row)) {
        into->children.push_back(std::move(*leaf));
      } else if (row.type == kFirefoxFolder) {
        enter(row.id);
      }
    }
  }

  const std::vector<FirefoxRow>* Children(std::int64_t folder) const {
    const auto it = children_.find(folder);
    return it == children_.end() ? nullptr : &it->second;
  }

 private:
  std::map<std::int64_t, std::vector<FirefoxRow>> children_;
  std::set<std::int64_t> filled_;  // a parent loop in a damaged file is walked once
};

SourceStatus ReadFirefoxBookmarks(sqlite3* db, BookmarkNode* root) {
  if (!HasTable(db, "moz_bookmarks") || !HasTable(db, "moz_places")) {
    return Prepare(db, "SELECT 1 FROM sqlite_master") ? SourceStatus::kUnknownKind
                                                      : SourceStatus::kDamaged;
  }
  StatementPtr query = Prepare(db,
                               "SELECT b.id, b.parent, b.type, b.title, p.url, b.guid "
                               "FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk "
                               "ORDER BY b.parent, b.position, b.id");
  if (!query) return SourceStatus::kDamaged;
  std::map<std::int64_t, std::vector<FirefoxRow>> children;
  std::int64_t top = -1;
  int rc;
  while ((rc = sqlite3_step(query.get())) == SQLITE_ROW) {
    FirefoxRow row{sqlite3_column_int64(query.get(), 0), sqlite3_column_int(query.get(), 2),
                   std::string(ColumnText(query.get(), 3)), std::string(ColumnText(query.get(), 4)),
                   std::string(ColumnText(query.get(), 5))};
    if (row.guid == "root________") top = row.id;
    children[sqlite3_column_int64(query.get(), 1)].push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) return SourceStatus::kDamaged;

  *root = BookmarkNode{};
  FirefoxTree tree(std::move(children));
  const std::vector<FirefoxRow>* tops = tree.Children(top);
  if (tops == nullptr) return SourceStatus::kRead;
  for (const FirefoxRow& row : *tops) {
    const char* title = FirefoxTopFolderTitle(row.guid);
    if (title == nullptr || row.type != kFirefoxFolder) continue;
    BookmarkNode folder;
    folder.title = title;
    tree.Fill(row.id, 1, &folder);
    root->children.push_back(std::move(folder));
  }
  return SourceStatus::kRead;
}

bool ReadTextFile(const fs::path& path, std::string* text) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  if (error || size > kMaxTextFileSize) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

SourceStatus ReadBookmarkFile(const std::string& path, const TextDecoder& decode,
                              const DiagnosticLine& diagnose, BookmarkNode* root,
                              BookmarkSourceKind* kind) {
  std::error_code error;
  const fs::path file = PathFromUtf8(path);
  const fs::file_status status = fs::status(file, error);
  if (!fs::exists(status)) return SourceStatus::kMissing;
  // Checked before the open so that a FIFO in its place cannot block it.
  if (!fs::is_regular_file(status)) return SourceStatus::kUnreadable;
  std::string head(kSqliteHeader.size(), '\0');
  {
    std::ifstream in(file, std::ios::binary);
    if (!in) return SourceStatus::kUnreadable;
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
  }
  if (IsSqliteDatabase(head)) {
    const SourceStatus read =
        ReadSqliteDatabaseCopy(path, [&](sqlite3* db) { return ReadFirefoxBookmarks(db, root); });
    if (read == SourceStatus::kRead) *kind = BookmarkSourceKind::kFirefox;
    return read;
  }
  std::string text;
  if (!ReadTextFile(file, &text)) return SourceStatus::kUnreadable;
  const DiagnosticLine about_file = [&](const std::string& line) {
    if (diagnose) diagnose(path + ": " + line);
  };
  // Text in UTF-16 is told apart once decoded; the other sets hold the ASCII marks as
  // they are, and an HTML file is decoded as its <META> says once it is known as one.
  std::string utf16_text;
  const bool utf16 = text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
  if (utf16) utf16_text = DecodeBookmarksHtml(text, decode, about_file);
  std::string_view content = utf16 ? utf16_text : text;
  if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
  const std::size_t first = content.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && content[first] == '{') {
    if (!ParseChromiumBookmarks(content, root)) return SourceStatus::kDamaged;
    *kind = BookmarkSourceKind::kChromium;
    return SourceStatus::kRead;
  }
  if (LooksLikeBookmarksHtml(content)) {
    *root = ParseBookmarksHtml(utf16 ? utf16_text : DecodeBookmarksHtml(text, decode, about_file));
    *kind = BookmarkSourceKind::kHtml;
    return SourceStatus::kRead;
  }
  return SourceStatus::kUnknownKind;
}

}  // namespace zorvane::browsers
