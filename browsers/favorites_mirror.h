// What the bookmark import leaves in a Favorites folder, and the rules that the import
// and the catalogue build share about it:
// - every mirror (one subfolder per bookmark source) holds the marker file
//   kImportMarkerFile, which names the mirror and lists what the import wrote in it;
//   anything else in a mirror is the user's own and survives the next import;
// - a mirror is built under a staging name (kStagingPrefix and eight hex digits), and
//   put in place whole; the old one is removed under that name (or that name and
//   kAsideSuffix). The catalogue build never walks a folder of such a name, so it never
//   sees half a tree, not even of a removal that a kill cut short;
// - one import at a time: the import locks kFavoritesLockFile exclusively, and the
//   catalogue build shares the lock while it walks.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace zorvane::browsers {

inline constexpr char kImportMarkerFile[] = ".zorvane-import";
inline constexpr char kStagingPrefix[] = ".zorvane-new-";
// The old mirror steps aside under its staging folder's name and this, where the file
// system cannot exchange two folders in one step.
inline constexpr char kAsideSuffix[] = ".old";
inline constexpr char kFavoritesLockFile[] = ".zorvane-lock";

// What a marker says. Markers of the first imports hold only their first line: they name
// no mirror and list nothing (`lists_written` false).
struct MirrorMarker {
  std::string mirror_name;           // the mirror's folder name
  bool lists_written = false;        // whether `written` is the list of what the import wrote
  std::vector<std::string> written;  // paths relative to the mirror, "/" between names
};

// The marker's text (UTF-8, CR LF lines).
std::string MarkerText(const MirrorMarker& marker);
// The marker of that text; a text of no marker gives one that lists nothing.
MirrorMarker ParseMarker(std::string_view text);

// Whether a folder entry is a staging folder of the import (or an old mirror put aside
// or being removed): a folder, no link, named kStagingPrefix, eight lower-case hex digits
// and perhaps kAsideSuffix. The catalogue build leaves those out.
bool IsImportStagingFolder(std::string_view name, std::uint32_t attributes);
// The name of a new staging folder, from a random number.
std::string StagingFolderName(std::uint32_t random);

// Whether the Favorites folder holds a mirror an import made (a folder, no link, with the
// marker).
bool HoldsMirror(Platform& platform, const std::string& favorites);

// How long to wait for the lock, and what to do meanwhile: `idle(true)` between tries
// (the window says so and keeps answering), `idle(false)` once when the waiting ends.
struct LockWait {
  std::chrono::milliseconds wait{60000};
  std::function<void(bool waiting)> idle;
};

// Locks the Favorites folder's lock file in `mode`, trying again until `wait.wait` has
// passed while another process holds a conflicting lock. `create` makes the lock file
// when it is missing (the import); without it a missing file is kFailed (a folder that
// no import has used yet: the build then walks without a lock).
Platform::LockResult LockFavoritesFolder(Platform& platform, const std::string& favorites,
                                         Platform::LockMode mode, bool create, const LockWait& wait,
                                         std::unique_ptr<Platform::FileLock>* lock);

}  // namespace zorvane::browsers
