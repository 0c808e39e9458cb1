// Mirroring browser bookmarks into the Favorites folder as ordinary Internet shortcuts,
// so the catalogue build finds a Linux user's favourites where it finds anyone's.
//
// Each source gets one subfolder of the Favorites folder (a mirror) holding its folder
// tree, written by MirrorWriter under a staging name and put in place in one step (see
// favorites_mirror.h for what a mirror holds and how the catalogue build keeps away from
// the staging folders). A folder without the marker is the user's own and is never
// replaced; files and folders the user added inside a mirror are carried into the new
// one; links are never followed; nothing else in the Favorites folder is touched.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "browsers/bookmarks.h"
#include "browsers/favorites_mirror.h"
#include "browsers/profiles.h"
#include "platform/platform.h"

namespace zorvane::browsers {

// One file to import.
struct BookmarkSource {
  std::string path;         // places.sqlite, a Bookmarks file or a bookmarks HTML file
  std::string folder_name;  // the subfolder's name; "" to name it after the file's kind
                            // and folder ("Firefox (abc.default)") or, for HTML, its name
};

// The bookmark files of the browser profiles found (the profiles whose histories the URL
// cache reads, in the same order), each named "BROWSER (PROFILE)"; folders that cannot be
// read are named through `diagnose`.
std::vector<BookmarkSource> DiscoverBookmarkSources(BrowserSystem system,
                                                    const UserFolders& folders,
                                                    const DiscoveryDiagnostic& diagnose = {});

struct ImportSummary {
  bool busy = false;         // another import or a catalogue build held the folder too long
  int imported_sources = 0;  // mirrors written
  int skipped_sources = 0;   // sources not imported; each is named through `diagnose`
  int bookmarks = 0;         // shortcuts written
  int left_out = 0;          // bookmarks whose address is no page (javascript:, place:, ...)
  int too_long = 0;          // pages whose name or folder cannot fit the file system
};

// Imports every source into `favorites_folder` (made when missing, one level; nothing is
// made or changed when no source can be read), one import at a time:
// waits for the folder's lock as `wait` says, and ends busy, with nothing changed, when
// it does not come. Staging folders that an interrupted import left are removed first
// (an old mirror that was put aside and has no successor goes back in its place). A
// source read twice (the same file by any path) is imported once. Only http, https, ftp
// and file addresses are pages; others are left out and counted; separators are left
// out. Each source that is not imported is named through `diagnose` with the reason, and
// so is each file of the user's that keeps a mirror from being replaced.
ImportSummary ImportBookmarks(Platform& platform, const std::vector<BookmarkSource>& sources,
                              const std::string& favorites_folder, const LockWait& wait,
                              const std::function<void(const std::string& line)>& diagnose);

}  // namespace zorvane::browsers
