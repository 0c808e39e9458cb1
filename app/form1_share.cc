// Form1::mnuAddFavorite_Click and Form1::mnuMailSend_Click: the two commands that share
// the ranking shown in ListView1, as shortcut files in a Favorites subfolder and as a
// mailto: request to the maker. Both take the rows in list order as they are.
#include "app/form1.h"

#include <string>
#include <vector>

#include "app/contact.h"
#include "app/window_texts.h"
#include "registry/favorites_folder.h"
#include "share/internet_shortcut.h"
#include "share/mail_request.h"

namespace zorvane {

void Form1::mnuAddFavorite_Click() {
  CommandGuard guard(*this);
  if (!guard.Acquired()) return;

  const std::string favorites = ReadFavoritesFolder(platform_);
  std::vector<share::FavoriteShortcut> shortcuts;
  shortcuts.reserve(state_.list_view1.size());
  for (const ListViewRow& row : state_.list_view1) {
    shortcuts.push_back({row.title, row.address});
  }
  switch (share::AddToFavorites(platform_, favorites, shortcuts)) {
    case share::AddToFavoritesResult::kAdded:
      view_.ShowMessage(form1_texts::kAdded, MessageKind::kInformation);
      break;
    case share::AddToFavoritesResult::kNoFavoritesFolder:
      view_.ShowMessage(form1_texts::kNoFavoritesFolder, MessageKind::kFailure);
      break;
    case share::AddToFavoritesResult::kFailed:
      view_.ShowMessage(form1_texts::kAddFailed, MessageKind::kFailure);
      break;
  }
}

void Form1::mnuMailSend_Click() {
  CommandGuard guard(*this);
  if (!guard.Acquired()) return;

  std::vector<share::MailRow> rows;
  rows.reserve(state_.list_view1.size());
  for (const ListViewRow& row : state_.list_view1) {
    rows.push_back({row.title, row.rate, row.address, row.hits});
  }
  // Whether a mail program took the request is not shown: the user sees it open or not.
  platform_.ShellOpen("open", share::MailRequest(kContactAddress, share::MailBody(rows)));
}

}  // namespace zorvane
