#include "urlcache/cache_list.h"

#include <cerrno>
#include <limits>
#include <memory>

#include "base/text.h"
#include "urlcache/source_file.h"

namespace zorvane::urlcache {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view TrimBlanks(std::string_view s) { return text::Trim(s, text::kSpaceTab); }

// Digits of `base` (10 or 16) making up all of `s`, at most `limit`; false otherwise.
// With `saturate`, a larger value gives `limit` instead of false.
bool ParseUnsigned(std::string_view s, unsigned base, std::uint64_t limit, bool saturate,
                   std::uint64_t* value) {
  if (s.empty()) return false;
  std::uint64_t v = 0;
  bool over = false;
  for (char c : s) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    if (!over) {
      v = v * base + digit;
      if (v > limit) over = true;
    }
  }
  if (over && !saturate) return false;
  *value = over ? limit : v;
  return true;
}

// Feeds lines to `visit_line` (a callable taking the line, returning false to stop) as
// they complete. A line that lies whole in the bytes fed is handed over where it lies;
// only a line split between two feeds is gathered in a buffer of its own, which keeps
// its room for the next one.
template <typename VisitLine>
class LineSplitter final {
 public:
  explicit LineSplitter(const VisitLine& visit_line) : visit_line_(visit_line) {}

  // False when the line visitor asked to stop.
  bool Feed(std::string_view bytes) {
    while (!bytes.empty()) {
      const std::size_t lf = bytes.find('\n');
      if (lf == std::string_view::npos) {
        Gather(bytes);
        return true;
      }
      const std::string_view piece = bytes.substr(0, lf);
      bytes.remove_prefix(lf + 1);
      bool go_on;
      if (pending_.empty() && !overlong_) {
        go_on = EndLine(piece, piece.size() > kMaxCacheListLine + 1);
      } else {
        Gather(piece);
        go_on = EndLine(pending_, overlong_);
        pending_.clear();
        overlong_ = false;
      }
      if (!go_on) return false;
    }
    return true;
  }

  // Ends the input: the last line needs no line break.
  bool Finish() {
    if (pending_.empty() && !overlong_) return true;
    const bool go_on = EndLine(pending_, overlong_);
    pending_.clear();
    overlong_ = false;
    return go_on;
  }

 private:
  // Keeps the start of a line that goes on in the next feed; one longer than any line
  // that is read is dropped at once.
  void Gather(std::string_view piece) {
    if (overlong_) return;
    if (pending_.size() + piece.size() > kMaxCacheListLine + 1) {
      overlong_ = true;
      pending_.clear();
    } else {
      pending_.append(piece);
    }
  }

  bool EndLine(std::string_view line, bool overlong) {
    const bool first = first_line_;
    first_line_ = false;
    if (overlong) return true;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first && line.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
      line.remove_prefix(kByteOrderMark.size());
    }
    return visit_line_(line);
  }

  const VisitLine& visit_line_;
  std::string pending_;
  bool overlong_ = false;
  bool first_line_ = true;
};

// The fields of an entry line; the address as the line holds it (UTF-8).
bool ParseFields(std::string_view line, std::uint32_t* type, std::uint32_t* hits,
                 std::string_view* address) {
  if (line.size() > kMaxCacheListLine) return false;
  if (TrimBlanks(line).empty() || line.front() == '#') return false;
  // The tabs lie near the start: a plain loop finds them sooner than a library search.
  const auto find_tab = [&](std::size_t from) {
    for (std::size_t i = from; i < line.size(); ++i) {
      if (line[i] == '\t') return i;
    }
    return std::string_view::npos;
  };
  const std::size_t tab1 = find_tab(0);
  if (tab1 == std::string_view::npos) return false;
  const std::size_t tab2 = find_tab(tab1 + 1);
  if (tab2 == std::string_view::npos) return false;

  constexpr std::uint64_t kMaxType = std::numeric_limits<std::uint32_t>::max();
  constexpr std::uint64_t kMaxHits = std::numeric_limits<std::int32_t>::max();
  std::string_view type_text = TrimBlanks(line.substr(0, tab1));
  std::uint64_t type_value = 0;
  if (type_text.size() > 2 && type_text[0] == '0' && (type_text[1] == 'x' || type_text[1] == 'X')) {
    if (!ParseUnsigned(type_text.substr(2), 16, kMaxType, false, &type_value)) return false;
  } else if (!ParseUnsigned(type_text, 10, kMaxType, false, &type_value)) {
    return false;
  }
  std::uint64_t hits_value = 0;
  std::string_view hits_text = TrimBlanks(line.substr(tab1 + 1, tab2 - tab1 - 1));
  if (!hits_text.empty() && hits_text.front() == '+') hits_text.remove_prefix(1);
  if (!ParseUnsigned(hits_text, 10, kMaxHits, true, &hits_value)) return false;
  *address = line.substr(tab2 + 1);
  if (address->empty()) return false;

  *type = static_cast<std::uint32_t>(type_value);
  *hits = static_cast<std::uint32_t>(hits_value);
  return true;
}

// Hands each entry over with its address where it lies in the line, in UTF-8.
auto EntryVisitor(const std::function<bool(const UrlCacheEntry&)>& visit) {
  return [&visit](std::string_view line) {
    std::uint32_t type = 0, hits = 0;
    std::string_view address;
    if (!ParseFields(line, &type, &hits, &address)) return true;
    return visit(UrlCacheEntry{type, address, hits, AddressEncoding::kUtf8});
  };
}

// Large reads: a system call per mebibyte, and a buffer that stays warm in the cache.
constexpr std::size_t kReadSize = 1 << 20;

}  // namespace

bool ParseCacheListLine(std::string_view line, std::uint32_t* type, std::uint32_t* hits,
                        std::string_view* address) {
  return ParseFields(line, type, hits, address);
}

bool EnumerateCacheList(std::string_view text,
                        const std::function<bool(const UrlCacheEntry&)>& visit) {
  const auto visit_line = EntryVisitor(visit);
  LineSplitter splitter(visit_line);
  return splitter.Feed(text) && splitter.Finish();
}

bool EnumerateCacheListFile(const std::string& path,
                            const std::function<bool(const UrlCacheEntry&)>& visit) {
  SourceFile file(path);
  if (!file.valid()) return true;
  const auto visit_line = EntryVisitor(visit);
  LineSplitter splitter(visit_line);
  const std::unique_ptr<char[]> buffer(new char[kReadSize]);
  for (;;) {
    const std::size_t got = file.Read(buffer.get(), kReadSize);
    if (got == 0) break;
    if (!splitter.Feed(std::string_view(buffer.get(), got))) return false;
    if (got < kReadSize) break;
  }
  return splitter.Finish();
}

}  // namespace zorvane::urlcache
