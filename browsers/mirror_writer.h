// Writes one bookmark tree as Internet shortcuts into a folder that the import is building
// and will put in place whole: one folder per bookmark folder, one ".url" file per
// bookmark, as the add-to-Favorites command writes them.
//
// Names: the title (its first 100 characters; the address without its scheme when there
// is none) made a safe file name, cut further, a character at a time, until it fits both
// where it is written and where it will stand (Platform::NameFits). The file system
// decides collisions: each file and folder is created new, and a name taken already (under
// whatever case rule the system has) gets " (2)", " (3)", ... An entry that cannot fit
// even as one character is left out and counted, with everything below it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "browsers/bookmarks.h"
#include "platform/platform.h"

namespace zorvane::browsers {

// Whether an address is a page the catalogue can rank: http, https, ftp or file, one line.
bool IsPageAddress(std::string_view address);

class MirrorWriter final {
 public:
  // Writes into the existing folder `staged`; every name must fit there and in each of
  // the folders `also_fit` (where the tree will stand, where it may step aside).
  MirrorWriter(Platform& platform, std::string staged, std::vector<std::string> also_fit);
  MirrorWriter(const MirrorWriter&) = delete;
  MirrorWriter& operator=(const MirrorWriter&) = delete;

  // Writes the children of `root`. False when a file or folder could not be written for
  // another reason than its length (a full disk, permissions).
  bool Write(const BookmarkNode& root);

  int written() const { return written_; }    // shortcuts written
  int left_out() const { return left_out_; }  // bookmarks that are no pages
  int too_long() const { return too_long_; }  // pages whose name or folder could not fit
  // Every file and folder written, relative to the mirror, "/" between names, in order.
  const std::vector<std::string>& written_paths() const { return written_paths_; }

 private:
  bool WriteFolder(const BookmarkNode& folder, const std::string& relative);
  // Creates the entry for `title` in the folder `relative` (a folder, or a shortcut file
  // holding `bytes`); its name relative to the mirror in `*created`, "" when it cannot fit.
  bool Create(const std::string& relative, const std::string& title, bool is_folder,
              std::string_view bytes, std::string* created);
  // Counts the pages and other bookmarks below a folder that is left out.
  void CountLeftOut(const BookmarkNode& folder);
  std::string Path(const std::string& root, const std::string& relative) const;

  Platform& platform_;
  const char separator_;
  const std::string staged_;
  const std::vector<std::string> also_fit_;
  int written_ = 0;
  int left_out_ = 0;
  int too_long_ = 0;
  std::vector<std::string> written_paths_;
};

}  // namespace zorvane::browsers
