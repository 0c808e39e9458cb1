// The cache list: a URL-cache source in a text format of our own, for tests and for
// handing the program a cache by hand.
//
// UTF-8 text, one entry per line, `TYPE<TAB>HITS<TAB>ADDRESS`:
// - TYPE: the entry-type bits, hexadecimal with "0x"/"0X" or decimal, at most 32 bits;
// - HITS: the hit count in decimal digits. A count above 2,147,483,647 is given as
//   2,147,483,647, the largest count the ranking reads as a positive number; a negative
//   count or anything that is not a number makes the line bad;
// - ADDRESS: the rest of the line, as it is (it may hold tabs and blanks); handed over as
//   UTF-8 (AddressEncoding::kUtf8), so that it stands for its code page 932 form, in
//   which characters the code page cannot hold become "?".
// Blanks around TYPE and HITS are allowed. Lines end with LF or CR LF; a UTF-8 byte order
// mark before the first line is ignored. Empty lines, lines of blanks, lines that begin
// with "#", lines with an empty address and bad lines are skipped; lines longer than
// kMaxCacheListLine bytes are skipped whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "urlcache/entry_batch.h"

namespace zorvane::urlcache {

inline constexpr std::size_t kMaxCacheListLine = 64 * 1024;

// One line of a cache list, without its line break. True for an entry line, with the
// entry's fields (the address where it lies in `line`, UTF-8); false for anything to skip.
bool ParseCacheListLine(std::string_view line, std::uint32_t* type, std::uint32_t* hits,
                        std::string_view* address);

// Adds each entry of the cache list `text` that `batch` wants to it, in order, and
// flushes it at the end. Returns false when the batch's visitor asked to stop.
bool ReadCacheList(std::string_view text, EntryBatch& batch);

// How much of a cache list file one read takes: a system call per mebibyte.
inline constexpr std::size_t kCacheListReadSize = 1 << 20;

// The same over the file at `path`, read `read_size` bytes at a time into one buffer whose
// lines are parsed where they lie, so that a file of any size needs little memory; the
// batch is flushed before the buffer is refilled. A file that cannot be opened yields
// nothing.
bool ReadCacheListFile(const std::string& path, EntryBatch& batch,
                       std::size_t read_size = kCacheListReadSize);

// The two above, calling `visit` for each entry.
bool EnumerateCacheList(std::string_view text,
                        const std::function<bool(const UrlCacheEntry&)>& visit);
bool EnumerateCacheListFile(const std::string& path,
                            const std::function<bool(const UrlCacheEntry&)>& visit);

}  // namespace zorvane::urlcache
