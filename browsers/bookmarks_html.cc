// Bookmarks HTML files. Browsers write them as
//   <META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
//   <DT><H3 ...>Folder</H3>
//   <DD>A description
//   <DL><p>
//     <DT><A HREF="https://..." ADD_DATE="...">Title</A>
//     <HR>
//   </DL><p>
// with unclosed <DT>, <DD> and <p> tags, and people and older programs leave out more.
//
// Sections:
// - the text: the character set from a byte order mark or a <META> (the prescan browsers
//   run over the first 1024 bytes), decoded to UTF-8;
// - the tree: gumbo parses the text as browsers parse HTML, into a tree of elements
//   whose implied ends are where a browser puts them; a walk over that tree, in document
//   order and without recursion, turns headings, lists and links into bookmark folders
//   and bookmarks.
#include <gumbo.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "base/charset.h"
#include "base/text.h"
#include "browsers/bookmarks.h"

namespace zorvane::browsers {
namespace {

// ---- The text ----------------------------------------------------------------------------

// Browsers look for a declared character set in this many bytes at the start of a file.
constexpr std::size_t kPrescanBytes = 1024;
// A declared name longer than this is cut in the diagnostic.
constexpr std::size_t kMaxNameChars = 40;

// HTML's ASCII whitespace.
bool IsSpace(char c) { return text::IsOneOf(c, text::kHtmlWhitespace); }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// One attribute of a tag, read from text[*i] on as browsers' prescan reads it; moves *i
// past it. False at the tag's ">" (left at *i) or at the end of the text.
bool ReadAttribute(std::string_view text, std::size_t* i, std::string* name, std::string* value) {
  std::size_t at = *i;
  while (at < text.size() && (IsSpace(text[at]) || text[at] == '/')) ++at;
  *i = at;
  if (at >= text.size() || text[at] == '>') return false;
  name->clear();
  value->clear();
  // The name runs to "=", a blank, "/" or ">"; "=" as its first byte belongs to it.
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if ((c == '=' && !name->empty()) || IsSpace(c) || c == '/' || c == '>') break;
    *name += text::AsciiLower(c);
  }
  while (at < text.size() && IsSpace(text[at])) ++at;
  if (at >= text.size()) return false;
  if (text[at] != '=') {
    *i = at;
    return true;
  }
  ++at;
  while (at < text.size() && IsSpace(text[at])) ++at;
  if (at >= text.size()) return false;
  if (text[at] == '"' || text[at] == '\'') {
    const std::size_t close = text.find(text[at], at + 1);
    if (close == std::string_view::npos) return false;
    value->assign(text.substr(at + 1, close - at - 1));
    *i = close + 1;
    return true;
  }
  const std::size_t start = at;
  while (at < text.size() && !IsSpace(text[at]) && text[at] != '>') ++at;
  if (at >= text.size()) return false;
  value->assign(text.substr(start, at - start));
  *i = at;
  return true;
}

// The set named by "charset=NAME" in the CONTENT of an http-equiv <META>; "" when none.
std::string CharsetFromContent(std::string_view content) {
  std::size_t at = 0;
  while ((at = text::FindIgnoringAsciiCase(content, "charset", at)) != std::string_view::npos) {
    at += 7;
    while (at < content.size() && IsSpace(content[at])) ++at;
    if (at >= content.size() || content[at] != '=') continue;
    ++at;
    while (at < content.size() && IsSpace(content[at])) ++at;
    if (at >= content.size()) return {};
    if (content[at] == '"' || content[at] == '\'') {
      const std::size_t close = content.find(content[at], at + 1);
      if (close == std::string_view::npos) return {};
      return std::string(content.substr(at + 1, close - at - 1));
    }
    const std::size_t start = at;
    while (at < content.size() && !IsSpace(content[at]) && content[at] != ';') ++at;
    return std::string(content.substr(start, at - start));
  }
  return {};
}

// The character set the <META> elements of `head` declare: the first one whose name is
// known, else the first name declared at all (for the diagnostic), else "". Comments
// and the attributes of other tags are skipped, so a "charset=" inside them counts not.
std::string DeclaredCharset(std::string_view head) {
  std::string unknown;
  std::string name;
  std::string value;
  std::size_t i = 0;
  while (i < head.size()) {
    if (head.substr(i, 4) == "<!--") {
      const std::size_t close = head.find("-->", i + 2);
      if (close == std::string_view::npos) break;
      i = close + 3;
    } else if (i + 5 < head.size() && text::EqualsIgnoringAsciiCase(head.substr(i, 5), "<meta") &&
               (IsSpace(head[i + 5]) || head[i + 5] == '/')) {
      i += 5;
      std::set<std::string> seen;
      bool got_pragma = false;
      bool need_pragma = false;
      std::string charset;
      while (ReadAttribute(head, &i, &name, &value)) {
        if (!seen.insert(name).second) continue;
        if (name == "http-equiv") {
          got_pragma = got_pragma || text::EqualsIgnoringAsciiCase(value, "content-type");
        } else if (name == "content" && charset.empty()) {
          charset = CharsetFromContent(value);
          need_pragma = !charset.empty();
        } else if (name == "charset") {
          charset = value;
          need_pragma = false;
        }
      }
      if (charset.empty() || (need_pragma && !got_pragma)) continue;
      const charset::Id id = charset::FromName(charset);
      if (id == charset::Id::kUnknown) {
        if (unknown.empty()) unknown = charset;
        continue;
      }
      // A file whose <META> could be read as ASCII is in no UTF-16.
      if (id == charset::Id::kUtf16Le || id == charset::Id::kUtf16Be) return "UTF-8";
      return charset;
    } else if (head[i] == '<' && i + 1 < head.size() &&
               (IsAsciiLetter(head[i + 1]) ||
                (head[i + 1] == '/' && i + 2 < head.size() && IsAsciiLetter(head[i + 2])))) {
      while (i < head.size() && !IsSpace(head[i]) && head[i] != '>') ++i;
      while (ReadAttribute(head, &i, &name, &value)) {
      }
      ++i;
    } else if (head.substr(i, 2) == "<!" || head.substr(i, 2) == "</" ||
               head.substr(i, 2) == "<?") {
      const std::size_t close = head.find('>', i + 2);
      if (close == std::string_view::npos) break;
      i = close + 1;
    } else {
      ++i;
    }
  }
  return unknown;
}

// ---- The tree ----------------------------------------------------------------------------

// gumbo frees its tree with one nested call per level, so a file of a million unclosed
// <span>s would overflow the stack in gumbo_destroy_output. The parse allocates from
// this pool instead, which keeps its blocks in a list and frees what is left in one loop:
// the tree is never destroyed node by node.
class ParsePool final {
 public:
  ParsePool() = default;
  ~ParsePool() {
    while (head_ != nullptr) {
      Block* next = head_->next;
      std::free(head_);
      head_ = next;
    }
  }
  ParsePool(const ParsePool&) = delete;
  ParsePool& operator=(const ParsePool&) = delete;

