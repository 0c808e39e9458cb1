// Bookmarks HTML files. Browsers write them as
//   <DT><H3 ...>Folder</H3>
//   <DL><p>
//     <DT><A HREF="https://..." ADD_DATE="...">Title</A>
//     <HR>
//   </DL><p>
// with unclosed <DT> and <p> tags. The reader walks the tags with a small state machine
// and keeps a stack of the folders whose <DL> is open; a </DL> too many, a <DL> without
// a folder before it, or a file cut short never derail it.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

#include "browsers/bookmarks.h"
#include "platform/text.h"

namespace zorvane::browsers {
namespace {

// Folders nested deeper than this stay flat, so a hostile file cannot exhaust memory.
constexpr std::size_t kMaxDepth = 200;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// Finds `needle` (lower-case ASCII) in `haystack` from `from`, without regard to case.
std::size_t FindIgnoringCase(std::string_view haystack, std::string_view needle,
                             std::size_t from = 0) {
  const auto it = std::search(
      haystack.begin() + static_cast<std::ptrdiff_t>(std::min(from, haystack.size())),
      haystack.end(), needle.begin(), needle.end(), [](char a, char b) { return Lower(a) == b; });
  return it == haystack.end() ? std::string_view::npos
                              : static_cast<std::size_t>(it - haystack.begin());
}

// Decodes character references: the five named ones and &#N; / &#xH;. Anything else
// stays as written.
std::string DecodeEntities(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t amp = text.find('&', i);
    out.append(text.substr(i, amp - i));
    if (amp == std::string_view::npos) break;
    const std::size_t semicolon = text.find(';', amp);
    if (semicolon == std::string_view::npos || semicolon - amp > 10) {
      out += '&';
      i = amp + 1;
      continue;
    }
    const std::string_view name = text.substr(amp + 1, semicolon - amp - 1);
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    bool done = false;
    for (const auto& [entity, c] : kNamed) {
      if (name == entity) {
        out += c;
        done = true;
      }
    }
    if (!done && name.size() >= 2 && name[0] == '#') {
      const bool hex = Lower(name[1]) == 'x';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      std::uint32_t cp = 0;
      bool valid = !digits.empty();
      for (const char c : digits) {
        const int digit = c >= '0' && c <= '9'                        ? c - '0'
                          : hex && Lower(c) >= 'a' && Lower(c) <= 'f' ? Lower(c) - 'a' + 10
                                                                      : -1;
        if (digit < 0 || cp > 0x10FFFF) {
          valid = false;
          break;
        }
        cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
      }
      if (valid && cp != 0 && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF)) {
        text::AppendUtf8(cp, &out);
        done = true;
      }
    }
    if (!done) {
      out.append(text.substr(amp, semicolon - amp + 1));
    }
    i = semicolon + 1;
  }
  return out;
}

// Text between tags: entities decoded, runs of blanks and line breaks as one space, none
// at either end.
std::string CleanText(std::string_view raw) {
  std::string collapsed;
  bool space = false;
  for (const char c : raw) {
    if (IsSpace(c)) {
      space = !collapsed.empty();
      continue;
    }
    if (space) collapsed += ' ';
    space = false;
    collapsed += c;
  }
  return DecodeEntities(collapsed);
}

struct Tag {
  std::string name;     // lower case, "/" first for an end tag
  std::string href;     // the HREF attribute, decoded
  std::size_t end = 0;  // the position after ">"
};

// Reads the tag that starts at html[lt] ("<"). False when none can be read there.
bool ReadTag(std::string_view html, std::size_t lt, Tag* tag) {
  std::size_t i = lt + 1;
  tag->name.clear();
  tag->href.clear();
  if (i < html.size() && html[i] == '/') {
    tag->name += '/';
    ++i;
  }
  while (i < html.size() && std::isalnum(static_cast<unsigned char>(html[i]))) {
    tag->name += Lower(html[i++]);
  }
  if (tag->name.empty() || tag->name == "/") return false;
  // Attributes: NAME, NAME=VALUE, NAME="VALUE" or NAME='VALUE'.
  while (i < html.size() && html[i] != '>') {
    if (IsSpace(html[i]) || html[i] == '/') {
      ++i;
      continue;
    }
    std::string name;
    while (i < html.size() && !IsSpace(html[i]) && html[i] != '=' && html[i] != '>') {
      name += Lower(html[i++]);
    }
    while (i < html.size() && IsSpace(html[i])) ++i;
    std::string_view value;
    if (i < html.size() && html[i] == '=') {
      ++i;
      while (i < html.size() && IsSpace(html[i])) ++i;
      if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
        const char quote = html[i++];
        const std::size_t close = html.find(quote, i);
        const std::size_t stop = close == std::string_view::npos ? html.size() : close;
        value = html.substr(i, stop - i);
        i = close == std::string_view::npos ? html.size() : close + 1;
      } else {
        const std::size_t start = i;
        while (i < html.size() && !IsSpace(html[i]) && html[i] != '>') ++i;
        value = html.substr(start, i - start);
      }
    }
    if (name == "href") tag->href = DecodeEntities(value);
  }
  tag->end = i < html.size() ? i + 1 : html.size();
  return true;
}

