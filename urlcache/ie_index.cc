#include "urlcache/ie_index.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "base/text.h"
#include "urlcache/source_file.h"

// Sections: the layout; the walk over the records, for any way of holding the bytes; the
// bytes held whole; the bytes of a file through a window; the entry points.

namespace zorvane::urlcache {
namespace {

// ---- The layout ------------------------------------------------------------------------

constexpr std::string_view kIeSignature{"Client UrlCache MMF Ver 5.2\0", 28};
constexpr std::string_view kWineSignature = "WINE URLCache Ver ";

constexpr std::size_t kHeaderFileSize = 28;
constexpr std::size_t kBitmapOffset = 0x250;
constexpr std::size_t kFirstBlockOffset = 0x4000;
constexpr std::size_t kBlockSize = 128;
// Every block the bitmap can describe.
constexpr std::size_t kMaxBlocks = (kFirstBlockOffset - kBitmapOffset) * 8;
constexpr std::size_t kMaxIndexBytes = kFirstBlockOffset + kMaxBlocks * kBlockSize;

// Fields of a URL record, all within its first block.
constexpr std::size_t kUrlOffsetField = 52;
constexpr std::size_t kTypeField = 64;
constexpr std::size_t kHitsField = 84;
static_assert(kHitsField + 4 <= kBlockSize);

std::uint32_t ReadLe32(std::string_view bytes, std::size_t offset) {
  const auto b = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i]));
  };
  return b(0) | (b(1) << 8) | (b(2) << 16) | (b(3) << 24);
}

bool IsAllocated(std::string_view header, std::size_t block) {
  const auto byte = static_cast<unsigned char>(header[kBitmapOffset + block / 8]);
  return (byte >> (block % 8)) & 1;
}

bool IsRecordSignature(std::string_view signature) {
  return signature == "URL " || signature == "LEAK" || signature == "REDR" || signature == "HASH";
}

// ---- The walk ------------------------------------------------------------------------
// `Bytes` holds an index of size() bytes and hands out pieces of it, each at or after the
// start of the one before:
//   header()           the first kFirstBlockOffset bytes (fewer when the index is shorter);
//   Block(offset)      the block at `offset`, shorter only where the bytes end early;
//   String(from, end, lasting)
//                      the text from `from` up to the first NUL before `end`, or nullopt
//                      when there is none; `*lasting` false when it lies in a buffer that
//                      the next call reuses.
// A piece handed out stays where it is until the batch is next flushed.

template <typename Bytes>
bool WalkIndex(Bytes& bytes, EntryBatch& batch) {
  const std::string_view header = bytes.header();
  if (!IsIeCacheIndex(header) || bytes.size() <= kFirstBlockOffset) return batch.Flush();
  const bool utf8_addresses = header.substr(0, kWineSignature.size()) == kWineSignature;

  // The header's own size wins when it is plausible and shorter than the file (the rest
  // is no part of the index); a damaged size counts for nothing.
  std::size_t size = bytes.size();
  const std::uint32_t header_size = ReadLe32(header, kHeaderFileSize);
  if (header_size > kFirstBlockOffset && header_size < size) size = header_size;
  std::size_t blocks = (size - kFirstBlockOffset) / kBlockSize;
  if (blocks > kMaxBlocks) blocks = kMaxBlocks;

  std::size_t block = 0;
  while (block < blocks) {
    if (!IsAllocated(header, block)) {
      ++block;
      continue;
    }
    const std::size_t offset = kFirstBlockOffset + block * kBlockSize;
    const std::string_view head = bytes.Block(offset);
    if (head.size() < kBlockSize) break;  // the bytes ended early
    const std::string_view signature = head.substr(0, 4);
    const std::uint32_t length = ReadLe32(head, 4);
    // A record that claims no blocks, or more than the file holds, is damaged: step over
    // its first block and look for the next record.
    if (!IsRecordSignature(signature) || length == 0 || length > blocks - block) {
      ++block;
      continue;
    }
    block += length;
    if (signature != "URL ") continue;
    const std::uint32_t type = ReadLe32(head, kTypeField);
    if (!batch.Wants(type)) continue;
    const std::uint32_t hits = ReadLe32(head, kHitsField);
    // The address is a NUL-terminated string within the record. Looking for its end may
    // move the bytes `head` points to.
    const std::size_t record_size = std::size_t{length} * kBlockSize;
    const std::uint32_t url_offset = ReadLe32(head, kUrlOffsetField);
    if (url_offset >= record_size) continue;
    bool lasting = true;
    const std::optional<std::string_view> address =
        bytes.String(offset + url_offset, offset + record_size, &lasting);
    if (!address || address->empty()) continue;
    const AddressEncoding encoding = utf8_addresses && text::IsValidUtf8(*address)
                                         ? AddressEncoding::kUtf8
                                         : AddressEncoding::kAnsi;
    if (!batch.Add(UrlCacheEntry{type, *address, hits, encoding}) || (!lasting && !batch.Flush())) {
      return false;
    }
  }
  return batch.Flush();
}