  static void* Allocate(void* userdata, std::size_t size) {
    auto* pool = static_cast<ParsePool*>(userdata);
    auto* block = static_cast<Block*>(std::malloc(sizeof(Block) + size));
    if (block == nullptr) std::abort();  // gumbo has no way to take a failure
    block->prev = nullptr;
    block->next = pool->head_;
    if (pool->head_ != nullptr) pool->head_->prev = block;
    pool->head_ = block;
    return block + 1;
  }
  static void Deallocate(void* userdata, void* memory) {
    if (memory == nullptr) return;
    auto* pool = static_cast<ParsePool*>(userdata);
    Block* block = static_cast<Block*>(memory) - 1;
    (block->prev != nullptr ? block->prev->next : pool->head_) = block->next;
    if (block->next != nullptr) block->next->prev = block->prev;
    std::free(block);
  }

 private:
  // The header before each block; its alignment keeps the block after it aligned.
  struct alignas(std::max_align_t) Block {
    Block* prev;
    Block* next;
  };
  Block* head_ = nullptr;
};

bool IsHtmlElement(const GumboNode* node) {
  return (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) &&
         node->v.element.tag_namespace == GUMBO_NAMESPACE_HTML;
}

GumboTag TagOf(const GumboNode* node) {
  return IsHtmlElement(node) ? node->v.element.tag : GUMBO_TAG_UNKNOWN;
}

const GumboVector* ChildrenOf(const GumboNode* node) {
  if (node->type == GUMBO_NODE_DOCUMENT) return &node->v.document.children;
  if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) {
    return &node->v.element.children;
  }
  return nullptr;
}