// The raw text after position `from` up to the end tag `</name>` (or the next tag of any
// kind when the end tag is missing); moves `*from` past the end tag.
std::string_view TextUntilEndTag(std::string_view html, std::string_view end_tag,
                                 std::size_t* from) {
  const std::size_t close = FindIgnoringCase(html, end_tag, *from);
  const std::size_t next_tag = html.find('<', *from);
  if (close != std::string_view::npos && close == next_tag) {
    const std::string_view text = html.substr(*from, close - *from);
    const std::size_t gt = html.find('>', close);
    *from = gt == std::string_view::npos ? html.size() : gt + 1;
    return text;
  }
  // Markup inside a title, or no end tag: the text runs to the end tag when there is
  // one, with the markup left out of the title.
  if (close != std::string_view::npos) {
    std::string_view text = html.substr(*from, close - *from);
    const std::size_t gt = html.find('>', close);
    *from = gt == std::string_view::npos ? html.size() : gt + 1;
    return text;
  }
  const std::size_t stop = next_tag == std::string_view::npos ? html.size() : next_tag;
  const std::string_view text = html.substr(*from, stop - *from);
  *from = stop;
  return text;
}

// `raw` without anything between "<" and ">".
std::string StripTags(std::string_view raw) {
  std::string out;
  bool in_tag = false;
  for (const char c : raw) {
    if (c == '<') in_tag = true;
    if (!in_tag) out += c;
    if (c == '>') in_tag = false;
  }
  return out;
}

}  // namespace

bool LooksLikeBookmarksHtml(std::string_view text) {
  return FindIgnoringCase(text, "netscape-bookmark-file-1") != std::string_view::npos ||
         FindIgnoringCase(text, "<dl") != std::string_view::npos;
}

BookmarkNode ParseBookmarksHtml(std::string_view html) {
  BookmarkNode root;
  // The folders whose <DL> is open; each is the last child of the one before it.
  std::vector<BookmarkNode*> open{&root};
  // The folder an <H3> just named, waiting for its <DL>.
  BookmarkNode* named_folder = nullptr;
  std::size_t i = 0;
  Tag tag;
  while ((i = html.find('<', i)) != std::string_view::npos) {
    if (html.substr(i, 4) == "<!--") {
      const std::size_t close = html.find("-->", i + 4);
      i = close == std::string_view::npos ? html.size() : close + 3;
      continue;
    }
    if (!ReadTag(html, i, &tag)) {
      ++i;
      continue;
    }
    i = tag.end;
    BookmarkNode* current = open.back();
    if (tag.name == "h3" || tag.name == "h1") {
      const std::string title = CleanText(StripTags(TextUntilEndTag(html, "</h", &i)));
      if (tag.name == "h1") continue;  // the file's own heading
      BookmarkNode folder;
      folder.title = title;
      current->children.push_back(std::move(folder));
      named_folder = &current->children.back();
    } else if (tag.name == "a") {
      BookmarkNode bookmark;
      bookmark.kind = BookmarkNode::Kind::kBookmark;
      bookmark.address = tag.href;
      bookmark.title = CleanText(StripTags(TextUntilEndTag(html, "</a", &i)));
      current->children.push_back(std::move(bookmark));
      named_folder = nullptr;
    } else if (tag.name == "hr") {
      BookmarkNode separator;
      separator.kind = BookmarkNode::Kind::kSeparator;
      current->children.push_back(std::move(separator));
      named_folder = nullptr;
    } else if (tag.name == "dl") {
      // A <DL> without a folder before it (the file's outermost list) adds no level.
      if (named_folder != nullptr && open.size() < kMaxDepth) {
        open.push_back(named_folder);
      } else {
        open.push_back(current);
      }
      named_folder = nullptr;
    } else if (tag.name == "/dl") {
      if (open.size() > 1) open.pop_back();
      named_folder = nullptr;
    }
  }
  return root;
}

}  // namespace zorvane::browsers
