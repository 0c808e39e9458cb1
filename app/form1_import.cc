// Form1::mnuImportBookmarks_Click and Form1::ImportBookmarks: the browsers' bookmarks
// mirrored into the Favorites folder, where the catalogue build finds them (favourites
// that are browser bookmarks, not shortcut files: every Linux user's, and every Windows
// user's who does not browse with Internet Explorer).
#include "app/form1.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/window_texts.h"
#include "browsers/bookmark_import.h"
#include "browsers/file_identity.h"
#include "registry/favorites_folder.h"

namespace zorvane {
namespace {

// How long a command waits for another one, of this program or another, that uses the
// Favorites folder: a 20,000-bookmark import takes a few seconds.
constexpr auto kFavoritesLockWait = std::chrono::seconds(60);

// "N個のブックマークを取り込みました", with what was left out and how many sources were not
// imported when there were any.
std::string ImportedMessage(const browsers::ImportSummary& summary) {
  std::string message = std::to_string(summary.bookmarks) + form1_texts::kImportedCount;
  if (summary.left_out > 0) {
    message +=
        form1_texts::kLeftOutBefore + std::to_string(summary.left_out) + form1_texts::kLeftOutAfter;
  }
  if (summary.too_long > 0) {
    message +=
        form1_texts::kTooLongBefore + std::to_string(summary.too_long) + form1_texts::kLeftOutAfter;
  }
  if (summary.skipped_sources > 0) {
    message += form1_texts::kSkippedSourcesBefore + std::to_string(summary.skipped_sources) +
               form1_texts::kSkippedSourcesAfter;
  }
  return message;
}

// An environment variable through the platform, or "" when it is not set.
std::string EnvironmentValue(Platform& platform, const std::string& name) {
  const std::string reference = "%" + name + "%";
  const std::string value = platform.ExpandEnvironmentStrings(reference);
  return value == reference ? std::string() : value;
}

// Makes `folder` and every missing folder above it (Zorvane's own Favorites folder, deep
// in the data folder). Failures show later, when the folder is walked.
void MakeFolders(Platform& platform, const std::string& folder) {
  if (folder.empty() || platform.GetFileAttributes(folder) != kInvalidFileAttributes) return;
  const std::size_t separator = folder.find_last_of(platform.PathSeparator());
  if (separator != std::string::npos && separator > 0) {
    MakeFolders(platform, folder.substr(0, separator));
  }
  platform.CreateDirectory(folder);
}

}  // namespace

std::vector<browsers::BookmarkSource> Form1::DiscoverBookmarkSources(bool diagnose) {
  // The folder layout of the system whose paths use the platform's separator.
  const browsers::BrowserSystem system = platform_.PathSeparator() == '\\'
                                             ? browsers::BrowserSystem::kWindows
                                             : browsers::BrowserSystem::kLinux;
  browsers::DiscoveryDiagnostic say;
  if (diagnose) say = [this](const std::string& line) { platform_.Diagnose(line); };
  return browsers::DiscoverBookmarkSources(
      system,
      browsers::UserFoldersFromEnvironment(
          system, [this](const char* name) { return EnvironmentValue(platform_, name); }),
      say);
}

browsers::ImportSummary Form1::RunImport(const std::vector<browsers::BookmarkSource>& sources,
                                         const std::string& favorites) {
  // Many bookmarks take a moment to write: say so before the window stops answering.
  state_.label1 = form1_texts::kImporting;
  Refresh();
  view_.DoEvents();
  return browsers::ImportBookmarks(platform_, sources, favorites, FavoritesLockWait(),
                                   [this](const std::string& line) { platform_.Diagnose(line); });
}

bool Form1::ImportBookmarks(const std::vector<std::string>& from, const std::string& into) {
  CommandGuard guard(*this);
  if (!guard.Acquired()) return false;

  const std::string favorites = into.empty() ? ReadFavoritesFolder(platform_) : into;
  if (favorites.empty()) {
    view_.ShowMessage(form1_texts::kNoFavoritesFolder, MessageKind::kFailure);
    return false;
  }
  std::vector<browsers::BookmarkSource> discovered = DiscoverBookmarkSources(from.empty());
  std::vector<browsers::BookmarkSource> sources;
  if (from.empty()) {
    sources = std::move(discovered);
  } else {
    // A profile's file named by hand gets the folder name the search gives it, so one
    // profile never has two mirrors.
    for (const std::string& path : from) {
      const auto found = std::find_if(discovered.begin(), discovered.end(),
                                      [&](const browsers::BookmarkSource& source) {
                                        return browsers::SameFile(source.path, path);
                                      });
      sources.push_back({path, found == discovered.end() ? "" : found->folder_name});
    }
  }
  if (sources.empty()) {
    view_.ShowMessage(form1_texts::kNoBookmarks, MessageKind::kFailure);
    return false;
  }
  MakeOwnFavoritesFolder(favorites);
  const browsers::ImportSummary summary = RunImport(sources, favorites);
  if (summary.busy) {
    view_.ShowMessage(form1_texts::kImportBusy, MessageKind::kFailure);
    return false;
  }
  if (summary.imported_sources == 0) {
    view_.ShowMessage(form1_texts::kImportFailed, MessageKind::kFailure);
    return false;
  }
  view_.ShowMessage(ImportedMessage(summary), MessageKind::kInformation);
  return true;
}

bool Form1::MakeOwnFavoritesFolder(const std::string& favorites) {
  const std::string own = platform_.OwnFavoritesFolder();
  if (own.empty() || favorites != own) return false;
  MakeFolders(platform_, favorites);
  return true;
}

bool Form1::RefreshMirrors(const std::string& favorites) {
  if (!MakeOwnFavoritesFolder(favorites) && !browsers::HoldsMirror(platform_, favorites)) {
    return true;
  }
  const std::vector<browsers::BookmarkSource> sources = DiscoverBookmarkSources(true);
  return sources.empty() || !RunImport(sources, favorites).busy;
}

browsers::LockWait Form1::FavoritesLockWait() {
  return {kFavoritesLockWait, [this, saved = std::optional<std::string>()](bool waiting) mutable {
            if (waiting && !saved) {
              saved = state_.label1;
              state_.label1 = form1_texts::kWaitingForFavorites;
              Refresh();
            } else if (!waiting && saved) {
              state_.label1 = *saved;
              saved.reset();
              Refresh();
            }
            view_.DoEvents();
          }};
}

void Form1::mnuImportBookmarks_Click() {
  // The import just ran: the build need not run it again.
  if (ImportBookmarks({}, "")) BuildCatalogue(/*refresh_mirrors=*/false);
}

}  // namespace zorvane
