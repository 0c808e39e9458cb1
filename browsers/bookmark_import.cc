// The import, source by source: read the bookmarks, check the mirror's place, write the
// new mirror under a staging name, carry the user's own files over from the old one, and
// put it in place.
#include "browsers/bookmark_import.h"

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <string_view>

#include "base/paths.h"
#include "browsers/file_identity.h"
#include "browsers/mirror_writer.h"
#include "browsers/profiles.h"
#include "browsers/utf8_path.h"
#include "formats/internet_shortcut.h"

namespace zorvane::browsers {
namespace {

bool IsFolder(std::uint32_t attributes) {
  return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) != 0;
}
bool IsLink(std::uint32_t attributes) {
  return attributes != kInvalidFileAttributes && (attributes & kFileAttributeReparsePoint) != 0;
}

std::string DefaultFolderName(const std::string& path, BookmarkSourceKind kind) {
  const std::filesystem::path file = PathFromUtf8(path);
  const std::string parent = Utf8FromPath(file.parent_path().filename());
  switch (kind) {
    case BookmarkSourceKind::kFirefox:
      return parent.empty() ? "Firefox" : "Firefox (" + parent + ")";
    case BookmarkSourceKind::kChromium:
      return parent.empty() ? "Chromium" : "Chromium (" + parent + ")";
    case BookmarkSourceKind::kHtml:
      return Utf8FromPath(file.stem());
  }
  return Utf8FromPath(file.filename());
}

// Whether `bytes` are a shortcut file as the import writes them: the first imports'
// markers do not list what they wrote, and these are theirs.
bool IsImportedShortcut(std::string_view bytes) {
  constexpr std::string_view kStart = "[InternetShortcut]\r\nURL=";
  return bytes.starts_with(kStart) && bytes.ends_with("\r\n") &&
         bytes.find('\n', kStart.size()) == bytes.size() - 1;
}

// One source's mirror: its place in the Favorites folder, the old one there and what in
// it is the user's own, the staging folder the new one is written into.
class MirrorUpdate final {
 public:
  MirrorUpdate(Platform& platform, const std::string& favorites, std::string name)
      : platform_(platform),
        separator_(platform.PathSeparator()),
        favorites_(favorites),
        name_(std::move(name)),
        target_(paths::JoinAlways(favorites, name_, separator_)) {}
  ~MirrorUpdate() {
    if (!staged_.empty()) platform_.RemoveDirectoryTree(staged_);
  }
  MirrorUpdate(const MirrorUpdate&) = delete;
  MirrorUpdate& operator=(const MirrorUpdate&) = delete;

  const std::string& target() const { return target_; }

  // The name of the mirror that stands at this one's place, as its marker says; "" when
  // there is none.
  std::string NameThere() {
    std::string text;
    if (!IsFolder(platform_.GetFileAttributes(target_)) ||
        platform_.ReadFile(paths::JoinAlways(target_, kImportMarkerFile, separator_), &text) !=
            FileRead::kRead) {
      return "";
    }
    return ParseMarker(text).mirror_name;
  }

  // Checks the old mirror and finds the user's entries in it. "" when it may be replaced,
  // else the reason it may not; `*problems` names the entries that are the reason.
  std::string CheckOld(std::vector<std::string>* problems) {
    const std::uint32_t attributes = platform_.GetFileAttributes(target_);
    if (attributes == kInvalidFileAttributes) return "";
    if (IsLink(attributes)) return "not replaced: a link, never followed";
    const std::string marker_path = paths::JoinAlways(target_, kImportMarkerFile, separator_);
    std::string marker_text;
    const FileRead read =
        IsFolder(attributes) && !IsFolder(platform_.GetFileAttributes(marker_path))
            ? platform_.ReadFile(marker_path, &marker_text)
            : FileRead::kMissing;
    if (read == FileRead::kMissing) return "not replaced: Zorvane did not make it";
    if (read == FileRead::kFailed) return "cannot be read";
    const MirrorMarker marker = ParseMarker(marker_text);
    const std::set<std::string> written(marker.written.begin(), marker.written.end());
    std::vector<std::string> links;
    if (!FindUsersEntries(marker, written, "", &links)) return "cannot be read";
    if (!links.empty()) {
      for (const std::string& link : links) problems->push_back(Path(target_, link));
      return "not replaced: it holds a link, never followed";
    }
    return "";
  }

