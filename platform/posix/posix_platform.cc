// The platform on Linux and other POSIX systems.
//
// The class only: files, attributes, the environment and child processes each have a
// file of their own beside it.
#include "platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <compare>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/environment.h"
#include "base/paths.h"
#include "base/text.h"
#include "formats/profile_engine.h"
#include "platform/posix/atomic_file.h"
#include "platform/posix/charsets.h"
#include "platform/posix/cp932.h"
#include "platform/posix/environment.h"
#include "platform/posix/file_attributes.h"
#include "platform/posix/file_lock.h"
#include "platform/posix/posix_registry.h"
#include "platform/posix/processes.h"
#include "platform/posix/profile_cache.h"
#include "platform/posix/program_location.h"
#include "platform/reg_store_calls.h"

namespace zorvane {
namespace {

using posix::AttributesAt;
using posix::BaseName;
using posix::Children;
using posix::HomeDirectory;
using posix::KnownKind;
using posix::LookUpVariable;
using posix::ReadWholeFile;
using posix::ReplaceFile;
using posix::UniqueFd;
using posix::WriteAll;
using posix::WriterLock;
using posix::WriteTarget;

// The text of a C string argument: what a Windows "A" function sees of `s`.
std::string_view CString(const std::string& s) {
  return std::string_view(s).substr(0, s.find('\0'));
}

bool StartsWithIgnoringCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && text::AsciiLower(s.substr(0, prefix.size())) == prefix;
}

// The folder that holds the running executable, without a final "/"; "." when the
// system does not say.
std::string ExecutableFolder() {
  std::vector<char> buffer(PATH_MAX);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return ".";
    if (static_cast<std::size_t>(n) < buffer.size()) {
      const std::string exe(buffer.data(), static_cast<std::size_t>(n));
      const std::size_t slash = exe.rfind('/');
      if (slash == std::string::npos) return ".";
      return slash == 0 ? "/" : exe.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

// ---- The platform --------------------------------------------------------------------

class PosixPlatform final : public RegStoreCalls<Platform> {
 public:
  PosixPlatform()
      : home_(HomeDirectory()), registry_(PosixRegistry::DefaultStorePath(), [this] {
          std::error_code error;
          return posix::DefaultFavoritesFolder(
              std::getenv("XDG_DATA_HOME"), home_,
              !home_.empty() && std::filesystem::is_directory(home_ + "/Favorites", error));
        }) {
    registry_.SetDiagnose([this](const std::string& line) { Diagnose(line); });
  }

  std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& default_value, std::uint32_t size,
                                      const std::string& file) override {
    // A file that is missing or cannot be read holds nothing: every lookup gives the
    // default, and nothing is created.
    return FromAnsi(profile_reads_.Read(std::string(CString(file)), ToAnsi(CString(section)),
                                        ToAnsi(CString(key)), ToAnsi(CString(default_value)),
                                        size));
  }

  bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                 const std::string& value, const std::string& file) override {
    return WritePrivateProfileStrings(section, {{key, value}}, file);
  }

  bool WritePrivateProfileStrings(const std::string& section,
                                  const std::vector<std::pair<std::string, std::string>>& entries,
                                  const std::string& file) override {
    profile_reads_.Clear();
    std::vector<std::pair<std::string, std::string>> ansi_entries;
    ansi_entries.reserve(entries.size());
    for (const auto& [key, value] : entries) {
      ansi_entries.emplace_back(ToAnsi(CString(key)), ToAnsi(CString(value)));
    }
    const std::string ansi_section = ToAnsi(CString(section));
    bool all_writable = true;
    for (const auto& [key, value] : ansi_entries) {
      all_writable &= profile::CanWrite(ansi_section, key, value);
    }
    if (entries.empty() || (!all_writable && entries.size() == 1)) return all_writable;

    const std::optional<std::string> target = WriteTarget(std::string(CString(file)));
    if (!target) return false;
    WriterLock lock(*target);
    if (!lock.locked()) return false;
    std::string before;
    const FileRead read = ReadWholeFile(*target, &before);
    if (read == FileRead::kFailed) return false;
    const std::string after = profile::WriteStrings(before, ansi_section, ansi_entries);
    // Nothing changed (every entry refused, or all already so): the file stays, and a
    // missing one is not created; a file that could not be written still says so.
    if (after == before) {
      return all_writable && (read == FileRead::kMissing ||
                              ::faccessat(AT_FDCWD, target->c_str(), W_OK, AT_EACCESS) == 0);
    }
    return ReplaceFile(*target, after) && all_writable;
  }

  std::uint32_t GetFileAttributes(const std::string& path) override {
    if (path.empty()) return kInvalidFileAttributes;
    return AttributesAt(AT_FDCWD, path.c_str(), BaseName(path));
  }

  bool ListDirectory(const std::string& dir, std::vector<DirEntry>* entries) override {
    entries->clear();
    DIR* stream = ::opendir(dir.c_str());
    if (stream == nullptr) return false;
    bool ok = true;
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(stream);
      if (entry == nullptr) {
        ok = errno == 0;
        break;
      }
      const std::string_view name(entry->d_name);
      if (name == "." || name == "..") continue;
      // The entry's type from the listing spares a stat of every plain file and folder;
      // the read-only bit is not asked for (see Platform::ListDirectory).
      KnownKind kind = KnownKind::kOther;
      if (entry->d_type == DT_DIR) kind = KnownKind::kFolder;
      if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) kind = KnownKind::kUnknown;
      const std::uint32_t attributes =
          AttributesAt(::dirfd(stream), entry->d_name, name, kind, /*read_only=*/false);
      if (attributes == kInvalidFileAttributes) continue;  // gone since it was listed
      entries->push_back({std::string(name), attributes});
    }
    ::closedir(stream);
    if (!ok) entries->clear();
    // readdir's order is the file system's hash order; the listing order of the seam
    // (see Platform::ListDirectory) gives the folder walk, and so url.dat, the order of
    // the Windows build. Names that differ only in case go by their bytes, not by where
    // the hash put them, so every run lists them alike.
    std::sort(entries->begin(), entries->end(), [](const DirEntry& a, const DirEntry& b) {
      const auto upper = [](char c) {
        return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
      };
      const std::strong_ordering folded = std::lexicographical_compare_three_way(
          a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
          [&upper](char x, char y) { return upper(x) <=> upper(y); });
      return folded != 0 ? folded < 0 : a.name < b.name;
    });
    return ok;
  }

  FileRead ReadFile(const std::string& path, std::string* bytes) override {
    return ReadWholeFile(path, bytes);
  }

  bool WriteFileAtomic(const std::string& path, std::string_view bytes) override {
    profile_reads_.Clear();
    const std::optional<std::string> target = WriteTarget(path);
    return target && ReplaceFile(*target, bytes);
  }

  bool CreateDirectory(const std::string& path) override {
    return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
  }

  bool WriteNewFile(const std::string& path, std::string_view bytes) override {
    if (path.empty()) return false;
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (!fd.valid()) return false;
    if (WriteAll(fd.get(), bytes) && fd.Close()) return true;
    ::unlink(path.c_str());
    return false;
  }

  bool ReplaceDirectory(const std::string& staged, const std::string& target) override {
    struct stat st;
    if (::lstat(target.c_str(), &st) != 0) {
      return errno == ENOENT && ::rename(staged.c_str(), target.c_str()) == 0;
    }
    if (!S_ISDIR(st.st_mode)) return false;  // a link, too: never replaced
    // One step: whoever lists the parent sees the old folder or the new one, never none.
    if (::renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
      RemoveDirectoryTree(staged);
      return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without the exchange: the old folder steps aside for an instant.
    const std::string aside = staged + ".old";
    if (!RemoveDirectoryTree(aside) || ::rename(target.c_str(), aside.c_str()) != 0) return false;
    if (::rename(staged.c_str(), target.c_str()) != 0) {
      ::rename(aside.c_str(), target.c_str());
      return false;
    }
    RemoveDirectoryTree(aside);
    return true;
  }

  bool RemoveDirectoryTree(const std::string& path) override {
    std::error_code error;
    std::filesystem::remove_all(path, error);  // removes links, never follows them
    return !error && !std::filesystem::exists(std::filesystem::symlink_status(path, error));
  }

  bool CopyNewFile(const std::string& from, const std::string& to) override {
    return !from.empty() && !to.empty() && posix::CopyToNewFile(from, to);
  }

  bool NameFits(const std::string& parent, std::string_view name, bool /*is_folder*/) override {
    return paths::PosixNameFits(parent, name, NameMax(parent));
  }

  LockResult TryLockFile(const std::string& path, LockMode mode, bool create,
                         std::unique_ptr<FileLock>* lock) override {
    return posix::TryLockFile(path, mode, create, lock);
  }

  std::string ToAnsi(std::string_view utf8) override { return cp932::FromUtf8(utf8); }
  std::string FromAnsi(std::string_view ansi) override { return cp932::ToUtf8(ansi); }
  bool SurvivesAnsi(std::string_view utf8) override { return cp932::SurvivesRoundTrip(utf8); }
  bool IsCanonicalAnsi(std::string_view ansi) override { return cp932::IsCanonical(ansi); }
  bool DecodeText(std::string_view charset, std::string_view bytes, std::string* utf8) override {
    return Platform::DecodeText(charset, bytes, utf8) || posix::DecodeText(charset, bytes, utf8);
  }

  std::string ExpandEnvironmentStrings(const std::string& text) override {
    return ExpandEnvironmentReferences(text, LookUpVariable);
  }

  // Linux has no URL cache of its own: the URL-cache layer reads the browsers' histories
  // and the files $ZORVANE_URL_CACHE names.
  void EnumerateUrlCache(std::uint32_t, const std::function<bool(const UrlCacheEntry&)>&) override {
  }

  bool ShellOpen(const std::string& operation, const std::string& file) override {
    const std::string verb = text::AsciiLower(CString(operation));
    std::string target(CString(file));
    if ((!verb.empty() && verb != "open") || target.empty()) return false;
    if (StartsWithIgnoringCase(target, "mailto:")) {
      const int error = children_.Spawn("xdg-email", {target});
      if (error != ENOENT) return error == 0;
    } else if (target[0] == '-') {
      target.insert(0, "./");  // a file name, never an option of the opener
    }
    return children_.Spawn("xdg-open", {target}) == 0;
  }

  bool StartProgram(const std::string& command_line) override {
    // The whole command line names one program; it is never split or handed to a
    // shell. One pair of quotes around it, as Windows paths with blanks carry, goes.
    std::string_view program = CString(command_line);
    while (!program.empty() && program.front() == ' ') program.remove_prefix(1);
    while (!program.empty() && program.back() == ' ') program.remove_suffix(1);
    if (program.size() >= 2 && program.front() == '"' && program.back() == '"') {
      program = program.substr(1, program.size() - 2);
    }
    if (program.empty()) return false;
    return children_.Spawn(std::string(program), {}) == 0;
  }

  std::string ProgramDirectory() override {
    const posix::ProgramLocation location = Locate();
    if (location.installed) {
      std::error_code ignored;  // a folder that cannot be made fails the first write
      std::filesystem::create_directories(location.data_directory, ignored);
    }
    return location.data_directory;
  }

  std::string ReadmeFile() override { return Locate().readme; }

  std::string OwnFavoritesFolder() override {
    return posix::OwnFavoritesFolder(std::getenv("XDG_DATA_HOME"), home_);
  }

  char PathSeparator() const override { return '/'; }
  bool FileNamesIgnoreCase() const override { return false; }

 private:
  posix::ProgramLocation Locate() const {
    return posix::LocateProgramFiles(ExecutableFolder(), std::getenv("ZORVANE_HOME"),
                                     std::getenv("XDG_DATA_HOME"), home_);
  }

  // The longest name the file system of `folder` (or of the nearest folder above it
  // that exists) takes. Asked for every name an import writes, in a few folders: the
  // answers of the last ones are kept.
  std::size_t NameMax(const std::string& parent) {
    if (const auto known = name_max_.find(parent); known != name_max_.end()) return known->second;
    std::string folder = parent.empty() ? std::string(".") : parent;
    long name_max = -1;
    for (;;) {
      errno = 0;
      name_max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
      if (name_max >= 0 || errno == 0) break;  // -1 without an error: no limit
      const std::size_t slash = folder.find_last_of('/');
      if (slash == std::string::npos || folder == "/") break;
      folder = slash == 0 ? "/" : folder.substr(0, slash);
    }
    if (name_max_.size() >= 64) name_max_.clear();
    return name_max_[parent] = name_max > 0 ? static_cast<std::size_t>(name_max) : NAME_MAX;
  }

  RegStore& Registry() override { return registry_; }

  const std::string home_;
  std::map<std::string, std::size_t> name_max_;
  PosixRegistry registry_;
  Children children_;
  ProfileReadCache profile_reads_;
};

}  // namespace

std::unique_ptr<Platform> CreateDefaultPlatform() { return std::make_unique<PosixPlatform>(); }

}  // namespace zorvane
