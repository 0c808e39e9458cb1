#include "urlcache/cache_list.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>
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

// The fields of an entry line; the address as the line holds it (UTF-8).
inline bool ParseFields(std::string_view line, std::uint32_t* type, std::uint32_t* hits,
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

// The value of each byte as a hexadecimal digit, 16 for a byte that is none.
constexpr std::array<std::uint8_t, 256> kHexDigits = [] {
  std::array<std::uint8_t, 256> digits{};
  for (int c = 0; c < 256; ++c) {
    digits[c] = c >= '0' && c <= '9'   ? static_cast<std::uint8_t>(c - '0')
                : c >= 'a' && c <= 'f' ? static_cast<std::uint8_t>(c - 'a' + 10)
                : c >= 'A' && c <= 'F' ? static_cast<std::uint8_t>(c - 'A' + 10)
                                       : 16;
  }
  return digits;
}();

// The line most lists are made of, "0x" and hex digits, a tab, decimal digits, a tab and
// the address, read in one go: the fields ParseFields gives it. False, with nothing
// read, for any other line.
inline bool ParseUsualLine(std::string_view line, std::uint32_t* type, std::uint32_t* hits,
                           std::string_view* address) {
  // At most this many digits of each field, so that no value overflows on its way.
  constexpr std::size_t kMaxDigits = 15;
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t n = line.size();
  if (n > kMaxCacheListLine || n < 6 || p[0] != '0' || (p[1] | 0x20) != 'x') return false;
  // The tabs end the digits: the end of the line is looked for only where a field ends.
  const std::size_t digits_end = std::min(n, 2 + kMaxDigits);
  std::uint64_t type_value = 0;
  std::size_t i = 2;
  for (unsigned digit; i < digits_end && (digit = kHexDigits[p[i]]) < 16; ++i) {
    type_value = type_value * 16 + digit;
  }
  if (i == 2 || i >= digits_end || p[i] != '\t') return false;
  const std::size_t hits_start = ++i;
  const std::size_t hits_end = std::min(n, hits_start + kMaxDigits);
  std::uint64_t hits_value = 0;
  for (unsigned digit; i < hits_end && (digit = static_cast<unsigned>(p[i]) - '0') < 10; ++i) {
    hits_value = hits_value * 10 + digit;
  }
  if (i == hits_start || i >= hits_end || p[i] != '\t' || i + 1 == n) return false;
  if (type_value > std::numeric_limits<std::uint32_t>::max()) return false;
  constexpr std::uint64_t kMaxHits = std::numeric_limits<std::int32_t>::max();
  *type = static_cast<std::uint32_t>(type_value);
  *hits = static_cast<std::uint32_t>(std::min(hits_value, kMaxHits));
  *address = line.substr(i + 1);
  return true;
}

#if defined(__SSE2__)
// A bit for each LF among the sixty-four bytes at `bytes`, the first byte's the lowest.
inline std::uint64_t LineEnds(const char* bytes) {
  const __m128i lf = _mm_set1_epi8('\n');
  std::uint64_t mask = 0;
  for (int i = 0; i < 4; ++i) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * i));
    const auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lf)));
    mask |= std::uint64_t{bits} << (16 * i);
  }
  return mask;
}
#endif

// The lines of one cache list, given in pieces: each whole line is parsed where it lies
// and its entry added to the batch with its address in place (UTF-8). A line longer than
// kMaxCacheListLine + 1 bytes with its CR is skipped whole, however it was given.
class LineReader final {
 public:
  explicit LineReader(EntryBatch& batch) : batch_(batch) {}