  // Makes the staging folder with its marker. False when it cannot be made.
  bool Stage() {
    std::random_device entropy;
    for (int attempt = 0; attempt < 16; ++attempt) {
      const std::string staged =
          paths::JoinAlways(favorites_, StagingFolderName(entropy()), separator_);
      if (platform_.CreateDirectory(staged)) {
        staged_ = staged;
        return platform_.WriteNewFile(paths::JoinAlways(staged_, kImportMarkerFile, separator_),
                                      MarkerText({name_, true, {}}));
      }
      if (platform_.GetFileAttributes(staged) == kInvalidFileAttributes) return false;
    }
    return false;
  }
  const std::string& staged() const { return staged_; }

  // Copies the user's entries of the old mirror into the new one, each at its place,
  // making the folders above it where the new tree has none. False when one cannot be
  // carried: `*problems` names those that have no place (a new entry of that name),
  // `*failed` is set when a copy failed.
  bool CarryUsersEntries(std::vector<std::string>* problems, bool* failed) {
    for (const std::string& entry : users_entries_) {
      const std::string to = Path(staged_, entry);
      if (!MakeParents(entry) || platform_.GetFileAttributes(to) != kInvalidFileAttributes) {
        problems->push_back(Path(target_, entry));
        continue;
      }
      if (!CopyEntry(Path(target_, entry), to)) *failed = true;
    }
    return problems->empty() && !*failed;
  }

  // Completes the marker with what was written and puts the new mirror in place.
  bool Finish(const std::vector<std::string>& written) {
    MirrorMarker marker{name_, true, written};
    if (!platform_.WriteFileAtomic(paths::JoinAlways(staged_, kImportMarkerFile, separator_),
                                   MarkerText(marker)) ||
        !platform_.ReplaceDirectory(staged_, target_)) {
      return false;
    }
    staged_.clear();
    return true;
  }

 private:
  std::string Path(const std::string& root, const std::string& relative) const {
    std::string path = paths::JoinAlways(root, relative, separator_);
    for (std::size_t i = root.size() + 1; i < path.size(); ++i) {
      if (path[i] == '/') path[i] = separator_;
    }
    return path;
  }

  // Walks the old mirror below `relative`: what the marker does not list is the user's
  // (with a marker of the first imports, files that are no shortcut of the import's). A
  // link anywhere goes to `*links`. False when a folder cannot be listed.
  bool FindUsersEntries(const MirrorMarker& marker, const std::set<std::string>& written,
                        const std::string& relative, std::vector<std::string>* links) {
    std::vector<DirEntry> entries;
    if (!platform_.ListDirectory(relative.empty() ? target_ : Path(target_, relative), &entries)) {
      return false;
    }
    for (const DirEntry& entry : entries) {
      const std::string path = relative.empty() ? entry.name : relative + "/" + entry.name;
      if (path == kImportMarkerFile) continue;
      if (IsLink(entry.attributes)) {
        links->push_back(path);
        continue;
      }
      const bool folder = IsFolder(entry.attributes);
      bool imported = written.count(path) != 0;
      if (!marker.lists_written) {
        std::string bytes;
        imported = folder || (platform_.ReadFile(Path(target_, path), &bytes) == FileRead::kRead &&
                              IsImportedShortcut(bytes));
      }
      if (!imported) {
        users_entries_.push_back(path);
        if (folder && !FindLinks(path, links)) return false;
      } else if (folder && !FindUsersEntries(marker, written, path, links)) {
        return false;
      }
    }
    return true;
  }

