// The cache-list reader over any text: the file reader, which reads piece by piece (in
// reads of its own size and of a small size the input chooses, so that lines are carried
// from read to read), and the reader over the whole text yield the same entries, and each
// is what its line alone parses to; every hit count is one the ranking reads as a
// non-negative number.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "platform/posix/cp932.h"
#include "urlcache/cache_list.h"

namespace {

using Entry = std::tuple<std::uint32_t, std::string, std::uint32_t>;

class ScratchFile final {
 public:
  ScratchFile()
      : path_((std::filesystem::temp_directory_path() /
               ("zorvane-fuzz-cache-" + std::to_string(std::random_device{}()) + ".txt"))
                  .string()) {}
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The entries of `text` line by line: split at LF, one CR before it dropped, a byte
// order mark before the first line dropped.
std::vector<Entry> LineByLine(std::string_view text) {
  std::vector<Entry> entries;
  bool first = true;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    first = false;
    std::uint32_t type = 0, hits = 0;
    std::string_view address;
    if (zorvane::urlcache::ParseCacheListLine(line, &type, &hits, &address)) {
      entries.emplace_back(type, zorvane::cp932::FromUtf8(address), hits);
    }
  }
  return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zorvane;
  using namespace zorvane::urlcache;
  static const ScratchFile scratch;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  std::vector<Entry> whole;
  FUZZ_CHECK(EnumerateCacheList(text, [&](const UrlCacheEntry& entry) {
    FUZZ_CHECK(!entry.address.empty());
    FUZZ_CHECK(entry.hit_rate <= 0x7FFFFFFFu);
    whole.emplace_back(entry.type, cp932::FromUtf8(entry.address), entry.hit_rate);
    return true;
  }));
  FUZZ_CHECK(whole == LineByLine(text));

  {
    std::ofstream out(scratch.path(), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  std::vector<Entry> from_file;
  FUZZ_CHECK(EnumerateCacheListFile(scratch.path(), [&](const UrlCacheEntry& entry) {
    from_file.emplace_back(entry.type, cp932::FromUtf8(entry.address), entry.hit_rate);
    return true;
  }));
  FUZZ_CHECK(from_file == whole);

  std::vector<Entry> small_reads;
  const UrlCacheBatchVisitor each = EachEntry([&](const UrlCacheEntry& entry) {
    small_reads.emplace_back(entry.type, cp932::FromUtf8(entry.address), entry.hit_rate);
    return true;
  });
  EntryBatch batch(each);
  FUZZ_CHECK(ReadCacheListFile(scratch.path(), batch, 1 + size % 61));
  FUZZ_CHECK(small_reads == whole);
  return 0;
}