// The start of `bytes` up to its first NUL, or nullopt when it holds none.
std::optional<std::string_view> UpToNul(std::string_view bytes) {
  const void* nul = bytes.empty() ? nullptr : std::memchr(bytes.data(), '\0', bytes.size());
  if (nul == nullptr) return std::nullopt;
  return bytes.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data()));
}

// ---- The bytes held whole ------------------------------------------------------------

class WholeIndex final {
 public:
  explicit WholeIndex(std::string_view bytes) : bytes_(bytes) {}

  std::size_t size() const { return bytes_.size(); }
  std::string_view header() const { return bytes_.substr(0, kFirstBlockOffset); }
  std::string_view Block(std::size_t offset) const { return bytes_.substr(offset, kBlockSize); }
  std::optional<std::string_view> String(std::size_t from, std::size_t end, bool*) const {
    return UpToNul(bytes_.substr(from, end - from));
  }

 private:
  std::string_view bytes_;
};

}  // namespace

// ---- The bytes of a file through a window ----------------------------------------------
// The header is kept whole (the bitmap describes every block); the records pass through a
// window of a fixed size that moves forward only, as the walk does. Before it moves, the
// batch is flushed: the entries added so far point into it.

class IeIndexReader::Window final {
 public:
  explicit Window(std::size_t capacity)
      : header_(new char[kFirstBlockOffset]),
        capacity_(std::max(capacity, kBlockSize)),
        buffer_(new char[capacity_]) {}

  // Opens the index at `path` and reads its header; false when it cannot be read.
  bool Open(const std::string& path, EntryBatch* batch) {
    file_.emplace(path);
    batch_ = batch;
    size_ = header_size_ = 0;
    start_ = kFirstBlockOffset;
    held_ = 0;
    if (!file_->valid()) return false;
    size_ = std::min(file_->size(), kMaxIndexBytes);
    header_size_ = file_->Read(header_.get(), std::min(size_, kFirstBlockOffset));
    if (header_size_ < std::min(size_, kFirstBlockOffset)) size_ = header_size_;
    return true;
  }
  void Close() {
    file_.reset();
    batch_ = nullptr;
  }

  std::size_t size() const { return size_; }
  std::string_view header() const { return std::string_view(header_.get(), header_size_); }

  std::string_view Block(std::size_t offset) {
    if (!Holds(offset, kBlockSize)) MoveTo(offset);
    return Held(offset, offset + kBlockSize);
  }

  std::optional<std::string_view> String(std::size_t from, std::size_t end, bool* lasting) {
    // Mostly the string lies in what the window holds already.
    std::string_view piece = Held(from, end);
    if (const std::optional<std::string_view> string = UpToNul(piece)) return string;
    if (start_ + held_ >= end) return std::nullopt;
    if (end - from <= capacity_) {
      MoveTo(from);
      return UpToNul(Held(from, end));
    }
    // A record longer than the window: its string is gathered piece by piece.
    long_string_.assign(piece);
    for (std::size_t at = from + piece.size(); at < end; at += piece.size()) {
      MoveTo(at);
      piece = Held(at, end);
      if (piece.empty()) return std::nullopt;  // the file ended early
      if (const std::optional<std::string_view> rest = UpToNul(piece)) {
        long_string_.append(*rest);
        *lasting = false;
        return std::string_view(long_string_);
      }
      long_string_.append(piece);
    }
    return std::nullopt;
  }

