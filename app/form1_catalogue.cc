// Form1::Command2_Click: the catalogue build. Walks the Favorites folder tree, reads the
// address of every Internet shortcut, stores each title under its address in the
// settings file and writes url.dat once at the end.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "app/repaint_throttle.h"
#include "app/window_texts.h"
#include "base/paths.h"
#include "base/text.h"
#include "browsers/favorites_mirror.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/file_listing.h"
#include "catalogue/folder_walk.h"
#include "catalogue/profile_access.h"
#include "registry/favorites_folder.h"

namespace zorvane {
namespace {

constexpr char kShortcutSection[] = "InternetShortcut";
constexpr char kShortcutKey[] = "URL";
constexpr auto kProgressRepaintInterval = std::chrono::milliseconds(50);

// Reads the whole address of a shortcut, and its ANSI form: starts with a buffer that
// fits nearly every address and doubles it while the value fills the buffer, so no
// address is ever cut.
std::string ReadShortcutAddress(Platform& platform, const std::string& path, std::string* ansi) {
  constexpr std::uint32_t kFirstSize = 2048;
  constexpr std::uint32_t kLargestSize = 1u << 30;
  std::uint32_t size = kFirstSize;
  while (true) {
    std::string address = ReadIniString(platform, kShortcutSection, kShortcutKey, size, path);
    *ansi = platform.ToAnsi(address);
    // A value cut at a double-byte character ends one byte short of the buffer.
    if (ansi->size() + 2 < size || size >= kLargestSize) return address;
    size *= 2;
  }
}

}  // namespace

void Form1::Command2_Click() { BuildCatalogue(/*refresh_mirrors=*/true); }

void Form1::BuildCatalogue(bool refresh_mirrors) {
  CommandGuard guard(*this);
  if (!guard.Acquired()) return;

  const std::string favorites = ReadFavoritesFolder(platform_);
  if (favorites.empty()) {
    view_.ShowMessage(form1_texts::kNoFavoritesFolder, MessageKind::kFailure);
    return;
  }

  // The browsers' bookmarks first, where the folder holds their mirrors (or is Zorvane's
  // own): "お気に入りデータの更新" then ranks what the browsers hold now.
  if (refresh_mirrors && !RefreshMirrors(favorites)) {
    view_.ShowMessage(form1_texts::kBuildBusy, MessageKind::kFailure);
    return;
  }

  // No import writes into the folder while it is walked. A folder that no import has
  // used has no lock file, and is walked without one.
  std::unique_ptr<Platform::FileLock> lock;
  if (browsers::LockFavoritesFolder(platform_, favorites, Platform::LockMode::kShared,
                                    /*create=*/false, FavoritesLockWait(),
                                    &lock) == Platform::LockResult::kBusy) {
    view_.ShowMessage(form1_texts::kBuildBusy, MessageKind::kFailure);
    return;
  }
  // The folders an import is still writing (or was killed writing) are no favourites.
  FolderWalk walk(platform_, [](const std::string&, const DirEntry& entry) {
    return browsers::IsImportStagingFolder(entry.name, entry.attributes);
  });
  const std::int32_t upper = walk.GetFolderList(favorites);
  state_.list1.clear();
  if (upper >= 0) state_.list1 = walk.strFolderList();
  if (upper == -1) {
    Refresh();
    view_.ShowMessage(form1_texts::kFolderListFailed, MessageKind::kFailure);
    return;
  }

  // The progress display comes first: listing a large tree takes a while.
  state_.pbar_visible = true;
  state_.pbar_max = 0;
  state_.pbar_value = 0;
  state_.label1 = form1_texts::kBuilding;
  Refresh();
  RepaintThrottle progress_repaints(kProgressRepaintInterval, clock_());

  // Each folder is listed once, up front: the listings give the progress bar an exact
  // maximum, and the loop below visits exactly these names. The window breathes between
  // folders.
  std::vector<std::vector<std::string>> listings;
  listings.reserve(state_.list1.size());
  double file_count = 0;
  for (const std::string& folder : state_.list1) {
    listings.push_back(ListFolderFiles(platform_, folder));
    file_count += static_cast<double>(listings.back().size());
    view_.DoEvents();
  }
  state_.pbar_max = file_count;

  const char separator = platform_.PathSeparator();
  CatalogueText catalogue;
  std::vector<std::pair<std::string, std::string>> titles;
  for (std::size_t i = 0; i < state_.list1.size(); ++i) {
    const std::string& folder = state_.list1[i];
    state_.file1_path = folder;
    for (const std::string& name : listings[i]) {
      if (state_.pbar_max > state_.pbar_value) {
        state_.pbar_value += 1;
        // Folders of other files move the bar too; one repaint per file would cost more
        // than the file.
        if (progress_repaints.Due(clock_())) Refresh();
      }
      // The last three characters, compared exactly: "url" in lower case, with or
      // without a dot before them.
      if (text::LastChars(name, 3) == "url") {
        const std::string path = paths::JoinAlways(folder, name, separator);
        const std::string title(text::DropLastChars(name, 4));
        std::string ansi_address;
        std::string address = ReadShortcutAddress(platform_, path, &ansi_address);
        view_.DoEvents();
        // A title entry that could never be read back (a line break in it, or an
        // address that would make its line a comment or a section header) is left out;
        // the address is still catalogued, and the other titles are stored.
        if (CanStoreSetting(platform_, kTitleSection, address, title)) {
          titles.emplace_back(address, title);
        }
        catalogue.AppendRecord(ansi_address);
        Refresh();
        progress_repaints.Painted(clock_());
        view_.DoEvents();
      }
      view_.DoEvents();
    }
  }

  // The title entries reach the disk before url.dat, so a catalogue never names an
  // address whose title is missing; url.dat is replaced whole or not at all.
  const ProgramFiles files{&platform_, program_dir_};
  const bool saved = WriteSettings(files, kTitleSection, titles) &&
                     platform_.WriteFileAtomic(
                         paths::JoinEnsuringSeparator(program_dir_, kCatalogueFileName, separator),
                         catalogue.FileBytes());
  state_.pbar_visible = false;
  Refresh();
  if (!saved) {
    view_.ShowMessage(form1_texts::kSaveFailed, MessageKind::kFailure);
    return;
  }
  view_.ShowMessage(form1_texts::kBuilt, MessageKind::kInformation);
}

}  // namespace zorvane
