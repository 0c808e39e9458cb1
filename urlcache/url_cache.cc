#include "platform/posix/url_cache/url_cache_sources.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "browsers/cache_with_history.h"
#include "browsers/file_identity.h"
#include "browsers/history.h"
#include "browsers/profiles.h"
#include "browsers/sqlite_copy.h"
#include "platform/posix/cp932.h"
#include "platform/posix/url_cache/cache_list.h"
#include "platform/posix/url_cache/ie_index.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;

constexpr char kIndexFileName[] = "index.dat";

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

std::vector<std::string> DiscoverUrlCacheSources(const std::string& home_dir,
                                                 const DiagnoseSource& diagnose) {
  return browsers::DiscoverBrowserHistories(home_dir, std::getenv("XDG_CONFIG_HOME"), diagnose);
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
  if (fs::is_directory(path, error)) source->file = (fs::path(path) / kIndexFileName).string();
  const fs::file_status status = fs::status(source->file, error);
  if (!fs::exists(status)) {
    // A dangling link or a path through a file reads as missing too.
    return browsers::SourceStatus::kMissing;
  }
  // Checked before the open so that a FIFO in its place cannot block it.
  if (!fs::is_regular_file(status)) return browsers::SourceStatus::kUnreadable;
  std::string first(kUrlCacheSourceProbeBytes, '\0');
  std::ifstream in(source->file, std::ios::binary);
  if (!in) return browsers::SourceStatus::kUnreadable;
  in.read(first.data(), static_cast<std::streamsize>(first.size()));
  first.resize(static_cast<std::size_t>(in.gcount()));
  source->kind = RecognizeUrlCacheSource(first);
  return source->kind == UrlCacheSourceKind::kUnknown ? browsers::SourceStatus::kUnknownKind
                                                      : browsers::SourceStatus::kRead;
}

// Code page 932 by its tables.
browsers::CodePageForms Cp932Forms() {
  return {[](std::string_view utf8) { return cp932::SurvivesRoundTrip(utf8); },
          [](std::string_view utf8) { return cp932::FromUtf8(utf8); }};
}

}  // namespace

std::string AddressForCodePage(std::string_view utf8) {
  return browsers::AddressForCodePage(utf8, Cp932Forms());
}

void EnumerateUrlCacheSources(const char* sources, const std::string& home_dir,
                              const DiagnoseSource& diagnose,
                              const std::function<bool(const UrlCacheEntry&)>& visit) {
  const std::vector<std::string> paths = sources != nullptr
                                             ? SplitUrlCacheSources(sources)
                                             : DiscoverUrlCacheSources(home_dir, diagnose);
  const auto report = [&](const std::string& path, browsers::SourceStatus status) {
    if (diagnose) diagnose(path + ": " + std::string(browsers::SourceStatusReason(status)));
  };

  // Every history is read before the first entry is handed out, since a later database
  // can add hits to an address an earlier one holds, and so can the histories to an
  // entry of a cache list or index.dat.
  std::vector<ResolvedSource> resolved;
  std::vector<char> index_buffer;
  browsers::SeenFiles seen_databases;
  browsers::MergedHistory history;
  for (const std::string& path : paths) {
    ResolvedSource source;
    if (const browsers::SourceStatus status = ResolveSource(path, &source);
        status != browsers::SourceStatus::kRead) {
      report(path, status);
      continue;
    }
    if (source.kind == UrlCacheSourceKind::kSqlite) {
      if (!seen_databases.Insert(source.file)) continue;
      history.Begin();
      if (const browsers::SourceStatus status = browsers::ReadBrowserHistory(
              source.file,
              [&](std::string_view address, std::uint32_t hits) { history.Add(address, hits); });
          status != browsers::SourceStatus::kRead) {
        history.Rollback();
        report(path, status);
      }
      continue;
    }
    resolved.push_back(std::move(source));
  }

  browsers::CacheWithHistory cache(history, Cp932Forms());
  const auto joined = [&](const UrlCacheEntry& entry) {
    return cache.VisitCacheEntry(entry, visit);
  };
  for (const ResolvedSource& source : resolved) {
    const bool go_on = source.kind == UrlCacheSourceKind::kCacheList
                           ? EnumerateCacheListFile(source.file, joined)
                           : EnumerateIeCacheIndexFile(source.file, joined, &index_buffer);
    if (!go_on) return;
  }
  cache.VisitRemainingHistory(visit);
}

}  // namespace zorvane
