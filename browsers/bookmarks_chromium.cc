// Chromium-family Bookmarks files: {"roots": {"bookmark_bar": NODE, "other": NODE,
// "synced": NODE}, ...} where a NODE is {"type": "url", "name", "url"} or
// {"type": "folder", "name", "children": [NODE...]}.
#include <nlohmann/json.hpp>

#include <utility>
#include <vector>

#include "browsers/bookmarks.h"

namespace zorvane::browsers {
namespace {

using Json = nlohmann::json;

std::string StringMember(const Json& node, const char* name) {
  const auto it = node.find(name);
  return it != node.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// The "children" array of a folder node; null when it has none.
const Json* ChildrenOf(const Json& folder) {
  const auto children = folder.find("children");
  return children != folder.end() && children->is_array() ? &*children : nullptr;
}

BookmarkNode Bookmark(const Json& node) {
  BookmarkNode bookmark;
  bookmark.kind = BookmarkNode::Kind::kBookmark;
  bookmark.title = StringMember(node, "name");
  bookmark.address = StringMember(node, "url");
  return bookmark;
}

// Adds the bookmarks of `folder` and of every folder below it to `into`, in order,
// without a level of their own and without recursion.
void AddFlat(const Json& folder, BookmarkNode* into) {
  std::vector<std::pair<const Json*, std::size_t>> stack;
  if (const Json* children = ChildrenOf(folder)) stack.emplace_back(children, 0);
  while (!stack.empty()) {
    const auto [children, next] = stack.back();
    if (next == children->size()) {
      stack.pop_back();
      continue;
    }
    ++stack.back().second;
    const Json& child = (*children)[next];
    if (!child.is_object()) continue;
    const std::string type = StringMember(child, "type");
    if (type == "url") {
      into->children.push_back(Bookmark(child));
    } else if (const Json* grandchildren = ChildrenOf(child); type == "folder" && grandchildren) {
      stack.emplace_back(grandchildren, 0);
    }
  }
}

// Adds what `folder` holds to `into`, a folder at `depth`: its folders as folders down
// to kMaxFolderDepth, and below that what they hold straight into the deepest one.
void AddChildren(const Json& folder, int depth, BookmarkNode* into) {
  const Json* children = ChildrenOf(folder);
  if (children == nullptr) return;
  for (const Json& child : *children) {
    if (!child.is_object()) continue;
    const std::string type = StringMember(child, "type");
    if (type == "url") {
      into->children.push_back(Bookmark(child));
    } else if (type == "folder" && depth < kMaxFolderDepth) {
      BookmarkNode node;
      node.title = StringMember(child, "name");
      AddChildren(child, depth + 1, &node);
      into->children.push_back(std::move(node));
    } else if (type == "folder") {
      AddFlat(child, into);
    }
  }
}

}  // namespace

bool ParseChromiumBookmarks(std::string_view json, BookmarkNode* root) {
  const Json document = Json::parse(json.begin(), json.end(), nullptr, /*allow_exceptions=*/false);
  if (!document.is_object()) return false;
  const auto roots = document.find("roots");
  if (roots == document.end() || !roots->is_object()) return false;
  *root = BookmarkNode{};
  constexpr std::pair<const char*, const char*> kRoots[] = {
      {"bookmark_bar", kChromiumBarFolder},
      {"other", kChromiumOtherFolder},
      {"synced", kChromiumMobileFolder},
  };
  for (const auto& [key, title] : kRoots) {
    const auto folder = roots->find(key);
    if (folder == roots->end() || !folder->is_object()) continue;
    BookmarkNode node;
    node.title = title;
    AddChildren(*folder, 1, &node);
    root->children.push_back(std::move(node));
  }
  return true;
}

}  // namespace zorvane::browsers