// The HREF of an <A> the file holds, or null. When an <A> is left open, the parser
// repeats it (a copy with the same HREF) around text that follows in other elements,
// as browsers do for formatting; such copies are no bookmarks of the user's.
const GumboAttribute* LinkOf(const GumboNode* node) {
  constexpr unsigned kCopied =
      GUMBO_INSERTION_RECONSTRUCTED_FORMATTING_ELEMENT | GUMBO_INSERTION_ADOPTION_AGENCY_CLONED;
  if (TagOf(node) != GUMBO_TAG_A || (node->parse_flags & kCopied) != 0) return nullptr;
  return gumbo_get_attribute(&node->v.element.attributes, "href");
}

// Elements that make the tree of bookmarks rather than the text of a title.
bool IsStructure(const GumboNode* node) {
  switch (TagOf(node)) {
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_HR:
      return true;
    case GUMBO_TAG_A:
      return LinkOf(node) != nullptr;
    default:
      return false;
  }
}

std::string_view TrimSpace(std::string_view text) {
  text = text::Trim(text, text::kHtmlWhitespace);
  return text;
}

// The title of a heading or link: the text within it, in document order, up to the first
// element of the structure (where a missing end tag let the next bookmark in), without
// blanks at either end.
std::string TitleOf(const GumboNode* element) {
  std::string title;
  std::vector<std::pair<const GumboNode*, unsigned>> stack{{element, 0}};
  while (!stack.empty()) {
    auto& [node, next] = stack.back();
    const GumboVector* children = ChildrenOf(node);
    if (children == nullptr || next >= children->length) {
      stack.pop_back();
      continue;
    }
    const auto* child = static_cast<const GumboNode*>(children->data[next++]);
    if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE ||
        child->type == GUMBO_NODE_CDATA) {
      title += child->v.text.text;
    } else if (IsStructure(child)) {
      break;
    } else if (ChildrenOf(child) != nullptr) {
      stack.emplace_back(child, 0);
    }
  }
  return std::string(TrimSpace(title));
}

// Builds the bookmark tree in one walk over the parsed document.
class TreeBuilder final {
 public:
  BookmarkNode Build(const GumboNode* document) {
    BookmarkNode root;
    open_.push_back({&root, 0});
    struct Frame {
      const GumboNode* node;
      unsigned next_child;
      std::size_t open_lists;  // open_ and in_description_ as they were before the node
      bool in_description;
    };
    std::vector<Frame> stack{{document, 0, open_.size(), false}};
    while (!stack.empty()) {
      Frame& frame = stack.back();
      const GumboVector* children = ChildrenOf(frame.node);
      if (children == nullptr || frame.next_child >= children->length) {
        Leave(frame.node, frame.open_lists, frame.in_description);
        stack.pop_back();
        continue;
      }
      const auto* child = static_cast<const GumboNode*>(children->data[frame.next_child++]);
      if (!IsHtmlElement(child)) continue;  // text counts only in titles
      stack.push_back({child, 0, open_.size(), in_description_});
      Enter(child);
    }
    return root;
  }

 private:
  // A folder whose list is open, and its depth.
  struct OpenFolder {
    BookmarkNode* folder;
    int depth;
  };

