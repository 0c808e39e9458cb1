#include "platform/memory/memory_platform.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "base/environment.h"
#include "base/paths.h"
#include "base/text.h"
#include "formats/profile_engine.h"
#include "platform/posix/charsets.h"
#include "platform/posix/cp932.h"

namespace zorvane {
namespace {

// The text before the first NUL, as the "A" functions read their string arguments.
std::string_view CString(const std::string& s) { return std::string_view(s.c_str()); }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The order of Platform::ListDirectory: letters without regard to case, then the bytes.
bool ListedBefore(const DirEntry& a, const DirEntry& b) {
  const auto folded = [](const std::string& name) {
    std::string upper = name;
    for (char& c : upper) c = Upper(c);
    return upper;
  };
  const std::string fa = folded(a.name);
  const std::string fb = folded(b.name);
  return fa != fb ? fa < fb : a.name < b.name;
}

}  // namespace

MemoryPlatform::Options MemoryPlatform::WindowsOptions() {
  Options options;
  options.separator = '\\';
  options.ignore_case = true;
  options.home.clear();  // no default Favorites folder: the test names its own
  options.program_directory = "C:\\Program";
  return options;
}

MemoryPlatform::MemoryPlatform(Options options, Platform* base)
    : RegStoreCalls(base != nullptr ? base : &null_base), options_(std::move(options)) {
  RegStore::Store store;
  store.name = "registry store";
  store.read = [this](std::string* bytes) {
    if (!registry_store_) {
      bytes->clear();
      return FileRead::kMissing;
    }
    *bytes = *registry_store_;
    return FileRead::kRead;
  };
  store.replace = [this](std::string_view bytes) {
    registry_store_ = std::string(bytes);
    return true;
  };
  registry_ = std::make_unique<RegStore>(
      std::move(store),
      [this] {
        const std::string in_home = options_.home.empty()
                                        ? std::string()
                                        : options_.home + options_.separator + "Favorites";
        return options_.own_favorites.empty() || IsFolder(in_home) ? in_home
                                                                   : options_.own_favorites;
      },
      cp932::CodePage());
  registry_->SetDiagnose([this](const std::string& line) { Diagnose(line); });
}

MemoryPlatform::~MemoryPlatform() = default;

// ---- Paths -----------------------------------------------------------------------------

std::string MemoryPlatform::Trimmed(std::string_view path) const {
  // Final separators and "." names stand for the folder itself, as the systems read them.
  for (;;) {
    while (path.size() > 1 && path.back() == options_.separator) path.remove_suffix(1);
    if (path.size() < 2 || path.back() != '.' || path[path.size() - 2] != options_.separator) {
      return std::string(path);
    }
    path.remove_suffix(1);
  }
}

std::string MemoryPlatform::Key(std::string_view path) const {
  const std::string trimmed = Trimmed(path);
  return options_.ignore_case ? text::AsciiLower(trimmed) : trimmed;
}

bool MemoryPlatform::IsRoot(const std::string& path) const {
  const std::string trimmed = Trimmed(path);
  if (trimmed.empty() || trimmed == std::string(1, options_.separator)) return true;
  return options_.separator == '\\' && trimmed.size() == 2 && trimmed[1] == ':';
}

std::string MemoryPlatform::Parent(const std::string& path) const {
  const std::string trimmed = Trimmed(path);
  const std::size_t last = trimmed.rfind(options_.separator);
  if (last == std::string::npos) return {};
  if (last == 0) return std::string(1, options_.separator);
  return trimmed.substr(0, last);
}

const MemoryPlatform::Node* MemoryPlatform::Find(const std::string& path) const {
  const auto found = nodes_.find(Key(path));
  return found == nodes_.end() ? nullptr : &found->second;
}

MemoryPlatform::Node* MemoryPlatform::Find(const std::string& path) {
  const auto found = nodes_.find(Key(path));
  return found == nodes_.end() ? nullptr : &found->second;
}

std::uint32_t MemoryPlatform::Attributes(const Node& node) const {
  // The POSIX rule: a name that begins with "." is hidden, and "normal" goes with it.
  if (options_.ignore_case) return node.attributes;
  const std::size_t last = node.path.rfind(options_.separator);
  const std::string_view name =
      std::string_view(node.path).substr(last == std::string::npos ? 0 : last + 1);
  if (!name.starts_with('.')) return node.attributes;
  return (node.attributes & ~kFileAttributeNormal) | kFileAttributeHidden;
}

bool MemoryPlatform::IsFolder(const std::string& path) const {
  if (IsRoot(path)) return true;
  const Node* node = Find(path);
  return node != nullptr && node->folder;
}

bool MemoryPlatform::CanAddIn(const std::string& path) const {
  if (path.empty() || IsRoot(path)) return false;
  const std::string parent = Parent(path);
  if (!IsFolder(parent)) return false;
  const Node* folder = Find(parent);
  return folder == nullptr || (folder->attributes & kFileAttributeReadOnly) == 0;
}

std::string MemoryPlatform::ChildPrefix(const std::string& key) const {
  return key.size() == 1 && key[0] == options_.separator ? key : key + options_.separator;
}

std::vector<std::string> MemoryPlatform::KeysAtOrBelow(const std::string& folder) const {
  const std::string key = Key(folder);
  const std::string prefix = ChildPrefix(key);
  std::vector<std::string> keys;
  if (nodes_.count(key) != 0) keys.push_back(key);
  for (auto it = nodes_.lower_bound(prefix);
       it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    keys.push_back(it->first);
  }
  return keys;
}

// ---- The world -------------------------------------------------------------------------

void MemoryPlatform::AddFolder(const std::string& path) {
  if (IsFolder(path)) return;
  AddFolder(Parent(path));
  nodes_[Key(path)] = Node{Trimmed(path), true, {}, kFileAttributeDirectory, false};
}

void MemoryPlatform::AddFile(const std::string& path, std::string_view bytes,
                             std::uint32_t attributes) {
  AddFolder(Parent(path));
  nodes_[Key(path)] = Node{Trimmed(path), false, std::string(bytes), attributes, false};
}

std::optional<std::string> MemoryPlatform::FileBytes(const std::string& path) const {
  const Node* node = Find(path);
  if (node == nullptr || node->folder) return std::nullopt;
  return node->bytes;
}

bool MemoryPlatform::Exists(const std::string& path) const {
  return IsRoot(path) || Find(path) != nullptr;
}

void MemoryPlatform::SetAttributes(const std::string& path, std::uint32_t attributes) {
  if (Node* node = Find(path)) {
    node->attributes =
        (attributes & ~kFileAttributeDirectory) | (node->folder ? kFileAttributeDirectory : 0);
  }
}

void MemoryPlatform::MakeUnreadable(const std::string& path) {
  if (Node* node = Find(path)) node->unreadable = true;
}

std::vector<std::string> MemoryPlatform::ListTree(const std::string& folder) const {
  std::vector<std::string> paths;
  for (const auto& [key, node] : nodes_) paths.push_back(node.path);
  if (folder.empty()) return paths;
  paths.clear();
  for (const std::string& key : KeysAtOrBelow(folder)) {
    if (key != Key(folder)) paths.push_back(nodes_.at(key).path);
  }
  return paths;
}

void MemoryPlatform::SetEnvironmentVariable(const std::string& name, const std::string& value) {
  environment_[options_.ignore_case ? text::AsciiLower(name) : name] = value;
}

// ---- Registry --------------------------------------------------------------------------

bool MemoryPlatform::AddRegistryKey(std::uint32_t root, const std::string& key) {
  ScopedRegKey handle(*this);
  return handle.Create(root, key, 0x3F) == kErrorSuccess;
}

bool MemoryPlatform::SetRegistryValue(std::uint32_t root, const std::string& key,
                                      const std::string& name, std::uint32_t type,
                                      std::string_view data) {
  ScopedRegKey handle(*this);
  return handle.Create(root, key, 0x3F) == kErrorSuccess &&
         RegSetValue(handle.get(), name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                     static_cast<std::uint32_t>(data.size())) == kErrorSuccess;
}

// ---- Profile files ---------------------------------------------------------------------

std::string MemoryPlatform::GetPrivateProfileString(const std::string& section,
                                                    const std::string& key,
                                                    const std::string& default_value,
                                                    std::uint32_t size, const std::string& file) {
  // A file that is missing or cannot be read holds nothing: the default answers.
  const Node* node = Find(std::string(CString(file)));
  const std::string_view bytes = node != nullptr && !node->folder && !node->unreadable
                                     ? std::string_view(node->bytes)
                                     : std::string_view();
  return cp932::ToUtf8(profile::ReadString(bytes, cp932::FromUtf8(CString(section)),
                                           cp932::FromUtf8(CString(key)),
                                           cp932::FromUtf8(CString(default_value)), size));
}

bool MemoryPlatform::WritePrivateProfileString(const std::string& section, const std::string& key,
                                               const std::string& value, const std::string& file) {
  return WritePrivateProfileStrings(section, {{key, value}}, file);
}

bool MemoryPlatform::WritePrivateProfileStrings(
    const std::string& section, const std::vector<std::pair<std::string, std::string>>& entries,
    const std::string& file) {
  const std::string ansi_section = cp932::FromUtf8(CString(section));
  std::vector<std::pair<std::string, std::string>> ansi_entries;
  bool all_writable = true;
  for (const auto& [key, value] : entries) {
    ansi_entries.emplace_back(cp932::FromUtf8(CString(key)), cp932::FromUtf8(CString(value)));
    all_writable &=
        profile::CanWrite(ansi_section, ansi_entries.back().first, ansi_entries.back().second);
  }
  if (entries.empty() || (!all_writable && entries.size() == 1)) return all_writable;

  const std::string path(CString(file));
  Node* node = Find(path);
  if (node != nullptr && (node->folder || node->unreadable)) return false;
  const std::string before = node != nullptr ? node->bytes : std::string();
  const std::string after = profile::WriteStrings(before, ansi_section, ansi_entries);
  const bool read_only = node != nullptr && (node->attributes & kFileAttributeReadOnly) != 0;
  // Nothing changed: the file stays, and a missing one is not created.
  if (after == before) return all_writable && !read_only;
  return WriteFileAtomic(path, after) && all_writable;
}

// ---- Files and folders -----------------------------------------------------------------

std::uint32_t MemoryPlatform::GetFileAttributes(const std::string& path) {
  if (path.empty()) return kInvalidFileAttributes;
  if (IsRoot(path)) return kFileAttributeDirectory;
  const Node* node = Find(path);
  return node == nullptr ? kInvalidFileAttributes : Attributes(*node);
}

bool MemoryPlatform::ListDirectory(const std::string& dir, std::vector<DirEntry>* entries) {
  entries->clear();
  const Node* folder = Find(dir);
  if (!IsFolder(dir) || (folder != nullptr && folder->unreadable)) return false;
  // The keys below a folder follow its prefix in the map; a key with a further separator
  // belongs to a subfolder, whose whole tree is skipped at once.
  const std::string prefix = ChildPrefix(Key(dir));
  const char past_separator = static_cast<char>(options_.separator + 1);
  for (auto it = nodes_.lower_bound(prefix);
       it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0;) {
    const std::size_t below = it->first.find(options_.separator, prefix.size());
    if (below != std::string::npos) {
      it = nodes_.lower_bound(it->first.substr(0, below) + past_separator);
      continue;
    }
    const Node& node = it->second;
    entries->push_back({node.path.substr(prefix.size()), Attributes(node)});
    ++it;
  }
  std::sort(entries->begin(), entries->end(), ListedBefore);
  return true;
}

FileRead MemoryPlatform::ReadFile(const std::string& path, std::string* bytes) {
  bytes->clear();
  const Node* node = Find(path);
  if (node == nullptr) return IsRoot(path) ? FileRead::kFailed : FileRead::kMissing;
  if (node->folder || node->unreadable) return FileRead::kFailed;
  *bytes = node->bytes;
  return FileRead::kRead;
}

bool MemoryPlatform::WriteFileAtomic(const std::string& path, std::string_view bytes) {
  if (Node* node = Find(path)) {
    // Replacing takes a writable file in a folder that takes new entries.
    if (node->folder || (node->attributes & kFileAttributeReadOnly) != 0 || !CanAddIn(path)) {
      return false;
    }
    node->bytes = std::string(bytes);
    return true;
  }
  if (!CanAddIn(path)) return false;
  nodes_[Key(path)] = Node{Trimmed(path), false, std::string(bytes), kFileAttributeNormal, false};
  return true;
}

bool MemoryPlatform::WriteNewFile(const std::string& path, std::string_view bytes) {
  if (Exists(path) || !CanAddIn(path)) return false;
  nodes_[Key(path)] = Node{Trimmed(path), false, std::string(bytes), kFileAttributeNormal, false};
  return true;
}

bool MemoryPlatform::CreateDirectory(const std::string& path) {
  if (Exists(path) || !CanAddIn(path)) return false;
  nodes_[Key(path)] = Node{Trimmed(path), true, {}, kFileAttributeDirectory, false};
  return true;
}

bool MemoryPlatform::ReplaceDirectory(const std::string& staged, const std::string& target) {
  if (IsRoot(staged) || IsRoot(target) || !IsFolder(staged)) return false;
  if (Exists(target) && !IsFolder(target)) return false;
  if (!Exists(target) && !CanAddIn(target)) return false;
  RemoveDirectoryTree(target);
  const std::string from = Trimmed(staged);
  const std::string to = Trimmed(target);
  for (const std::string& key : KeysAtOrBelow(staged)) {
    Node node = std::move(nodes_.at(key));
    nodes_.erase(key);
    node.path = to + node.path.substr(from.size());
    nodes_[Key(node.path)] = std::move(node);
  }
  return true;
}

bool MemoryPlatform::RemoveDirectoryTree(const std::string& path) {
  if (IsRoot(path)) return false;
  for (const std::string& key : KeysAtOrBelow(path)) nodes_.erase(key);
  return true;
}

bool MemoryPlatform::CopyNewFile(const std::string& from, const std::string& to) {
  const Node* source = Find(from);
  if (source == nullptr || source->folder || source->unreadable || Exists(to) || !CanAddIn(to)) {
    return false;
  }
  Node copy = *source;
  copy.path = Trimmed(to);
  nodes_[Key(to)] = std::move(copy);
  return true;
}

bool MemoryPlatform::NameFits(const std::string& parent, std::string_view name, bool is_folder) {
  return options_.ignore_case ? paths::WindowsNameFits(parent, name, is_folder)
                              : paths::PosixNameFits(parent, name, 255);
}

class MemoryPlatform::MemoryLock final : public FileLock {
 public:
  MemoryLock(MemoryPlatform& platform, std::string key)
      : platform_(platform), key_(std::move(key)) {}
  ~MemoryLock() override {
    int& holders = platform_.lock_holders_[key_];
    holders = holders < 0 ? 0 : holders - 1;
  }

