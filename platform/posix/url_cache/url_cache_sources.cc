#include "platform/posix/url_cache/url_cache_sources.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/posix/url_cache/browser_discovery.h"
#include "platform/posix/url_cache/browser_history.h"
#include "platform/posix/url_cache/cache_list.h"
#include "platform/posix/url_cache/ie_index.h"

namespace zorvane {
namespace {

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

bool EnumerateUrlCacheSource(const std::string& path,
                             const std::function<bool(const UrlCacheEntry&)>& visit) {
  std::error_code error;
  std::string file = path;
  if (std::filesystem::is_directory(path, error)) {
    file = (std::filesystem::path(path) / kIndexFileName).string();
  }
  if (!std::filesystem::is_regular_file(file, error)) return true;

  std::string first(kUrlCacheSourceProbeBytes, '\0');
  {
    std::ifstream in(file, std::ios::binary);
    if (!in) return true;
    in.read(first.data(), static_cast<std::streamsize>(first.size()));
    first.resize(static_cast<std::size_t>(in.gcount()));
  }
  switch (RecognizeUrlCacheSource(first)) {
    case UrlCacheSourceKind::kCacheList:
      return EnumerateCacheListFile(file, visit);
    case UrlCacheSourceKind::kIeCacheIndex:
      return EnumerateIeCacheIndexFile(file, visit);
    case UrlCacheSourceKind::kSqlite:
      return EnumerateBrowserHistory(file, visit);
    case UrlCacheSourceKind::kUnknown:
      return true;
  }
  return true;
}

void EnumerateUrlCacheSources(const char* sources, const std::string& home_dir,
                              const std::function<bool(const UrlCacheEntry&)>& visit) {
  const std::vector<std::string> paths =
      sources != nullptr ? SplitUrlCacheSources(sources) : DiscoverUrlCacheSources(home_dir);
  for (const std::string& path : paths) {
    if (!EnumerateUrlCacheSource(path, visit)) return;
  }
}

}  // namespace zorvane
