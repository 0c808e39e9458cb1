// Internet Explorer's URL-cache index file (index.dat), read directly.
//
// Two variants share one layout: "Client UrlCache MMF Ver 5.2" as Internet Explorer 5 to
// 9 write it, with addresses in the ANSI code page, and "WINE URLCache Ver ..." as Wine's
// WinINet writes it, with addresses in UTF-8. The file is a header with an allocation
// bitmap (one bit per 128-byte block from offset 0x4000), then records that each start
// with a four-byte signature and their length in blocks. The reader walks the allocated
// blocks and reads every "URL " record: its entry-type bits (offset 64), its hit count
// (offset 84) and its address (a NUL-terminated string at the offset stored at 52).
//
// Every offset and length is checked against the record and the file, so a truncated or
// damaged file yields the records that can still be read and never more.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "urlcache/entry_batch.h"

namespace zorvane::urlcache {

// How many leading bytes IsIeCacheIndex needs to see.
inline constexpr std::size_t kIeCacheSignatureBytes = 28;

// Whether `first_bytes` start an index file of one of the two variants.
bool IsIeCacheIndex(std::string_view first_bytes);

// Adds each URL record of the index file `bytes` whose type `batch` wants to it, in file
// order, and flushes it at the end; returns false when the batch's visitor asked to stop.
// Addresses are handed over as the file holds them: those of Internet Explorer's files in
// code page 932, those of Wine's files in UTF-8 (standing for their code page 932 form,
// in which characters the code page cannot hold become "?"), except that an address of
// Wine's that is not UTF-8 goes as code page 932. Records with an empty address are
// skipped.
bool ReadIeCacheIndex(std::string_view bytes, EntryBatch& batch);

// Holds what reading index files takes, kept from one file to the next: the header of the
// file being read and a window of a fixed size onto its records.
class IeIndexReader final {
 public:
  // The window's size: a read of the file per this many bytes.
  static constexpr std::size_t kDefaultWindow = 128 * 1024;

  // `window` is the size of the window onto the records, at least one block (128 bytes);
  // tests make it small.
  explicit IeIndexReader(std::size_t window = kDefaultWindow);
  ~IeIndexReader();
  IeIndexReader(const IeIndexReader&) = delete;
  IeIndexReader& operator=(const IeIndexReader&) = delete;

  // ReadIeCacheIndex over the file at `path`, which is read from start to end through the
  // window (never mapped: a file cut short while it is read ends where its reads end,
  // where a mapping would fault), no further than the largest index the bitmap can
  // describe. The batch is flushed before the window moves. A file that cannot be read
  // yields nothing.
  bool ReadFile(const std::string& path, EntryBatch& batch);

 private:
  class Window;
  std::unique_ptr<Window> window_;
};

// The two above, calling `visit` for each entry, until it returns false; false then.
bool EnumerateIeCacheIndex(std::string_view bytes,
                           const std::function<bool(const UrlCacheEntry&)>& visit);
bool EnumerateIeCacheIndexFile(const std::string& path,
                               const std::function<bool(const UrlCacheEntry&)>& visit);

}  // namespace zorvane::urlcache
