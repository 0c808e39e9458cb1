// Writes URL-cache entries as Internet Explorer cache index files ("Client UrlCache MMF
// Ver 5.2"), in the layout the index reader of the POSIX platform walks: a header with
// the file size and an allocation bitmap (one bit per 128-byte block from offset 0x4000),
// then one "URL " record per entry with its type bits, hit count and NUL-terminated
// address in code page 932. No hash table is written; the reader does not need one.
//
// One file's bitmap describes a bounded number of blocks, so a large cache becomes
// several files, read one after the other as several cache sources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bench/profile_gen.h"
#include "platform/platform.h"

namespace zorvane::bench {

// The bytes of one index file, record by record.
class IeIndexWriter final {
 public:
  IeIndexWriter();
  // Appends a record; false (and nothing appended) when the file has no room left for it.
  bool Add(std::uint32_t type, std::uint32_t hits, std::string_view ansi_address);
  std::size_t records() const { return records_; }
  // The finished file.
  std::string Finish();

 private:
  std::string bytes_;
  std::size_t blocks_ = 0;
  std::size_t records_ = 0;
};

// Writes all entries of `generator` into "<prefix>-1.dat", "<prefix>-2.dat", ... and
// returns the paths written; `bytes` receives their total size. Addresses go to the code
// page through `platform`. Empty when a file cannot be written.
std::vector<std::string> WriteIeIndexFiles(Platform& platform, const std::string& prefix,
                                           CacheGenerator& generator, std::uint64_t* bytes);

}  // namespace zorvane::bench
