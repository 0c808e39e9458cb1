#include "browsers/mirror_writer.h"

#include <optional>
#include <string>
#include <utility>

#include "base/paths.h"
#include "base/text.h"
#include "browsers/address_form.h"
#include "browsers/favorites_mirror.h"
#include "formats/internet_shortcut.h"

namespace zorvane::browsers {
namespace {

// Titles are cut to this many characters first: a menu shows no more.
constexpr std::size_t kMaxTitleChars = 100;
// A folder with this many entries of one name is no folder a user made.
constexpr int kMaxNumber = 100000;

// A title for a bookmark without one: its address without the scheme and final "/".
std::string TitleFromAddress(std::string_view address) {
  if (const std::size_t slashes = address.find("://"); slashes != std::string_view::npos) {
    address.remove_prefix(slashes + 3);
  }
  while (address.size() > 1 && address.back() == '/') address.remove_suffix(1);
  return std::string(address);
}

// The title with its control characters (line breaks, tabs) as spaces: they have no place
// in a file name, nor in the marker's list of names.
std::string WithoutControls(std::string_view title) {
  std::string out(title);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return out;
}

}  // namespace

bool IsPageAddress(std::string_view address) {
  if (address.find_first_of("\r\n") != std::string_view::npos) return false;
  const std::size_t colon = address.find(':');
  if (colon == std::string_view::npos) return false;
  const std::string scheme = text::AsciiLower(address.substr(0, colon));
  return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "file";
}

MirrorWriter::MirrorWriter(Platform& platform, std::string staged,
                           std::vector<std::string> also_fit)
    : platform_(platform),
      separator_(platform.PathSeparator()),
      staged_(std::move(staged)),
      also_fit_(std::move(also_fit)) {}

bool MirrorWriter::Write(const BookmarkNode& root) { return WriteFolder(root, ""); }

std::string MirrorWriter::Path(const std::string& root, const std::string& relative) const {
  if (relative.empty()) return root;
  std::string path = root + separator_ + relative;
  if (separator_ != '/') {
    for (std::size_t i = root.size() + 1; i < path.size(); ++i) {
      if (path[i] == '/') path[i] = separator_;
    }
  }
  return path;
}

bool MirrorWriter::WriteFolder(const BookmarkNode& folder, const std::string& relative) {
  for (const BookmarkNode& node : folder.children) {
    std::string created;
    switch (node.kind) {
      case BookmarkNode::Kind::kSeparator:
        break;
      case BookmarkNode::Kind::kFolder:
        if (!Create(relative, node.title, true, {}, &created)) return false;
        if (created.empty()) {
          CountLeftOut(node);
        } else if (!WriteFolder(node, created)) {
          return false;
        }
        break;
      case BookmarkNode::Kind::kBookmark: {
        if (!IsPageAddress(node.address)) {
          ++left_out_;
          break;
        }
        // What the code page cannot hold is percent-encoded, so that the file gives back
        // exactly the address the history join hands to the ranking.
        const std::string address = AddressForCodePage(
            node.address, {[this](std::string_view utf8) { return platform_.SurvivesAnsi(utf8); },
                           [this](std::string_view utf8) { return platform_.ToAnsi(utf8); }});
        const std::string bytes = platform_.ToAnsi(formats::InternetShortcutText(address));
        const std::string title = node.title.empty() ? TitleFromAddress(node.address) : node.title;
        if (!Create(relative, title, false, bytes, &created)) return false;
        if (created.empty()) {
          ++too_long_;
        } else {
          ++written_;
        }
        break;
      }
    }
  }
  return true;
}

bool MirrorWriter::Create(const std::string& relative, const std::string& title, bool is_folder,
                          std::string_view bytes, std::string* created) {
  created->clear();
  const std::string_view extension = is_folder ? "" : formats::kShortcutExtension;
  const std::string stem = formats::ShortcutFileStem(
      platform_, separator_, std::string(text::FirstChars(WithoutControls(title), kMaxTitleChars)));
  const std::string staged_folder = Path(staged_, relative);
  const auto fits = [&](const std::string& name) {
    if (!platform_.NameFits(staged_folder, name, is_folder)) return false;
    for (const std::string& root : also_fit_) {
      if (!platform_.NameFits(Path(root, relative), name, is_folder)) return false;
    }
    return true;
  };

  // The longest start of the stem that, with `suffix` and the extension, fits everywhere
  // the tree will be. Cutting may leave an end the safe-name rule changes (a dot or a
  // space on Windows), so a cut stem is made safe again.
  const auto fitting = [&](const std::string& suffix) -> std::optional<std::string> {
    for (std::string_view cut = stem; !cut.empty(); cut = text::DropLastChars(cut, 1)) {
      const std::string name =
          (cut.size() == stem.size() ? stem
                                     : formats::ShortcutFileStem(platform_, separator_, cut)) +
          suffix;
      if (fits(name)) return name;
    }
    return std::nullopt;
  };

  for (int number = 1; number <= kMaxNumber; ++number) {
    const std::optional<std::string> name =
        fitting((number == 1 ? std::string() : " (" + std::to_string(number) + ")") +
                std::string(extension));
    if (!name) return true;  // left out: not even one character fits
    const std::string path = paths::JoinAlways(staged_folder, *name, separator_);
    const bool made =
        is_folder ? platform_.CreateDirectory(path) : platform_.WriteNewFile(path, bytes);
    if (made) {
      *created = relative.empty() ? *name : relative + "/" + *name;
      written_paths_.push_back(*created);
      return true;
    }
    // Taken already, by the system's own rule of which names are the same: the next
    // number. Nothing there means the write itself failed.
    if (platform_.GetFileAttributes(path) == kInvalidFileAttributes) return false;
  }
  return false;
}

void MirrorWriter::CountLeftOut(const BookmarkNode& folder) {
  for (const BookmarkNode& node : folder.children) {
    if (node.kind == BookmarkNode::Kind::kFolder) {
      CountLeftOut(node);
    } else if (node.kind == BookmarkNode::Kind::kBookmark) {
      ++(IsPageAddress(node.address) ? too_long_ : left_out_);
    }
  }
}

}  // namespace zorvane::browsers
