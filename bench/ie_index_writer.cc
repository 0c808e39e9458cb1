#include "bench/ie_index_writer.h"

#include <fstream>

namespace zorvane::bench {
namespace {

constexpr std::string_view kSignature{"Client UrlCache MMF Ver 5.2\0", 28};
constexpr std::size_t kFileSizeField = 0x1C;
constexpr std::size_t kCapacityField = 0x24;
constexpr std::size_t kBlocksInUseField = 0x28;
constexpr std::size_t kBitmapOffset = 0x250;
constexpr std::size_t kFirstBlockOffset = 0x4000;
constexpr std::size_t kBlockSize = 128;
constexpr std::size_t kMaxBlocks = (kFirstBlockOffset - kBitmapOffset) * 8;

// Fields of a URL record; the address follows the fixed part, as Internet Explorer
// places it.
constexpr std::size_t kUrlOffsetField = 52;
constexpr std::size_t kTypeField = 64;
constexpr std::size_t kHitsField = 84;
constexpr std::size_t kAddressOffset = 0x68;

void PutLe32(std::string* bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    (*bytes)[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

}  // namespace

IeIndexWriter::IeIndexWriter() : bytes_(kFirstBlockOffset, '\0') {
  bytes_.replace(0, kSignature.size(), kSignature);
}

bool IeIndexWriter::Add(std::uint32_t type, std::uint32_t hits, std::string_view ansi_address) {
  const std::size_t record_bytes = kAddressOffset + ansi_address.size() + 1;
  const std::size_t blocks = (record_bytes + kBlockSize - 1) / kBlockSize;
  if (blocks_ + blocks > kMaxBlocks) return false;
  const std::size_t offset = bytes_.size();
  bytes_.resize(offset + blocks * kBlockSize, '\0');
  bytes_.replace(offset, 4, "URL ");
  PutLe32(&bytes_, offset + 4, static_cast<std::uint32_t>(blocks));
  PutLe32(&bytes_, offset + kUrlOffsetField, kAddressOffset);
  PutLe32(&bytes_, offset + kTypeField, type);
  PutLe32(&bytes_, offset + kHitsField, hits);
  bytes_.replace(offset + kAddressOffset, ansi_address.size(), ansi_address);
  for (std::size_t b = blocks_; b < blocks_ + blocks; ++b) {
    bytes_[kBitmapOffset + b / 8] =
        static_cast<char>(bytes_[kBitmapOffset + b / 8] | (1 << (b % 8)));
  }
  blocks_ += blocks;
  ++records_;
  return true;
}

std::string IeIndexWriter::Finish() {
  PutLe32(&bytes_, kFileSizeField, static_cast<std::uint32_t>(bytes_.size()));
  PutLe32(&bytes_, kCapacityField, static_cast<std::uint32_t>(kMaxBlocks));
  PutLe32(&bytes_, kBlocksInUseField, static_cast<std::uint32_t>(blocks_));
  return std::move(bytes_);
}

std::vector<std::string> WriteIeIndexFiles(Platform& platform, const std::string& prefix,
                                           CacheGenerator& generator, std::uint64_t* bytes) {
  std::vector<std::string> paths;
  *bytes = 0;
  IeIndexWriter writer;
  const auto flush = [&]() {
    const std::string path = prefix + "-" + std::to_string(paths.size() + 1) + ".dat";
    const std::string file = writer.Finish();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    out.flush();
    if (!out) return false;
    *bytes += file.size();
    paths.push_back(path);
    writer = IeIndexWriter();
    return true;
  };
  CacheEntry entry;
  while (generator.Next(&entry)) {
    const std::string ansi = platform.ToAnsi(entry.address);
    if (!writer.Add(entry.type, entry.hits, ansi)) {
      if (!flush()) return {};
      writer.Add(entry.type, entry.hits, ansi);
    }
  }
  if (writer.records() > 0 || paths.empty()) {
    if (!flush()) return {};
  }
  return paths;
}

}  // namespace zorvane::bench
