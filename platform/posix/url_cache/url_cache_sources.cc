#include "platform/posix/url_cache/url_cache_sources.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>
#include <functional>
#include <memory>
#include <utility>

#include "platform/posix/url_cache/browser_discovery.h"
#include "platform/posix/url_cache/browser_history.h"
#include "platform/posix/url_cache/cache_list.h"
#include "platform/posix/url_cache/ie_index.h"
#include "platform/posix/url_cache/sqlite_copy.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;

constexpr char kIndexFileName[] = "index.dat";

}  // namespace

UrlCacheSourceKind RecognizeUrlCacheSource(std::string_view first_bytes) {
  if (IsIeCacheIndex(first_bytes)) return UrlCacheSourceKind::kIeCacheIndex;
  if (IsSqliteDatabase(first_bytes)) return UrlCacheSourceKind::kSqlite;
  if (first_bytes.find('\0') != std::string_view::npos) return UrlCacheSourceKind::kUnknown;
  return UrlCacheSourceKind::kCacheList;
}

std::vector<std::string> SplitUrlCacheSources(std::string_view sources) {
  std::vector<std::string> paths;
  while (true) {
    const std::size_t colon = sources.find(':');
    const std::string_view part = sources.substr(0, colon);
    if (!part.empty()) paths.emplace_back(part);
    if (colon == std::string_view::npos) break;
    sources.remove_prefix(colon + 1);
  }
  return paths;
}

std::vector<std::string> DiscoverUrlCacheSources(const std::string& home_dir) {
  return DiscoverBrowserHistories(home_dir, std::getenv("XDG_CONFIG_HOME"));
}

namespace {

// One source as it will be read: the file, its kind, and for a history the merged
// entries whose address first appeared in it.
struct ResolvedSource {
  std::string file;
  UrlCacheSourceKind kind = UrlCacheSourceKind::kUnknown;
  std::vector<std::uint32_t> first_entries;
};

// The file a source path stands for and its kind, or the reason it cannot be read.
SourceStatus ResolveSource(const std::string& path, ResolvedSource* source) {
  std::error_code error;
  source->file = path;
  if (fs::is_directory(path, error)) source->file = (fs::path(path) / kIndexFileName).string();
  const fs::file_status status = fs::status(source->file, error);
  if (!fs::exists(status)) {
    // A dangling link or a path through a file reads as missing too.
    return SourceStatus::kMissing;
  }
  // Checked before the open so that a FIFO in its place cannot block it.
  if (!fs::is_regular_file(status)) return SourceStatus::kUnreadable;
  std::string first(kUrlCacheSourceProbeBytes, '\0');
  std::ifstream in(source->file, std::ios::binary);
  if (!in) return SourceStatus::kUnreadable;
  in.read(first.data(), static_cast<std::streamsize>(first.size()));
  first.resize(static_cast<std::size_t>(in.gcount()));
  source->kind = RecognizeUrlCacheSource(first);
  return source->kind == UrlCacheSourceKind::kUnknown ? SourceStatus::kUnknownKind
                                                      : SourceStatus::kRead;
}

// The identity of a file, so that one reached through two paths is read once.
std::string FileIdentity(const std::string& file) {
  std::error_code error;
  fs::path canonical = fs::canonical(file, error);
  return error ? fs::path(file).lexically_normal().string() : canonical.string();
}

// The history entries of every database, one per address, hits summed. The addresses
// stay in the rows of their databases (kept here); the entries and the table that finds
// them are flat arrays, so a large history costs no allocation per entry.
class MergedHistory final {
 public:
  // Adds the rows of one database; returns the indices of the addresses new with it.
  std::vector<std::uint32_t> Add(HistoryRows& rows) {
    std::vector<std::uint32_t> first;
    Reserve(entries_.size() + rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const std::string_view address = rows.address(i);
      const std::size_t hash = std::hash<std::string_view>()(address);
      std::uint32_t* slot = Find(address, hash);
      if (*slot == kEmpty) {
        *slot = static_cast<std::uint32_t>(entries_.size());
        first.push_back(*slot);
        entries_.push_back({address, hash, rows.hits(i)});
      } else {
        std::uint32_t& hits = entries_[*slot].hits;
        hits = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(std::uint64_t{hits} + rows.hits(i), kMaxHits));
      }
    }
    blocks_.push_back(rows.TakeBlocks());
    return first;
  }
  bool Visit(std::uint32_t index, const std::function<bool(const UrlCacheEntry&)>& visit) {
    UrlCacheEntry entry;
    entry.type = kNormalEntry;
    entry.address = HistoryEntryAddress(entries_[index].address, &scratch_);
    entry.hit_rate = entries_[index].hits;
    entry.encoding = AddressEncoding::kUtf8;
    return visit(entry);
  }