  void Enter(const GumboNode* element) {
    switch (TagOf(element)) {
      case GUMBO_TAG_DL: {
        // The list of the folder just named, or, after anything else (the file's
        // outermost list, a folder below the depth limit), no level of its own.
        const OpenFolder top = open_.back();
        open_.push_back(folder_named_ ? OpenFolder{&top.folder->children.back(), top.depth + 1}
                                      : top);
        folder_named_ = false;
        in_description_ = false;
        break;
      }
      case GUMBO_TAG_H3: {
        const OpenFolder top = open_.back();
        folder_named_ = top.depth < kMaxFolderDepth;
        if (folder_named_) {
          BookmarkNode folder;
          folder.title = TitleOf(element);
          top.folder->children.push_back(std::move(folder));
        }
        break;
      }
      case GUMBO_TAG_H1:  // the file's heading, no folder
        folder_named_ = false;
        break;
      case GUMBO_TAG_A:
        if (const GumboAttribute* href = LinkOf(element); href != nullptr && !in_description_) {
          BookmarkNode bookmark;
          bookmark.kind = BookmarkNode::Kind::kBookmark;
          bookmark.title = TitleOf(element);
          bookmark.address = href->value;
          Add(std::move(bookmark));
        }
        break;
      case GUMBO_TAG_HR: {
        BookmarkNode separator;
        separator.kind = BookmarkNode::Kind::kSeparator;
        Add(std::move(separator));
        break;
      }
      case GUMBO_TAG_DD:
        in_description_ = true;
        break;
      default:
        break;
    }
  }

  void Leave(const GumboNode* element, std::size_t open_lists, bool in_description) {
    if (TagOf(element) == GUMBO_TAG_DL) {
      open_.resize(open_lists);
      folder_named_ = false;  // a folder named inside the list has no list after it
    }
    in_description_ = in_description;
  }

  // Adds a bookmark or separator to the open folder; a folder named before it has no list.
  void Add(BookmarkNode node) {
    open_.back().folder->children.push_back(std::move(node));
    folder_named_ = false;
  }

  // The folders whose lists are open, the root first. Nodes are only ever added to the
  // last, so the pointers to those before it stay valid.
  std::vector<OpenFolder> open_;
  // Whether the last thing added to the open folder is a folder an <H3> named, which
  // takes the <DL> that comes next as its content.
  bool folder_named_ = false;
  bool in_description_ = false;
};

}  // namespace

bool LooksLikeBookmarksHtml(std::string_view text) {
  return text::FindIgnoringAsciiCase(text, "netscape-bookmark-file-1") != std::string_view::npos ||
         text::FindIgnoringAsciiCase(text, "<dl") != std::string_view::npos;
}

std::string DecodeBookmarksHtml(std::string_view bytes, const TextDecoder& decode,
                                const DiagnosticLine& diagnose) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return charset::Utf8Lossy(bytes.substr(3));
  if (bytes.starts_with("\xFF\xFE")) return charset::Utf16ToUtf8(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return charset::Utf16ToUtf8(bytes.substr(2), true);
  const std::string declared = DeclaredCharset(bytes.substr(0, kPrescanBytes));
  if (declared.empty() || charset::FromName(declared) == charset::Id::kUtf8) {
    return charset::Utf8Lossy(bytes);
  }
  std::string utf8;
  if (charset::FromName(declared) != charset::Id::kUnknown && decode &&
      decode(declared, bytes, &utf8)) {
    return utf8;
  }
  if (diagnose) {
    // The name as declared, on one line and not too long to read.
    std::string name(text::FirstChars(charset::Utf8Lossy(declared), kMaxNameChars));
    std::replace_if(
        name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, '?');
    diagnose("unknown charset \"" + name + "\", read as UTF-8");
  }
  return charset::Utf8Lossy(bytes);
}

BookmarkNode ParseBookmarksHtml(std::string_view html) {
  ParsePool pool;
  GumboOptions options = kGumboDefaultOptions;
  options.allocator = &ParsePool::Allocate;
  options.deallocator = &ParsePool::Deallocate;
  options.userdata = &pool;
  options.max_errors = 0;  // the errors of loose markup are not kept, only the tree
  const GumboOutput* output =
      gumbo_parse_with_options(&options, html.empty() ? "" : html.data(), html.size());
  return TreeBuilder().Build(output->document);
  // The pool frees the tree; gumbo_destroy_output would recurse through it.
}

}  // namespace zorvane::browsers
