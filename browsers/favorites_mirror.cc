#include "browsers/favorites_mirror.h"

#include <cstdio>
#include <thread>

#include "base/paths.h"

namespace zorvane::browsers {
namespace {

constexpr char kMarkerFirstLine[] =
    "This folder mirrors browser bookmarks. Zorvane replaces it at each import.";
constexpr char kMarkerYoursLine[] =
    "Files and folders that are not listed below are yours: the next import keeps them.";
constexpr std::string_view kMirrorKey = "mirror=";
constexpr std::string_view kWrittenLine = "written:";
constexpr auto kLockRetry = std::chrono::milliseconds(100);
constexpr std::size_t kStagingDigits = 8;

}  // namespace

std::string MarkerText(const MirrorMarker& marker) {
  std::string text = std::string(kMarkerFirstLine) + "\r\n" + kMarkerYoursLine + "\r\n";
  text += std::string(kMirrorKey) + marker.mirror_name + "\r\n";
  text += std::string(kWrittenLine) + "\r\n";
  for (const std::string& path : marker.written) text += path + "\r\n";
  return text;
}

MirrorMarker ParseMarker(std::string_view text) {
  MirrorMarker marker;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (marker.lists_written) {
      if (!line.empty()) marker.written.emplace_back(line);
    } else if (line.starts_with(kMirrorKey)) {
      marker.mirror_name = line.substr(kMirrorKey.size());
    } else if (line == kWrittenLine) {
      marker.lists_written = true;
    }
  }
  return marker;
}

bool IsImportStagingFolder(std::string_view name, std::uint32_t attributes) {
  if ((attributes & kFileAttributeDirectory) == 0 ||
      (attributes & kFileAttributeReparsePoint) != 0 || !name.starts_with(kStagingPrefix)) {
    return false;
  }
  name.remove_prefix(std::string_view(kStagingPrefix).size());
  if (name.ends_with(kAsideSuffix)) name.remove_suffix(std::string_view(kAsideSuffix).size());
  return name.size() == kStagingDigits &&
         name.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::string StagingFolderName(std::uint32_t random) {
  char digits[kStagingDigits + 1];
  std::snprintf(digits, sizeof(digits), "%08x", static_cast<unsigned>(random));
  return kStagingPrefix + std::string(digits);
}

bool HoldsMirror(Platform& platform, const std::string& favorites) {
  std::vector<DirEntry> entries;
  if (!platform.ListDirectory(favorites, &entries)) return false;
  const char separator = platform.PathSeparator();
  for (const DirEntry& entry : entries) {
    if ((entry.attributes & kFileAttributeDirectory) == 0 ||
        (entry.attributes & kFileAttributeReparsePoint) != 0 ||
        IsImportStagingFolder(entry.name, entry.attributes)) {
      continue;
    }
    const std::uint32_t marker = platform.GetFileAttributes(
        paths::JoinAlways(paths::JoinEnsuringSeparator(favorites, entry.name, separator),
                          kImportMarkerFile, separator));
    if (marker != kInvalidFileAttributes && (marker & kFileAttributeDirectory) == 0) return true;
  }
  return false;
}

Platform::LockResult LockFavoritesFolder(Platform& platform, const std::string& favorites,
                                         Platform::LockMode mode, bool create, const LockWait& wait,
                                         std::unique_ptr<Platform::FileLock>* lock) {
  const std::string path =
      paths::JoinEnsuringSeparator(favorites, kFavoritesLockFile, platform.PathSeparator());
  const auto give_up = std::chrono::steady_clock::now() + wait.wait;
  for (bool waited = false;; waited = true) {
    const Platform::LockResult result = platform.TryLockFile(path, mode, create, lock);
    if (result != Platform::LockResult::kBusy || std::chrono::steady_clock::now() >= give_up) {
      if (waited && wait.idle) wait.idle(false);
      return result;
    }
    if (wait.idle) wait.idle(true);
    std::this_thread::sleep_for(kLockRetry);
  }
}

}  // namespace zorvane::browsers
