// The Internet Explorer / Wine URL-cache index reader over any bytes: every record it
// yields has an address inside the file (or converted from one), no record is yielded
// twice over the same blocks, a visitor that stops the walk stops it at once, and the
// file read through a window (of a size the input chooses, down to one block) yields
// what the bytes held whole yield.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "urlcache/ie_index.h"

namespace {

using Entry = std::tuple<std::uint32_t, std::string, std::uint32_t, zorvane::AddressEncoding>;

class ScratchFile final {
 public:
  ScratchFile()
      : path_((std::filesystem::temp_directory_path() /
               ("zorvane-fuzz-index-" + std::to_string(std::random_device{}()) + ".dat"))
                  .string()) {}
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zorvane;
  using namespace zorvane::urlcache;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bool from_ie = bytes.substr(0, 4) == "Clie";

  static const ScratchFile scratch;
  std::vector<Entry> whole;
  std::size_t count = 0;
  const bool finished = EnumerateIeCacheIndex(bytes, [&](const UrlCacheEntry& entry) {
    whole.emplace_back(entry.type, entry.address, entry.hit_rate, entry.encoding);
    FUZZ_CHECK(!entry.address.empty());
    FUZZ_CHECK(entry.address.find('\0') == std::string_view::npos);
    if (from_ie) {
      FUZZ_CHECK(entry.address.data() >= bytes.data() &&
                 entry.address.data() + entry.address.size() <= bytes.data() + bytes.size());
    }
    ++count;
    return true;
  });
  FUZZ_CHECK(finished);
  // Records take at least one 128-byte block each, after the 16 KiB header.
  FUZZ_CHECK(count <= (size > 0x4000 ? (size - 0x4000) / 128 : 0));
  FUZZ_CHECK(count == 0 || IsIeCacheIndex(bytes));

  {
    std::ofstream out(scratch.path(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<Entry> from_file;
  const UrlCacheBatchVisitor each = EachEntry([&](const UrlCacheEntry& entry) {
    from_file.emplace_back(entry.type, entry.address, entry.hit_rate, entry.encoding);
    return true;
  });
  EntryBatch batch(each);
  IeIndexReader reader(128 + size % 509);
  FUZZ_CHECK(reader.ReadFile(scratch.path(), batch));
  FUZZ_CHECK(from_file == whole);

  if (count > 0) {
    const std::size_t stop_at = count / 2;
    std::size_t seen = 0;
    const bool stopped_finished =
        EnumerateIeCacheIndex(bytes, [&](const UrlCacheEntry&) { return seen++ != stop_at; });
    FUZZ_CHECK(!stopped_finished && seen == stop_at + 1);
  }
  return 0;
}
