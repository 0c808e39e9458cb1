// Form1::mnuImportBookmarks_Click and Form1::ImportBookmarks: the browsers' bookmarks
// mirrored into the Favorites folder, where the catalogue build finds them (favourites
// that are browser bookmarks, not shortcut files: every Linux user's, and every Windows
// user's who does not browse with Internet Explorer).
#include "app/form1.h"

#include <string>
#include <vector>

#include "app/window_texts.h"
#include "browsers/bookmark_import.h"
#include "registry/favorites_folder.h"

namespace zorvane {
namespace {

// "N個のブックマークを取り込みました", and how many were no pages when there were any.
std::string ImportedMessage(const browsers::ImportSummary& summary) {
  std::string message = std::to_string(summary.bookmarks) + form1_texts::kImportedCount;
  if (summary.left_out > 0) {
    message +=
        form1_texts::kLeftOutBefore + std::to_string(summary.left_out) + form1_texts::kLeftOutAfter;
  }
  return message;
}

// An environment variable through the platform, or "" when it is not set.
std::string EnvironmentValue(Platform& platform, const std::string& name) {
  const std::string reference = "%" + name + "%";
  const std::string value = platform.ExpandEnvironmentStrings(reference);
  return value == reference ? std::string() : value;
}

}  // namespace

bool Form1::ImportBookmarks(const std::vector<std::string>& from, const std::string& into) {
  CommandGuard guard(*this);
  if (!guard.Acquired()) return false;

  const std::string favorites = into.empty() ? ReadFavoritesFolder(platform_) : into;
  if (favorites.empty()) {
    view_.ShowMessage(form1_texts::kNoFavoritesFolder, MessageKind::kFailure);
    return false;
  }
  std::vector<browsers::BookmarkSource> sources;
  if (from.empty()) {
    // The folder layout of the system whose paths use the platform's separator.
    const browsers::BrowserSystem system = platform_.PathSeparator() == '\\'
                                               ? browsers::BrowserSystem::kWindows
                                               : browsers::BrowserSystem::kLinux;
    sources = browsers::DiscoverBookmarkSources(
        system, browsers::UserFoldersFromEnvironment(system, [this](const char* name) {
          return EnvironmentValue(platform_, name);
        }));
  } else {
    for (const std::string& path : from) sources.push_back({path, ""});
  }
  if (sources.empty()) {
    view_.ShowMessage(form1_texts::kNoBookmarks, MessageKind::kFailure);
    return false;
  }
  // A fresh profile may not have its Favorites folder yet.
  if (platform_.GetFileAttributes(favorites) == kInvalidFileAttributes) {
    platform_.CreateDirectory(favorites);
  }

  // Many bookmarks take a moment to write: say so before the window stops answering.
  state_.label1 = form1_texts::kImporting;
  Refresh();
  view_.DoEvents();
  const browsers::ImportSummary summary = browsers::ImportBookmarks(
      platform_, sources, favorites, [this](const std::string& line) { platform_.Diagnose(line); });
  if (summary.imported_sources == 0) {
    view_.ShowMessage(form1_texts::kImportFailed, MessageKind::kFailure);
    return false;
  }
  view_.ShowMessage(ImportedMessage(summary), MessageKind::kInformation);
  return true;
}

void Form1::mnuImportBookmarks_Click() {
  if (ImportBookmarks({}, "")) Command2_Click();
}

}  // namespace zorvane
