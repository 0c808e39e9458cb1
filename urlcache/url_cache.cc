#include "urlcache/url_cache.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <utility>

#include "browsers/file_identity.h"
#include "browsers/history.h"
#include "browsers/profiles.h"
#include "browsers/sqlite_copy.h"
#include "browsers/utf8_path.h"
#include "urlcache/cache_list.h"
#include "urlcache/cache_with_history.h"
#include "urlcache/ie_index.h"

namespace zorvane::urlcache {
namespace {

namespace fs = std::filesystem;

constexpr char kIndexFileName[] = "index.dat";
constexpr char kSourcesVariable[] = "ZORVANE_URL_CACHE";
constexpr std::uint32_t kNormalEntry = 0x1;

}  // namespace

UrlCacheSourceKind RecognizeUrlCacheSource(std::string_view first_bytes) {
  if (IsIeCacheIndex(first_bytes)) return UrlCacheSourceKind::kIeCacheIndex;
  if (browsers::IsSqliteDatabase(first_bytes)) return UrlCacheSourceKind::kSqlite;
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

namespace {

// One source as it will be read: the file and its kind.
struct ResolvedSource {
  std::string file;
  UrlCacheSourceKind kind = UrlCacheSourceKind::kUnknown;
};

// The file a source path stands for and its kind, or the reason it cannot be read.
browsers::SourceStatus ResolveSource(const std::string& path, ResolvedSource* source) {
  std::error_code error;
  source->file = path;
  if (fs::is_directory(browsers::PathFromUtf8(path), error)) {
    source->file = browsers::Utf8FromPath(browsers::PathFromUtf8(path) / kIndexFileName);
  }
  const fs::path file = browsers::PathFromUtf8(source->file);
  const fs::file_status status = fs::status(file, error);
  if (!fs::exists(status)) {
    // A dangling link or a path through a file reads as missing too.
    return browsers::SourceStatus::kMissing;
  }
  // Checked before the open so that a FIFO in its place cannot block it.
  if (!fs::is_regular_file(status)) return browsers::SourceStatus::kUnreadable;
  std::string first(kUrlCacheSourceProbeBytes, '\0');
  std::ifstream in(file, std::ios::binary);
  if (!in) return browsers::SourceStatus::kUnreadable;
  in.read(first.data(), static_cast<std::streamsize>(first.size()));
  first.resize(static_cast<std::size_t>(in.gcount()));
  source->kind = RecognizeUrlCacheSource(first);
  return source->kind == UrlCacheSourceKind::kUnknown ? browsers::SourceStatus::kUnknownKind
                                                      : browsers::SourceStatus::kRead;
}

// The paths of the sources: those $ZORVANE_URL_CACHE names on Linux, else the histories
// of the browser profiles found.
std::vector<std::string> SourcePaths(Platform& platform, const DiagnoseSource& diagnose) {
  const browsers::BrowserSystem system = browsers::SystemOf(platform);
  if (system == browsers::BrowserSystem::kLinux) {
    if (const std::optional<std::string> named = EnvironmentVariable(platform, kSourcesVariable)) {
      return SplitUrlCacheSources(*named);
    }
  }
  std::vector<std::string> paths;
  for (browsers::BrowserProfile& profile :
       browsers::DiscoverBrowserProfiles(system, browsers::UserFoldersOf(platform), diagnose)) {
    paths.push_back(std::move(profile.history));
  }
  return paths;
}

}  // namespace

void EnumerateUrlCacheInBatches(Platform& platform, std::uint32_t type_mask,
                                const UrlCacheBatchVisitor& visit) {
  const DiagnoseSource diagnose = [&platform](const std::string& line) { platform.Diagnose(line); };
  const auto report = [&](const std::string& path, browsers::SourceStatus status) {
    diagnose(path + ": " + std::string(browsers::SourceStatusReason(status)));
  };

  // Every history is read before the first entry is handed out, since a later database
  // can add hits to an address an earlier one holds, and so can the histories to an
  // entry of the system's cache, a cache list or an index.dat.
  std::vector<ResolvedSource> files;
  browsers::SeenFiles seen_databases;
  browsers::MergedHistory history;
  for (const std::string& path : SourcePaths(platform, diagnose)) {
    ResolvedSource source;
    if (const browsers::SourceStatus status = ResolveSource(path, &source);
        status != browsers::SourceStatus::kRead) {
      report(path, status);
      continue;
    }
    if (source.kind != UrlCacheSourceKind::kSqlite) {
      files.push_back(std::move(source));
      continue;
    }
    if (!seen_databases.Insert(source.file)) continue;
    history.Begin();
    if (const browsers::SourceStatus status = browsers::ReadBrowserHistory(
            source.file,
            [&](std::string_view address, std::uint32_t hits) { history.Add(address, hits); });
        status != browsers::SourceStatus::kRead) {
      history.Rollback();
      report(path, status);
    }
  }

  CacheWithHistory cache(
      history, {[&platform](std::string_view utf8) { return platform.SurvivesAnsi(utf8); },
                [&platform](std::string_view utf8) { return platform.ToAnsi(utf8); }});
  EntryBatch batch(visit, type_mask, &cache);
  // The system's cache has chosen its entries by type already, and an address it hands
  // over lasts only as long as the call.
  platform.EnumerateUrlCache(type_mask, [&batch](const UrlCacheEntry& entry) {
    return batch.Add(entry) && batch.Flush();
  });
  std::optional<IeIndexReader> index_reader;  // its buffers serve every index file
  for (std::size_t i = 0; !batch.stopped() && i < files.size(); ++i) {
    if (files[i].kind == UrlCacheSourceKind::kCacheList) {
      ReadCacheListFile(files[i].file, batch);
    } else {
      if (!index_reader) index_reader.emplace();
      index_reader->ReadFile(files[i].file, batch);
    }
  }
  if (!batch.Flush() || (type_mask & kNormalEntry) == 0) return;
  // The history addresses that remain are handed over as they are, not joined again.
  EntryBatch remaining(visit);
  cache.AddRemainingHistory(remaining);
  remaining.Flush();
}

void EnumerateUrlCache(Platform& platform, std::uint32_t type_mask,
                       const std::function<bool(const UrlCacheEntry&)>& visit) {
  EnumerateUrlCacheInBatches(platform, type_mask, EachEntry(visit));
}

}  // namespace zorvane::urlcache