  // The links below the user's folder `relative`, which cannot be carried.
  bool FindLinks(const std::string& relative, std::vector<std::string>* links) {
    std::vector<DirEntry> entries;
    if (!platform_.ListDirectory(Path(target_, relative), &entries)) return false;
    for (const DirEntry& entry : entries) {
      const std::string path = relative + "/" + entry.name;
      if (IsLink(entry.attributes)) {
        links->push_back(path);
      } else if (IsFolder(entry.attributes) && !FindLinks(path, links)) {
        return false;
      }
    }
    return true;
  }

  // Makes the folders above `relative` in the staging folder. False when a file of the
  // new tree stands where one of them goes.
  bool MakeParents(const std::string& relative) {
    for (std::size_t slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', slash + 1)) {
      const std::string folder = Path(staged_, relative.substr(0, slash));
      const std::uint32_t attributes = platform_.GetFileAttributes(folder);
      if (attributes == kInvalidFileAttributes) {
        if (!platform_.CreateDirectory(folder)) return false;
      } else if (!IsFolder(attributes)) {
        return false;
      }
    }
    return true;
  }

  // Copies a file, or a folder with all it holds (it holds no links: FindLinks).
  bool CopyEntry(const std::string& from, const std::string& to) {
    if (!IsFolder(platform_.GetFileAttributes(from))) return platform_.CopyNewFile(from, to);
    std::vector<DirEntry> entries;
    if (!platform_.ListDirectory(from, &entries) || !platform_.CreateDirectory(to)) return false;
    for (const DirEntry& entry : entries) {
      if (!CopyEntry(paths::JoinAlways(from, entry.name, separator_),
                     paths::JoinAlways(to, entry.name, separator_))) {
        return false;
      }
    }
    return true;
  }

  Platform& platform_;
  const char separator_;
  const std::string& favorites_;
  const std::string name_;
  const std::string target_;
  std::string staged_;                      // removed when the update does not finish
  std::vector<std::string> users_entries_;  // relative to the mirror, "/" between names
};

// Staging folders an interrupted import left behind. An old mirror put aside goes back to
// its place when nothing took it; everything else is removed.
void RemoveLeftovers(Platform& platform, const std::string& favorites) {
  std::vector<DirEntry> entries;
  if (!platform.ListDirectory(favorites, &entries)) return;
  const char separator = platform.PathSeparator();
  for (const DirEntry& entry : entries) {
    if (!IsImportStagingFolder(entry.name, entry.attributes)) continue;
    const std::string path = paths::JoinEnsuringSeparator(favorites, entry.name, separator);
    if (entry.name.ends_with(kAsideSuffix)) {
      std::string text;
      platform.ReadFile(paths::JoinAlways(path, kImportMarkerFile, separator), &text);
      const std::string name = ParseMarker(text).mirror_name;
      const std::string home = paths::JoinEnsuringSeparator(favorites, name, separator);
      if (!name.empty() && platform.GetFileAttributes(home) == kInvalidFileAttributes &&
          platform.ReplaceDirectory(path, home)) {
        continue;
      }
    }
    platform.RemoveDirectoryTree(path);
  }
}

}  // namespace

std::vector<BookmarkSource> DiscoverBookmarkSources(BrowserSystem system,
                                                    const UserFolders& folders,
                                                    const DiscoveryDiagnostic& diagnose) {
  std::vector<BookmarkSource> sources;
  for (const BrowserProfile& profile : DiscoverBrowserProfiles(system, folders, diagnose)) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(PathFromUtf8(profile.bookmarks), error)) continue;
    sources.push_back({profile.bookmarks, profile.name.empty()
                                              ? profile.browser
                                              : profile.browser + " (" + profile.name + ")"});
  }
  return sources;
}

