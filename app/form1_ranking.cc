// Form1: the ranking command of the button "ランキング".
#include "app/form1.h"

#include <cstdint>
#include <string>
#include <vector>

#include "app/window_texts.h"
#include "base/paths.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/profile_access.h"
#include "list/listsort.h"
#include "ranking/ranking.h"
#include "ranking/top_ten.h"
#include "ranking/url_cache_scan.h"

namespace zorvane {
namespace {

// The mask used when no selector row is selected: normal entries, as at start.
constexpr std::uint32_t kDefaultTypeMask = 0x1;

// Whether `path` names an ordinary file: present, not a folder, not hidden or system.
bool IsOrdinaryFile(Platform& platform, const std::string& path) {
  const std::uint32_t attributes = platform.GetFileAttributes(path);
  if (attributes == kInvalidFileAttributes) return false;
  constexpr std::uint32_t kNotOrdinary =
      kFileAttributeDirectory | kFileAttributeHidden | kFileAttributeSystem;
  return (attributes & kNotOrdinary) == 0;
}

}  // namespace

void Form1::Command1_Click() {
  CommandGuard guard(*this);
  if (!guard.Acquired()) return;

  const std::string catalogue_path =
      paths::JoinEnsuringSeparator(program_dir_, kCatalogueFileName, platform_.PathSeparator());
  if (!IsOrdinaryFile(platform_, catalogue_path)) {
    view_.ShowMessage(form1_texts::kNoCatalogue, MessageKind::kFailure);
    return;
  }

  // The catalogue is read before the scan so that the scan keeps only the favourites'
  // rows. It may have gone since the test above; it then has no entries. One that is
  // there but cannot be read is named, and ranks as an empty one.
  std::string catalogue_bytes;
  if (platform_.ReadFile(catalogue_path, &catalogue_bytes) == FileRead::kFailed) {
    platform_.Diagnose(catalogue_path + ": cannot be read");
  }
  const FavouriteAddresses favourites(platform_,
                                      ReadCatalogueEntries(platform_.FromAnsi(catalogue_bytes)));

  const int selected = state_.combo1_list_index;
  const std::uint32_t mask =
      selected >= 0 && static_cast<std::size_t>(selected) < state_.combo1.size()
          ? state_.combo1[static_cast<std::size_t>(selected)].item_data
          : kDefaultTypeMask;

  // The scan shows no progress of its own: paint the label before it starts, with the
  // list already emptied and hidden, so the old ranking is not on screen meanwhile. The
  // list stays hidden while rows are added, dropped and changed.
  std::vector<ListViewRow>& rows = state_.list_view1;
  rows.clear();
  state_.list_view1_visible = false;
  state_.label1 = form1_texts::kScanning;
  Refresh();

  // The scan counts and sums every row it accepts but appends, of the favourites' rows
  // that pass the pre-filter, only the ten that the sort below keeps of them all, in the
  // order they came: the sort then puts them where it would have put them among all.
  const ScanCount scanned = ScanUrlCacheForFavourites(platform_, mask, favourites, &rows);
  state_.label1 = FormatCountLabel(scanned.rows);
  const std::int64_t total_hits = scanned.total_hits;

  // Let the window repaint (and show the count) once; a second start is ignored meanwhile.
  Refresh();
  view_.DoEvents();

  // A view whose list control sorts by itself (the Win32 list view) orders the rows
  // there; the others get the same order from the portable routine.
  if (view_.SortListView(&rows, kHitsColumn, kCompareAsNumbers, kSortDescending)) {
    if (rows.size() > kTopTenRows) rows.resize(kTopTenRows);
  } else {
    SortAndKeepTopTen(platform_, &rows);
  }
  // A title depends on the address alone, a rate on the hit count alone, and the order on
  // the hit count alone, so only the rows that stay are given them: at most ten look-ups
  // in the settings file instead of one per favourite that was viewed.
  SetRates(total_hits, &rows);
  const ProgramFiles files{&platform_, program_dir_};
  SetTitles(
      [&](const std::string& address) { return ReadSetting(files, kTitleSection, address, ""); },
      &rows);
  const auto places = SetTrendIcons(
      [&](const std::string& title) {
        return ReadSetting(files, kRankSection, title, kDefaultStoredPlace);
      },
      &rows);
  // One replacement of the settings file leaves what one write per row would leave. A
  // failed write is not reported: the rows shown are right either way, the command has
  // no success message that could mislead, and the file stays whole (old or new), so
  // the next run only compares with older places.
  if (!places.empty()) WriteSettings(files, kRankSection, places);

  state_.list_view1_visible = true;
  Refresh();
}

}  // namespace zorvane