 private:
  static constexpr std::uint64_t kMaxHits = 2147483647;
  static constexpr std::uint32_t kNormalEntry = 0x1;
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
  struct Entry {
    std::string_view address;  // in one of blocks_
    std::size_t hash;
    std::uint32_t hits;
  };

  // The slot that holds `address`, or the empty one where it belongs (open addressing,
  // linear probing, at most half full).
  std::uint32_t* Find(std::string_view address, std::size_t hash) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const std::uint32_t index = slots_[i];
      if (index == kEmpty) return &slots_[i];
      if (entries_[index].hash == hash && entries_[index].address == address) return &slots_[i];
    }
  }
  void Reserve(std::size_t entries) {
    std::size_t size = 16;
    while (size < 2 * entries) size *= 2;
    if (size <= slots_.size()) return;
    slots_.assign(size, kEmpty);
    const std::size_t mask = size - 1;
    for (std::uint32_t index = 0; index < entries_.size(); ++index) {
      std::size_t i = entries_[index].hash & mask;
      while (slots_[i] != kEmpty) i = (i + 1) & mask;
      slots_[i] = index;
    }
    entries_.reserve(entries);
  }

  std::vector<std::vector<std::unique_ptr<char[]>>> blocks_;  // every database's addresses
  std::vector<Entry> entries_;
  std::vector<std::uint32_t> slots_;
  std::string scratch_;
};

}  // namespace

void EnumerateUrlCacheSources(const char* sources, const std::string& home_dir,
                              const DiagnoseSource& diagnose,
                              const std::function<bool(const UrlCacheEntry&)>& visit) {
  const std::vector<std::string> paths =
      sources != nullptr ? SplitUrlCacheSources(sources) : DiscoverUrlCacheSources(home_dir);
  const auto report = [&](const std::string& path, SourceStatus status) {
    if (diagnose) diagnose(path + ": " + std::string(SourceStatusReason(status)));
  };

  // Every history is read before the first entry is handed out, since a later database
  // can add hits to an address an earlier one holds.
  std::vector<ResolvedSource> resolved;
  std::vector<char> index_buffer;
  std::set<std::string> seen_databases;
  MergedHistory history;
  for (const std::string& path : paths) {
    ResolvedSource source;
    if (const SourceStatus status = ResolveSource(path, &source); status != SourceStatus::kRead) {
      report(path, status);
      continue;
    }
    if (source.kind == UrlCacheSourceKind::kSqlite) {
      if (!seen_databases.insert(FileIdentity(source.file)).second) continue;
      HistoryRows rows;
      if (const SourceStatus status = ReadBrowserHistory(source.file, &rows);
          status != SourceStatus::kRead) {
        report(path, status);
        continue;
      }
      source.first_entries = history.Add(rows);
    }
    resolved.push_back(std::move(source));
  }

  for (const ResolvedSource& source : resolved) {
    switch (source.kind) {
      case UrlCacheSourceKind::kCacheList:
        if (!EnumerateCacheListFile(source.file, visit)) return;
        break;
      case UrlCacheSourceKind::kIeCacheIndex:
        if (!EnumerateIeCacheIndexFile(source.file, visit, &index_buffer)) return;
        break;
      case UrlCacheSourceKind::kSqlite:
        for (const std::uint32_t index : source.first_entries) {
          if (!history.Visit(index, visit)) return;
        }
        break;
      case UrlCacheSourceKind::kUnknown:
        break;
    }
  }
}

}  // namespace zorvane