ImportSummary ImportBookmarks(Platform& platform, const std::vector<BookmarkSource>& sources,
                              const std::string& favorites_folder, const LockWait& wait,
                              const std::function<void(const std::string& line)>& diagnose) {
  ImportSummary summary;
  const auto say = [&](const std::string& line) {
    if (diagnose) diagnose(line);
  };
  const auto skip = [&](const std::string& what, std::string_view reason) {
    ++summary.skipped_sources;
    say(what + ": " + std::string(reason));
  };

  // The sources are read first: an import with nothing to write leaves the Favorites
  // folder as it is, and waits for no one.
  const TextDecoder decode = [&platform](std::string_view charset, std::string_view bytes,
                                         std::string* utf8) {
    return platform.DecodeText(charset, bytes, utf8);
  };
  struct ReadSource {
    const BookmarkSource* source;
    BookmarkSourceKind kind = BookmarkSourceKind::kHtml;
    BookmarkNode tree;
  };
  std::vector<ReadSource> read;
  SeenFiles seen;
  for (const BookmarkSource& source : sources) {
    if (!seen.Insert(source.path)) continue;  // the same file under another name
    ReadSource one{&source, BookmarkSourceKind::kHtml, {}};
    if (const SourceStatus status =
            ReadBookmarkFile(source.path, decode, say, &one.tree, &one.kind);
        status != SourceStatus::kRead) {
      skip(source.path, SourceStatusReason(status));
      continue;
    }
    read.push_back(std::move(one));
  }
  if (read.empty()) return summary;

  // A fresh profile may not have its Favorites folder yet.
  if (platform.GetFileAttributes(favorites_folder) == kInvalidFileAttributes) {
    platform.CreateDirectory(favorites_folder);
  }
  std::unique_ptr<Platform::FileLock> lock;
  switch (LockFavoritesFolder(platform, favorites_folder, Platform::LockMode::kExclusive,
                              /*create=*/true, wait, &lock)) {
    case Platform::LockResult::kLocked:
      break;
    case Platform::LockResult::kBusy:
      summary.busy = true;
      return summary;
    case Platform::LockResult::kFailed:
      for (const ReadSource& one : read) {
        skip(one.source->path, "the Favorites folder cannot be written");
      }
      return summary;
  }
  RemoveLeftovers(platform, favorites_folder);

  std::set<std::string> names;  // the mirrors of this import
  for (ReadSource& one : read) {
    const BookmarkSource& source = *one.source;
    const BookmarkNode& tree = one.tree;
    const BookmarkSourceKind kind = one.kind;
    // Two sources of one name (two files called bookmarks.html) get " (2)", ...; the
    // file system says whether a name is another's by finding that mirror there.
    const std::string stem = formats::ShortcutFileStem(
        platform, platform.PathSeparator(),
        source.folder_name.empty() ? DefaultFolderName(source.path, kind) : source.folder_name);
    std::string name = stem;
    for (int number = 2;
         names.count(name) != 0 ||
         names.count(MirrorUpdate(platform, favorites_folder, name).NameThere()) != 0;
         ++number) {
      name = stem + " (" + std::to_string(number) + ")";
    }
    names.insert(name);

    MirrorUpdate update(platform, favorites_folder, name);
    std::vector<std::string> problems;
    if (const std::string refused = update.CheckOld(&problems); !refused.empty()) {
      for (const std::string& problem : problems) say(problem + ": a link, never followed");
      skip(update.target(), refused);
      continue;
    }
    if (!platform.NameFits(favorites_folder, name, true)) {
      skip(update.target(), "the folder name is too long for the file system");
      continue;
    }
    if (!update.Stage()) {
      skip(update.target(), "cannot be written");
      continue;
    }
    // The old mirror may step aside under the staging name and kAsideSuffix: the names
    // must fit there too, or it could not be removed.
    MirrorWriter writer(platform, update.staged(),
                        {update.target(), update.staged() + kAsideSuffix});
    bool failed = !writer.Write(tree);
    if (!failed && !update.CarryUsersEntries(&problems, &failed) && !failed) {
      for (const std::string& problem : problems) {
        say(problem + ": yours, and the new mirror has an entry of that name");
      }
      skip(update.target(), "kept as it was, so that nothing of yours is lost");
      continue;
    }
    if (failed || !update.Finish(writer.written_paths())) {
      skip(update.target(), "cannot be written");
      continue;
    }
    ++summary.imported_sources;
    summary.bookmarks += writer.written();
    summary.left_out += writer.left_out();
    summary.too_long += writer.too_long();
  }
  return summary;
}

}  // namespace zorvane::browsers
