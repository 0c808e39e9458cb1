// The bookmark text readers over any bytes: the HTML reader (after the decoding of its
// character set, through the platform's own sets) and the Chromium JSON reader never
// fail on their input; the decoded text and every title and address are well-formed
// UTF-8; every node they give is of a kind the import knows, with children only where it
// is a folder, and no folder deeper than the limit.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "browsers/bookmarks.h"
#include "fuzz/fuzz_check.h"
#include "platform/platform.h"

namespace {

using zorvane::browsers::BookmarkNode;

void CheckTree(const BookmarkNode& node, int depth, bool utf8) {
  FUZZ_CHECK(depth <= zorvane::browsers::kMaxFolderDepth + 1);
  if (node.kind != BookmarkNode::Kind::kFolder) FUZZ_CHECK(node.children.empty());
  if (node.kind != BookmarkNode::Kind::kBookmark) FUZZ_CHECK(node.address.empty());
  if (utf8) FUZZ_CHECK(zorvane::fuzz::IsUtf8(node.title) && zorvane::fuzz::IsUtf8(node.address));
  for (const BookmarkNode& child : node.children) CheckTree(child, depth + 1, utf8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::unique_ptr<zorvane::Platform> platform = zorvane::CreateDefaultPlatform();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string html = zorvane::browsers::DecodeBookmarksHtml(
      bytes,
      [](std::string_view charset, std::string_view text, std::string* utf8) {
        return platform->DecodeText(charset, text, utf8);
      },
      [](const std::string& line) { FUZZ_CHECK(line.find('\n') == std::string::npos); });
  FUZZ_CHECK(zorvane::fuzz::IsUtf8(html));
  CheckTree(zorvane::browsers::ParseBookmarksHtml(html), 0, true);
  BookmarkNode root;
  if (zorvane::browsers::ParseChromiumBookmarks(bytes, &root)) CheckTree(root, 0, false);
  return 0;
}
