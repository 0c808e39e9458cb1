#include "platform/posix/url_cache/url_cache_sources.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "platform/posix/cp932.h"
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
  std::vector<std::size_t> first_entries;
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

// The history entries of every database, one per address, hits summed.
class MergedHistory final {
 public:
  // Adds the rows of one database; returns the indices of the addresses new with it.
  std::vector<std::size_t> Add(const std::vector<HistoryRow>& rows) {
    std::vector<std::size_t> first;
    for (const HistoryRow& row : rows) {
      auto [it, added] = index_.try_emplace(row.address, entries_.size());
      if (added) {
        first.push_back(entries_.size());
        entries_.push_back({cp932::FromUtf8(AddressForCodePage(row.address)), row.hits});
      } else {
        std::uint32_t& hits = entries_[it->second].hits;
        hits = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(std::uint64_t{hits} + row.hits, kMaxHits));
      }
    }
    return first;
  }
  bool Visit(std::size_t index, const std::function<bool(const UrlCacheEntry&)>& visit) const {
    UrlCacheEntry entry;
    entry.type = kNormalEntry;
    entry.address = entries_[index].ansi_address;
    entry.hit_rate = entries_[index].hits;
    return visit(entry);
  }

 private:
  static constexpr std::uint64_t kMaxHits = 2147483647;
  static constexpr std::uint32_t kNormalEntry = 0x1;
  struct Entry {
    std::string ansi_address;
    std::uint32_t hits;
  };
  std::unordered_map<std::string, std::size_t> index_;
  std::vector<Entry> entries_;
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
      std::vector<HistoryRow> rows;
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
        if (!EnumerateIeCacheIndexFile(source.file, visit)) return;
        break;
      case UrlCacheSourceKind::kSqlite:
        for (const std::size_t index : source.first_entries) {
          if (!history.Visit(index, visit)) return;
        }
        break;
      case UrlCacheSourceKind::kUnknown:
        break;
    }
  }
}

}  // namespace zorvane
