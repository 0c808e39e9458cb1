#include "browsers/bookmark_import.h"

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "browsers/cache_with_history.h"
#include "browsers/profiles.h"
#include "browsers/utf8_path.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "share/internet_shortcut.h"

namespace zorvane::browsers {
namespace {

// Titles are cut to this many characters: file names have a length limit, and a menu
// shows no more.
constexpr std::size_t kMaxTitleChars = 100;
constexpr char kStagingSuffix[] = ".zorvane-new";
constexpr char kMarkerText[] =
    "This folder mirrors browser bookmarks. Zorvane replaces it at each import.\r\n";

bool IsPageAddress(std::string_view address) {
  if (address.find_first_of("\r\n") != std::string_view::npos) return false;
  const std::size_t colon = address.find(':');
  if (colon == std::string_view::npos) return false;
  const std::string scheme = text::AsciiLower(address.substr(0, colon));
  return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "file";
}

// A title for a bookmark without one: its address without the scheme and final "/".
std::string TitleFromAddress(std::string_view address) {
  if (const std::size_t slashes = address.find("://"); slashes != std::string_view::npos) {
    address.remove_prefix(slashes + 3);
  }
  while (address.size() > 1 && address.back() == '/') address.remove_suffix(1);
  return std::string(address);
}

// The names given out in one folder, compared as the file system compares them.
class FolderNames final {
 public:
  explicit FolderNames(bool ignore_case) : ignore_case_(ignore_case) {}

  // `stem` + `extension`, or with " (N)" after the stem when that is taken.
  std::string Claim(const std::string& stem, std::string_view extension) {
    std::string name = stem + std::string(extension);
    for (int n = 2; !taken_.insert(Key(name)).second; ++n) {
      name = stem + " (" + std::to_string(n) + ")" + std::string(extension);
    }
    return name;
  }

 private:
  std::string Key(const std::string& name) const {
    return ignore_case_ ? text::AsciiLower(name) : name;
  }
  bool ignore_case_;
  std::set<std::string> taken_;
};

class TreeWriter final {
 public:
  explicit TreeWriter(Platform& platform)
      : platform_(platform), separator_(platform.PathSeparator()) {}

  // Writes the children of `folder` into the existing folder `path`. False when a file
  // or folder could not be written.
  bool Write(const BookmarkNode& folder, const std::string& path) {
    FolderNames names(platform_.FileNamesIgnoreCase());
    names.Claim(kImportMarkerFile, "");
    for (const BookmarkNode& node : folder.children) {
      switch (node.kind) {
        case BookmarkNode::Kind::kSeparator:
          break;
        case BookmarkNode::Kind::kFolder: {
          const std::string child =
              paths::JoinAlways(path, names.Claim(Stem(node.title, ""), ""), separator_);
          if (!platform_.CreateDirectory(child) || !Write(node, child)) return false;
          break;
        }
        case BookmarkNode::Kind::kBookmark: {
          if (!IsPageAddress(node.address)) {
            ++left_out_;
            break;
          }
          const std::string file = paths::JoinAlways(
              path, names.Claim(Stem(node.title, node.address), share::kShortcutExtension),
              separator_);
          const std::string text = share::InternetShortcutText(AddressForFile(node.address));
          if (!platform_.WriteNewFile(file, platform_.ToAnsi(text))) return false;
          ++written_;
          break;
        }
      }
    }
    return true;
  }

  int written() const { return written_; }
  int left_out() const { return left_out_; }

 private:
  std::string Stem(const std::string& title, std::string_view address) {
    const std::string name = title.empty() && !address.empty() ? TitleFromAddress(address) : title;
    return share::ShortcutFileStem(platform_, std::string(text::FirstChars(name, kMaxTitleChars)));
  }

  // The address with what the ANSI code page cannot hold percent-encoded, so that the
  // file gives back exactly the address the history join hands to the ranking.
  std::string AddressForFile(std::string_view address) {
    return AddressForCodePage(
        address, {[this](std::string_view utf8) { return platform_.SurvivesAnsi(utf8); },
                  [this](std::string_view utf8) { return platform_.ToAnsi(utf8); }});
  }

  Platform& platform_;
  char separator_;
  int written_ = 0;
  int left_out_ = 0;
};

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

}  // namespace

std::vector<BookmarkSource> DiscoverBookmarkSources(BrowserSystem system,
                                                    const UserFolders& folders) {
  std::vector<BookmarkSource> sources;
  for (const BrowserProfile& profile : DiscoverBrowserProfiles(system, folders)) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(PathFromUtf8(profile.bookmarks), error)) continue;
    sources.push_back({profile.bookmarks, profile.name.empty()
                                              ? profile.browser
                                              : profile.browser + " (" + profile.name + ")"});
  }
  return sources;
}

ImportSummary ImportBookmarks(Platform& platform, const std::vector<BookmarkSource>& sources,
                              const std::string& favorites_folder,
                              const std::function<void(const std::string& line)>& diagnose) {
  ImportSummary summary;
  const char separator = platform.PathSeparator();
  const auto skip = [&](const std::string& what, std::string_view reason) {
    ++summary.skipped_sources;
    if (diagnose) diagnose(what + ": " + std::string(reason));
  };
  FolderNames folder_names(platform.FileNamesIgnoreCase());
  for (const BookmarkSource& source : sources) {
    BookmarkNode tree;
    BookmarkSourceKind kind = BookmarkSourceKind::kHtml;
    if (const SourceStatus status = ReadBookmarkFile(source.path, &tree, &kind);
        status != SourceStatus::kRead) {
      skip(source.path, SourceStatusReason(status));
      continue;
    }
    const std::string name = folder_names.Claim(
        share::ShortcutFileStem(platform, source.folder_name.empty()
                                              ? DefaultFolderName(source.path, kind)
                                              : source.folder_name),
        "");
    const std::string target = paths::JoinAlways(favorites_folder, name, separator);
    const std::uint32_t attributes = platform.GetFileAttributes(target);
    if (attributes != kInvalidFileAttributes &&
        ((attributes & kFileAttributeDirectory) == 0 ||
         platform.GetFileAttributes(paths::JoinAlways(target, kImportMarkerFile, separator)) ==
             kInvalidFileAttributes)) {
      skip(target, "not replaced: Zorvane did not make it");
      continue;
    }

    const std::string staged =
        paths::JoinAlways(favorites_folder, "." + name + kStagingSuffix, separator);
    TreeWriter writer(platform);
    const bool written =
        platform.RemoveDirectoryTree(staged) && platform.CreateDirectory(staged) &&
        platform.WriteNewFile(paths::JoinAlways(staged, kImportMarkerFile, separator),
                              kMarkerText) &&
        writer.Write(tree, staged) && platform.ReplaceDirectory(staged, target);
    if (!written) {
      platform.RemoveDirectoryTree(staged);
      skip(target, "cannot be written");
      continue;
    }
    ++summary.imported_sources;
    summary.bookmarks += writer.written();
    summary.left_out += writer.left_out();
  }
  return summary;
}

}  // namespace zorvane::browsers