 private:
  bool Holds(std::size_t offset, std::size_t n) const {
    return offset >= start_ && offset + n <= start_ + held_;
  }
  // The bytes the window holds from `offset` (at or after its start) up to `end`.
  std::string_view Held(std::size_t offset, std::size_t end) const {
    const std::size_t held_end = std::min(end, start_ + held_);
    if (offset < start_ || offset >= held_end) return {};
    return std::string_view(buffer_.get() + (offset - start_), held_end - offset);
  }

  // Makes the window start at `offset` (at or after its start) and fills it as far as the
  // index goes; what it held from there on stays.
  void MoveTo(std::size_t offset) {
    batch_->Flush();
    const std::size_t held_end = start_ + held_;
    if (offset < held_end) {
      std::memmove(buffer_.get(), buffer_.get() + (offset - start_), held_end - offset);
      held_ = held_end - offset;
    } else {
      held_ = 0;
      if (offset > held_end && !file_->Seek(offset)) {
        start_ = offset;
        size_ = std::min(size_, offset);  // nothing more can be read
        return;
      }
    }
    start_ = offset;
    const std::size_t want = std::min(capacity_, size_ - std::min(size_, start_));
    if (want > held_) {
      const std::size_t got = file_->Read(buffer_.get() + held_, want - held_);
      held_ += got;
      if (held_ < want) size_ = start_ + held_;  // cut short while it was read
    }
  }

  std::unique_ptr<char[]> header_;
  const std::size_t capacity_;
  std::unique_ptr<char[]> buffer_;
  std::optional<SourceFile> file_;
  EntryBatch* batch_ = nullptr;
  std::size_t size_ = 0;                   // the bytes of the index that can be read
  std::size_t header_size_ = 0;            // the bytes of header_ that were read
  std::size_t start_ = kFirstBlockOffset;  // the offset of buffer_[0] in the file
  std::size_t held_ = 0;                   // the bytes of buffer_ that were read
  std::string long_string_;
};

// ---- Entry points ----------------------------------------------------------------------

bool IsIeCacheIndex(std::string_view first_bytes) {
  return first_bytes.substr(0, kIeSignature.size()) == kIeSignature ||
         first_bytes.substr(0, kWineSignature.size()) == kWineSignature;
}

bool ReadIeCacheIndex(std::string_view bytes, EntryBatch& batch) {
  WholeIndex whole(bytes);
  return WalkIndex(whole, batch);
}

IeIndexReader::IeIndexReader(std::size_t window) : window_(std::make_unique<Window>(window)) {}

IeIndexReader::~IeIndexReader() = default;

bool IeIndexReader::ReadFile(const std::string& path, EntryBatch& batch) {
  bool go_on = batch.Flush();
  if (go_on && window_->Open(path, &batch)) go_on = WalkIndex(*window_, batch);
  window_->Close();
  return go_on;
}

bool EnumerateIeCacheIndex(std::string_view bytes,
                           const std::function<bool(const UrlCacheEntry&)>& visit) {
  const UrlCacheBatchVisitor each = EachEntry(visit);
  EntryBatch batch(each);
  return ReadIeCacheIndex(bytes, batch);
}

bool EnumerateIeCacheIndexFile(const std::string& path,
                               const std::function<bool(const UrlCacheEntry&)>& visit) {
  const UrlCacheBatchVisitor each = EachEntry(visit);
  EntryBatch batch(each);
  IeIndexReader reader;
  return reader.ReadFile(path, batch);
}

}  // namespace zorvane::urlcache
