#include "platform/posix/url_cache/url_cache_sources.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <system_error>
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
  std::pair<std::uint32_t, std::uint32_t> first_entries;  // [first, end)
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

// The history entries of every database, one per address, hits summed, taken in as the
// databases are read. The addresses lie one after another in large blocks, and the
// entries and the table that finds them are flat arrays, so a large history costs no
// allocation per entry and little beyond its addresses' bytes. What a database that
// could not be read whole added is taken back.
class MergedHistory final {
 public:
  // Starts the rows of one database.
  void Begin() {
    first_of_database_ = static_cast<std::uint32_t>(entries_.size());
    undo_.clear();
  }
  void Add(std::string_view address, std::uint32_t hits) {
    if (2 * (entries_.size() + 1) > slots_.size()) Grow();
    const std::uint64_t hash = std::hash<std::string_view>()(address);
    // The address is stored while its slot is fetched from memory; most addresses are new.
    __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    const char* stored = Store(address);
    Slot* slot = Find(address, hash);
    if (slot->index == kEmpty) {
      *slot = Slot{static_cast<std::uint32_t>(entries_.size()), static_cast<std::uint32_t>(hash)};
      entries_.push_back(Entry{stored, static_cast<std::uint32_t>(address.size()), hits});
      return;
    }
    Unstore(address.size());
    Entry& entry = entries_[slot->index];
    if (slot->index < first_of_database_) undo_.emplace_back(slot->index, entry.hits);
    entry.hits = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::uint64_t{entry.hits} + hits, kMaxHits));
  }
  // Ends the rows of one database; the range of the entries whose address is new with it.
  std::pair<std::uint32_t, std::uint32_t> Commit() const {
    return {first_of_database_, static_cast<std::uint32_t>(entries_.size())};
  }
  // Takes back what the database's rows added (their bytes stay unused in the blocks).
  void Rollback() {
    for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) entries_[it->first].hits = it->second;
    entries_.resize(first_of_database_);
    Place(std::vector<Slot>(slots_.size()));
  }
  bool Visit(std::uint32_t index, const std::function<bool(const UrlCacheEntry&)>& visit) {
    UrlCacheEntry entry;
    entry.type = kNormalEntry;
    entry.address = HistoryEntryAddress(Address(entries_[index]), &scratch_);
    entry.hit_rate = entries_[index].hits;
    entry.encoding = AddressEncoding::kUtf8;
    return visit(entry);
  }

 private:
  static constexpr std::uint64_t kMaxHits = 2147483647;
  static constexpr std::uint32_t kNormalEntry = 0x1;
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
  static constexpr std::size_t kBlockSize = 4 << 20;
  struct Entry {
    const char* data;  // in one of blocks_
    std::uint32_t size;
    std::uint32_t hits;
  };
  struct Slot {
    std::uint32_t index = kEmpty;
    std::uint32_t hash = 0;  // the low half of the address's hash
  };

  static std::string_view Address(const Entry& entry) { return {entry.data, entry.size}; }

  const char* Store(std::string_view address) {
    if (address.size() > block_left_) {
      const std::size_t size = std::max(kBlockSize, address.size());
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
      block_end_ = blocks_.back().get();
      block_left_ = size;
    }
    char* data = block_end_;
    address.copy(data, address.size());
    block_end_ += address.size();
    block_left_ -= address.size();
    return data;
  }

  // Gives back the bytes the last Store took.
  void Unstore(std::size_t size) {
    block_end_ -= size;
    block_left_ += size;
  }

  // The slot that holds `address`, or the empty one where it belongs (open addressing,
  // linear probing, at most half full).
  Slot* Find(std::string_view address, std::uint64_t hash) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (slot.index == kEmpty) return &slot;
      if (slot.hash == static_cast<std::uint32_t>(hash) &&
          Address(entries_[slot.index]) == address) {
        return &slot;
      }
    }
  }
  void Grow() { Place(std::vector<Slot>(slots_.empty() ? 1024 : 2 * slots_.size())); }
  // Moves the slots of the entries there are into `empty` and keeps it as the table. The
  // halves of the hashes the slots keep place them without reading an address (the
  // table never has 2^32 slots).
  void Place(std::vector<Slot> empty) {
    empty.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : empty) {
      if (slot.index == kEmpty || slot.index >= entries_.size()) continue;
      std::size_t i = slot.hash & mask;
      while (slots_[i].index != kEmpty) i = (i + 1) & mask;
      slots_[i] = slot;
    }
  }

  std::vector<std::unique_ptr<char[]>> blocks_;
  char* block_end_ = nullptr;
  std::size_t block_left_ = 0;
  std::vector<Entry> entries_;
  std::vector<Slot> slots_;
  std::uint32_t first_of_database_ = 0;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> undo_;  // entry, hits before
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
      history.Begin();
      if (const SourceStatus status = ReadBrowserHistory(
              source.file,
              [&](std::string_view address, std::uint32_t hits) { history.Add(address, hits); });
          status != SourceStatus::kRead) {
        history.Rollback();
        report(path, status);
        continue;
      }
      source.first_entries = history.Commit();
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
        for (std::uint32_t index = source.first_entries.first; index < source.first_entries.second;
             ++index) {
          if (!history.Visit(index, visit)) return;
        }
        break;
      case UrlCacheSourceKind::kUnknown:
        break;
    }
  }
}

}  // namespace zorvane
