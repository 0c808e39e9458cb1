// The bookmark text readers over any bytes: the HTML reader and the Chromium JSON reader
// never fail on their input, and every node they give is of a kind the import knows,
// with children only where it is a folder.
#include <cstdint>
#include <string_view>

#include "browsers/bookmarks.h"
#include "fuzz/fuzz_check.h"

namespace {

using zorvane::browsers::BookmarkNode;

void CheckTree(const BookmarkNode& node, int depth) {
  FUZZ_CHECK(depth <= 202);
  if (node.kind != BookmarkNode::Kind::kFolder) FUZZ_CHECK(node.children.empty());
  if (node.kind != BookmarkNode::Kind::kBookmark) FUZZ_CHECK(node.address.empty());
  for (const BookmarkNode& child : node.children) CheckTree(child, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckTree(zorvane::browsers::ParseBookmarksHtml(bytes), 0);
  BookmarkNode root;
  if (zorvane::browsers::ParseChromiumBookmarks(bytes, &root)) CheckTree(root, 0);
  return 0;
}