 private:
  MemoryPlatform& platform_;
  std::string key_;
};

Platform::LockResult MemoryPlatform::TryLockFile(const std::string& path, LockMode mode,
                                                 bool create, std::unique_ptr<FileLock>* lock) {
  lock->reset();
  const Node* node = Find(path);
  if (node == nullptr) {
    if (!create || !CanAddIn(path)) return LockResult::kFailed;
    AddFile(path, "", options_.ignore_case ? kFileAttributeHidden : kFileAttributeNormal);
  } else if (node->folder) {
    return LockResult::kFailed;
  }
  int& holders = lock_holders_[Key(path)];
  if (holders < 0 || (holders > 0 && mode == LockMode::kExclusive)) return LockResult::kBusy;
  holders = mode == LockMode::kExclusive ? -1 : holders + 1;
  *lock = std::make_unique<MemoryLock>(*this, Key(path));
  return LockResult::kLocked;
}

// ---- Text and environment --------------------------------------------------------------

std::string MemoryPlatform::ToAnsi(std::string_view utf8) { return cp932::FromUtf8(utf8); }

std::string MemoryPlatform::FromAnsi(std::string_view ansi) {
  ++from_ansi_calls_;
  return cp932::ToUtf8(ansi);
}

bool MemoryPlatform::SurvivesAnsi(std::string_view utf8) { return cp932::SurvivesRoundTrip(utf8); }

bool MemoryPlatform::IsCanonicalAnsi(std::string_view ansi) { return cp932::IsCanonical(ansi); }

bool MemoryPlatform::DecodeText(std::string_view charset, std::string_view bytes,
                                std::string* utf8) {
  return Platform::DecodeText(charset, bytes, utf8) || posix::DecodeText(charset, bytes, utf8);
}

std::string MemoryPlatform::ExpandEnvironmentStrings(const std::string& text) {
  return ExpandEnvironmentReferences(
      CString(text), [this](std::string_view name) -> std::optional<std::string> {
        const auto found =
            environment_.find(options_.ignore_case ? text::AsciiLower(name) : std::string(name));
        if (found == environment_.end()) return std::nullopt;
        return found->second;
      });
}

// ---- URL cache, shell, diagnostics -----------------------------------------------------

void MemoryPlatform::EnumerateUrlCache(std::uint32_t type_mask,
                                       const std::function<bool(const UrlCacheEntry&)>& visit) {
  for (const MemoryCacheEntry& entry : url_cache_) {
    if ((entry.type & type_mask) == 0) continue;
    if (!visit(UrlCacheEntry{entry.type, entry.address, entry.hit_rate, entry.encoding})) return;
  }
}

bool MemoryPlatform::ShellOpen(const std::string& operation, const std::string& file) {
  shell_requests_.emplace_back(operation, file);
  return shell_accepts_;
}

bool MemoryPlatform::StartProgram(const std::string& command_line) {
  started_programs_.push_back(command_line);
  // The command line names one program, perhaps in quotes; it starts when it is a file.
  std::string_view program = CString(command_line);
  while (!program.empty() && program.front() == ' ') program.remove_prefix(1);
  while (!program.empty() && program.back() == ' ') program.remove_suffix(1);
  if (program.size() >= 2 && program.front() == '"' && program.back() == '"') {
    program = program.substr(1, program.size() - 2);
  }
  const Node* node = Find(std::string(program));
  return programs_start_ && node != nullptr && !node->folder;
}

void MemoryPlatform::Diagnose(const std::string& line) {
  diagnostics_.push_back(line);
  if (sink_) sink_(line);
}

}  // namespace zorvane
