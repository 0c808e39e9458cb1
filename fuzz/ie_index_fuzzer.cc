// The Internet Explorer / Wine URL-cache index reader over any bytes: every record it
// yields has an address inside the file (or converted from one), no record is yielded
// twice over the same blocks, and a visitor that stops the walk stops it at once.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "urlcache/ie_index.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zorvane;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bool from_ie = bytes.substr(0, 4) == "Clie";

  std::size_t count = 0;
  const bool finished = EnumerateIeCacheIndex(bytes, [&](const UrlCacheEntry& entry) {
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

  if (count > 0) {
    const std::size_t stop_at = count / 2;
    std::size_t seen = 0;
    const bool stopped_finished =
        EnumerateIeCacheIndex(bytes, [&](const UrlCacheEntry&) { return seen++ != stop_at; });
    FUZZ_CHECK(!stopped_finished && seen == stop_at + 1);
  }
  return 0;
}