  // Reads every line of `bytes` that ends with its LF; the number of bytes read, up to
  // just after the last LF. The rest starts a line that goes on in the next piece. Stops
  // early when the batch stops.
  std::size_t WholeLines(std::string_view bytes) {
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* line = begin;
    if (skipping_) {
      const void* lf = std::memchr(line, '\n', bytes.size());
      if (lf == nullptr) return bytes.size();
      line = static_cast<const char*>(lf) + 1;
      skipping_ = false;
      first_line_ = false;
    }
    // Line ends are found sixty-four bytes at a time, as the bits of a mask: lines are short,
    // and a call that looks for one byte costs more than the look itself.
    const char* search = line;
#if defined(__SSE2__)
    for (; end - search >= 64; search += 64) {
      for (std::uint64_t ends = LineEnds(search); ends != 0; ends &= ends - 1) {
        const char* const line_end = search + __builtin_ctzll(ends);
        if (!Line(std::string_view(line, static_cast<std::size_t>(line_end - line)))) {
          return static_cast<std::size_t>(line - begin);
        }
        line = line_end + 1;
      }
    }
#endif
    while (search != end) {
      const void* lf = std::memchr(search, '\n', static_cast<std::size_t>(end - search));
      if (lf == nullptr) break;
      const char* const line_end = static_cast<const char*>(lf);
      if (!Line(std::string_view(line, static_cast<std::size_t>(line_end - line)))) break;
      line = search = line_end + 1;
    }
    return static_cast<std::size_t>(line - begin);
  }

  // Gives up a line started in earlier pieces that is already too long to be read: the
  // bytes up to its LF are skipped.
  void SkipLongLine() { skipping_ = true; }

  // Reads the last line, which ended without a LF.
  void LastLine(std::string_view line) {
    if (!skipping_ && !line.empty()) Line(line);
  }

 private:
  // False when the batch stopped.
  bool Line(std::string_view line) {
    const bool first = first_line_;
    first_line_ = false;
    if (line.size() > kMaxCacheListLine + 1) return true;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first && line.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
      line.remove_prefix(kByteOrderMark.size());
    }
    std::uint32_t type = 0, hits = 0;
    std::string_view address;
    if (!ParseUsualLine(line, &type, &hits, &address) &&
        !ParseFields(line, &type, &hits, &address)) {
      return true;
    }
    if (!batch_.Wants(type)) return true;
    return batch_.Add(UrlCacheEntry{type, address, hits, AddressEncoding::kUtf8});
  }

  EntryBatch& batch_;
  bool first_line_ = true;
  bool skipping_ = false;
};

// The read buffer also holds the start of a line carried over from the read before, at
// most the longest line that is read.
constexpr std::size_t kLongestCarried = kMaxCacheListLine + 1;

}  // namespace

bool ParseCacheListLine(std::string_view line, std::uint32_t* type, std::uint32_t* hits,
                        std::string_view* address) {
  return ParseFields(line, type, hits, address);
}

bool ReadCacheList(std::string_view text, EntryBatch& batch) {
  LineReader reader(batch);
  const std::size_t read = reader.WholeLines(text);
  if (!batch.stopped()) {
    const std::string_view rest = text.substr(read);
    if (rest.size() > kLongestCarried) reader.SkipLongLine();
    reader.LastLine(rest);
  }
  return batch.Flush();
}

bool ReadCacheListFile(const std::string& path, EntryBatch& batch, std::size_t read_size) {
  SourceFile file(path);
  if (!file.valid()) return batch.Flush();
  LineReader reader(batch);
  read_size = std::max<std::size_t>(read_size, 1);
  const std::unique_ptr<char[]> buffer(new char[kLongestCarried + read_size]);
  std::size_t carried = 0;
  for (;;) {
    const std::size_t got = file.Read(buffer.get() + carried, read_size);
    if (got == 0) break;
    const std::string_view bytes(buffer.get(), carried + got);
    const std::size_t read = reader.WholeLines(bytes);
    // The entries point into the buffer, which the next read overwrites.
    if (!batch.Flush()) return false;
    const std::size_t rest = bytes.size() - read;
    if (rest > kLongestCarried) {
      reader.SkipLongLine();
      carried = 0;
    } else {
      std::memmove(buffer.get(), bytes.data() + read, rest);
      carried = rest;
    }
    if (got < read_size) break;
  }
  reader.LastLine(std::string_view(buffer.get(), carried));
  return batch.Flush();
}

bool EnumerateCacheList(std::string_view text,
                        const std::function<bool(const UrlCacheEntry&)>& visit) {
  const UrlCacheBatchVisitor each = EachEntry(visit);
  EntryBatch batch(each);
  return ReadCacheList(text, batch);
}

bool EnumerateCacheListFile(const std::string& path,
                            const std::function<bool(const UrlCacheEntry&)>& visit) {
  const UrlCacheBatchVisitor each = EachEntry(visit);
  EntryBatch batch(each);
  return ReadCacheListFile(path, batch);
}

}  // namespace zorvane::urlcache
