#include "urlcache/ie_index.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "base/text.h"
#include "urlcache/source_file.h"

namespace zorvane::urlcache {
namespace {

constexpr std::string_view kIeSignature{"Client UrlCache MMF Ver 5.2\0", 28};
constexpr std::string_view kWineSignature = "WINE URLCache Ver ";

constexpr std::size_t kHeaderFileSize = 28;
constexpr std::size_t kBitmapOffset = 0x250;
constexpr std::size_t kFirstBlockOffset = 0x4000;
constexpr std::size_t kBlockSize = 128;
// Every block the bitmap can describe.
constexpr std::size_t kMaxBlocks = (kFirstBlockOffset - kBitmapOffset) * 8;
constexpr std::size_t kMaxIndexBytes = kFirstBlockOffset + kMaxBlocks * kBlockSize;

// Fields of a URL record.
constexpr std::size_t kUrlOffsetField = 52;
constexpr std::size_t kTypeField = 64;
constexpr std::size_t kHitsField = 84;
constexpr std::size_t kUrlFieldsEnd = 88;

std::uint32_t ReadLe32(std::string_view bytes, std::size_t offset) {
  const auto b = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i]));
  };
  return b(0) | (b(1) << 8) | (b(2) << 16) | (b(3) << 24);
}

bool IsAllocated(std::string_view bytes, std::size_t block) {
  const auto byte = static_cast<unsigned char>(bytes[kBitmapOffset + block / 8]);
  return (byte >> (block % 8)) & 1;
}

bool IsRecordSignature(std::string_view signature) {
  return signature == "URL " || signature == "LEAK" || signature == "REDR" || signature == "HASH";
}

// Reads the fields of one URL record (`record` holds exactly its blocks, or what of
// them the file holds). False when a field lies outside the record.
bool ReadUrlRecord(std::string_view record, std::uint32_t* type, std::uint32_t* hits,
                   std::string_view* address) {
  if (record.size() < kUrlFieldsEnd) return false;
  const std::uint32_t url_offset = ReadLe32(record, kUrlOffsetField);
  if (url_offset >= record.size()) return false;
  const std::size_t nul = record.find('\0', url_offset);
  if (nul == std::string_view::npos) return false;
  *type = ReadLe32(record, kTypeField);
  *hits = ReadLe32(record, kHitsField);
  *address = record.substr(url_offset, nul - url_offset);
  return true;
}

}  // namespace

bool IsIeCacheIndex(std::string_view first_bytes) {
  return first_bytes.substr(0, kIeSignature.size()) == kIeSignature ||
         first_bytes.substr(0, kWineSignature.size()) == kWineSignature;
}

bool EnumerateIeCacheIndex(std::string_view bytes,
                           const std::function<bool(const UrlCacheEntry&)>& visit) {
  if (!IsIeCacheIndex(bytes) || bytes.size() <= kFirstBlockOffset) return true;
  const bool utf8_addresses = bytes.substr(0, kWineSignature.size()) == kWineSignature;

  // The header's own size wins when it is plausible and shorter than the file (the rest
  // is no part of the index); a damaged size counts for nothing.
  std::size_t size = bytes.size();
  const std::uint32_t header_size = ReadLe32(bytes, kHeaderFileSize);
  if (header_size > kFirstBlockOffset && header_size < size) size = header_size;
  std::size_t blocks = (size - kFirstBlockOffset) / kBlockSize;
  if (blocks > kMaxBlocks) blocks = kMaxBlocks;

  std::size_t block = 0;
  while (block < blocks) {
    if (!IsAllocated(bytes, block)) {
      ++block;
      continue;
    }
    const std::size_t offset = kFirstBlockOffset + block * kBlockSize;
    const std::string_view signature = bytes.substr(offset, 4);
    const std::uint32_t length = ReadLe32(bytes, offset + 4);
    // A record that claims no blocks, or more than the file holds, is damaged: step over
    // its first block and look for the next record.
    if (!IsRecordSignature(signature) || length == 0 || length > blocks - block) {
      ++block;
      continue;
    }
    if (signature == "URL ") {
      std::uint32_t type = 0, hits = 0;
      std::string_view address;
      const std::string_view record = bytes.substr(offset, length * kBlockSize);
      if (ReadUrlRecord(record, &type, &hits, &address) && !address.empty()) {
        const AddressEncoding encoding = utf8_addresses && text::IsValidUtf8(address)
                                             ? AddressEncoding::kUtf8
                                             : AddressEncoding::kAnsi;
        if (!visit(UrlCacheEntry{type, address, hits, encoding})) return false;
      }
    }
    block += length;
  }
  return true;
}

bool EnumerateIeCacheIndexFile(const std::string& path,
                               const std::function<bool(const UrlCacheEntry&)>& visit,
                               std::vector<char>* buffer) {
  SourceFile file(path);
  std::size_t got = 0;
  if (file.valid()) {
    const std::size_t want = std::min(file.size(), kMaxIndexBytes);
    if (buffer->size() < want) buffer->resize(want);
    got = file.Read(buffer->data(), want);
  }
  return EnumerateIeCacheIndex(std::string_view(buffer->data(), got), visit);
}

bool EnumerateIeCacheIndexFile(const std::string& path,
                               const std::function<bool(const UrlCacheEntry&)>& visit) {
  std::vector<char> buffer;
  return EnumerateIeCacheIndexFile(path, visit, &buffer);
}

}  // namespace zorvane::urlcache
