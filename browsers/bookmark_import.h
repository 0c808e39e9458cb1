// Mirroring browser bookmarks into the Favorites folder as ordinary Internet shortcuts,
// so the catalogue build finds a Linux user's favourites where it finds anyone's.
//
// Each source gets one subfolder of the Favorites folder holding its folder tree, one
// shortcut per bookmark, written as the add-to-Favorites command writes them. The
// subfolder is built beside its place under a hidden name and then put in place in one
// step, so a catalogue build never sees half a tree and a bookmark deleted in the
// browser disappears. A subfolder the import made carries the file kImportMarkerFile;
// a folder without it is the user's own and is never replaced, and nothing else in the
// Favorites folder is touched.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "browsers/bookmarks.h"
#include "browsers/profiles.h"
#include "platform/platform.h"

namespace zorvane::browsers {

inline constexpr char kImportMarkerFile[] = ".zorvane-import";

// One file to import.
struct BookmarkSource {
  std::string path;         // places.sqlite, a Bookmarks file or a bookmarks HTML file
  std::string folder_name;  // the subfolder's name; "" to name it after the file's kind
                            // and folder ("Firefox (abc.default)") or, for HTML, its name
};

// The bookmark files of the browser profiles found (the profiles whose histories the URL
// cache reads, in the same order), each named "BROWSER (PROFILE)".
std::vector<BookmarkSource> DiscoverBookmarkSources(BrowserSystem system,
                                                    const UserFolders& folders);

struct ImportSummary {
  int imported_sources = 0;  // subfolders written
  int skipped_sources = 0;   // sources that could not be read, or whose folder is not ours
  int bookmarks = 0;         // shortcuts written
  int left_out = 0;          // bookmarks whose address is no page (javascript:, place:, ...)
};

// Imports every source into `favorites_folder` (which must exist). Names: a bookmark's
// title (its first 100 characters) made a safe file name under the platform's rule; an
// empty title gives a name from the address; a name already taken in its folder gets
// " (2)", " (3)", ... Only http, https, ftp and file addresses are pages; others are left
// out and counted; separators are left out. An address is written with its characters the
// ANSI code page cannot hold percent-encoded (UTF-8), as the history reader hands it to
// the ranking. Each source that is skipped is named through `diagnose` with the reason.
ImportSummary ImportBookmarks(Platform& platform, const std::vector<BookmarkSource>& sources,
                              const std::string& favorites_folder,
                              const std::function<void(const std::string& line)>& diagnose);

}  // namespace zorvane::browsers
