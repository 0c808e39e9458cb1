// Chromium-family Bookmarks files: {"roots": {"bookmark_bar": NODE, "other": NODE,
// "synced": NODE}, ...} where a NODE is {"type": "url", "name", "url"} or
// {"type": "folder", "name", "children": [NODE...]}.
#include <nlohmann/json.hpp>

#include "browsers/bookmarks.h"

namespace zorvane::browsers {
namespace {

using Json = nlohmann::json;

// Folders nested deeper than this are left out, so a hostile file cannot exhaust the stack.
constexpr int kMaxDepth = 200;

std::string StringMember(const Json& node, const char* name) {
  const auto it = node.find(name);
  return it != node.end() && it->is_string() ? it->get<std::string>() : std::string();
}

void AddChildren(const Json& folder, int depth, BookmarkNode* into) {
  const auto children = folder.find("children");
  if (children == folder.end() || !children->is_array() || depth > kMaxDepth) return;
  for (const Json& child : *children) {
    if (!child.is_object()) continue;
    const std::string type = StringMember(child, "type");
    BookmarkNode node;
    node.title = StringMember(child, "name");
    if (type == "url") {
      node.kind = BookmarkNode::Kind::kBookmark;
      node.address = StringMember(child, "url");
    } else if (type == "folder") {
      AddChildren(child, depth + 1, &node);
    } else {
      continue;
    }
    into->children.push_back(std::move(node));
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
