// A platform whose world lives in memory, for tests: folders and files, the registry (the
// real registry engine over a store held in memory), profile files (the real profile
// engine over those files), a URL cache given as a list, the environment, the shell and
// started programs as lists of requests, and code page 932. What it does not keep (the
// shell's owner window, the readme's place) goes to the base platform, a NullPlatform
// unless another is given. Diagnostics are kept in a list, and also go to a sink once one
// is set.
//
// Paths use the separator the options give; with the Windows rule, names compare without
// regard to ASCII letter case, as the file systems there do, and lock files are made
// hidden; with the POSIX rule a name that begins with "." is hidden. A path's root ("/",
// or a drive such as "C:") always exists. Folders list their entries in the order of
// Platform::ListDirectory.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/reg_store.h"
#include "platform/forwarding_platform.h"
#include "platform/null_platform.h"
#include "platform/reg_store_calls.h"

namespace zorvane {

// One URL-cache entry of the list, holding its address.
struct MemoryCacheEntry {
  std::uint32_t type = 0;
  std::string address;
  std::uint32_t hit_rate = 0;
  AddressEncoding encoding = AddressEncoding::kAnsi;
};

namespace memory_detail {
// Holds the default base; a base class of MemoryPlatform ahead of ForwardingPlatform, so
// that it exists before ForwardingPlatform is handed its address.
struct NullBase {
  NullPlatform null_base;
};
}  // namespace memory_detail

class MemoryPlatform final : private memory_detail::NullBase,
                             public RegStoreCalls<ForwardingPlatform> {
 public:
  struct Options {
    char separator = '/';
    bool ignore_case = false;         // the Windows rule for names
    std::string home = "/home/user";  // the registry's default Favorites folder is in it
    // Zorvane's own Favorites folder; when set, the registry's default names it unless
    // home/Favorites is a folder, as on Linux.
    std::string own_favorites;
    std::string program_directory = "/program";
  };
  // Options for a Windows-like world: "\" paths, names compared without regard to case.
  static Options WindowsOptions();

  MemoryPlatform() : MemoryPlatform(Options()) {}
  explicit MemoryPlatform(Options options, Platform* base = nullptr);
  ~MemoryPlatform() override;

  // ---- The world, for the test to set up and inspect -----------------------------------

  // Creates the folder and every missing folder above it.
  void AddFolder(const std::string& path);
  // Creates or replaces a file, and the folders above it.
  void AddFile(const std::string& path, std::string_view bytes,
               std::uint32_t attributes = kFileAttributeNormal);
  // The bytes of a file; nullopt for a folder or nothing.
  std::optional<std::string> FileBytes(const std::string& path) const;
  bool Exists(const std::string& path) const;
  // Sets the attribute bits of a file or folder (the folder bit stays what it is). A
  // read-only file cannot be replaced; a read-only folder takes no new entries.
  void SetAttributes(const std::string& path, std::uint32_t attributes);
  // Makes reads of the file fail (kFailed), as a file without permission does.
  void MakeUnreadable(const std::string& path);
  // Every file and folder below `folder` (or everywhere), by full path, in the order of
  // their paths as the file names compare.
  std::vector<std::string> ListTree(const std::string& folder = {}) const;

  // The registry store's bytes; nullopt while it is missing (the defaults of a fresh
  // profile answer then). The registry reads it on every open, like the file store.
  std::optional<std::string>& registry_store() { return registry_store_; }

  // Creates the key `root`\`key` with every key above it; false when the registry
  // refuses.
  bool AddRegistryKey(std::uint32_t root, const std::string& key);
  // Stores `data` as it is (a string in its ANSI form, with its NUL if it should have
  // one) under `name` of that key, creating the key as needed.
  bool SetRegistryValue(std::uint32_t root, const std::string& key, const std::string& name,
                        std::uint32_t type, std::string_view data);

  std::vector<MemoryCacheEntry>& url_cache() { return url_cache_; }
  void SetEnvironmentVariable(const std::string& name, const std::string& value);

  // ShellOpen and StartProgram requests, in order. A shell request succeeds while the
  // switch says so; a program starts while its switch says so and its file exists.
  const std::vector<std::pair<std::string, std::string>>& shell_requests() const {
    return shell_requests_;
  }
  const std::vector<std::string>& started_programs() const { return started_programs_; }
  void set_shell_accepts(bool accepts) { shell_accepts_ = accepts; }
  void set_programs_start(bool start) { programs_start_ = start; }

  // How often FromAnsi was called: the scans promise to convert only what they must.
  int from_ansi_calls() const { return from_ansi_calls_; }
  // Registry handles opened and not yet closed.
  int open_registry_keys() const { return static_cast<int>(registry_->open_keys()); }
  // Every line handed to Diagnose, in order.
  const std::vector<std::string>& diagnostics() const { return diagnostics_; }

  // ---- Platform ------------------------------------------------------------------------

  std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& default_value, std::uint32_t size,
                                      const std::string& file) override;
  bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                 const std::string& value, const std::string& file) override;
  bool WritePrivateProfileStrings(const std::string& section,
                                  const std::vector<std::pair<std::string, std::string>>& entries,
                                  const std::string& file) override;

  std::uint32_t GetFileAttributes(const std::string& path) override;
  bool ListDirectory(const std::string& dir, std::vector<DirEntry>* entries) override;
  FileRead ReadFile(const std::string& path, std::string* bytes) override;
  bool WriteFileAtomic(const std::string& path, std::string_view bytes) override;
  bool WriteNewFile(const std::string& path, std::string_view bytes) override;
  bool CreateDirectory(const std::string& path) override;
  bool ReplaceDirectory(const std::string& staged, const std::string& target) override;
  bool RemoveDirectoryTree(const std::string& path) override;
  bool CopyNewFile(const std::string& from, const std::string& to) override;
  // The length rule of the system the options imitate (Windows with the Windows rule for
  // names, else POSIX with names of 255 bytes).
  bool NameFits(const std::string& parent, std::string_view name, bool is_folder) override;
  LockResult TryLockFile(const std::string& path, LockMode mode, bool create,
                         std::unique_ptr<FileLock>* lock) override;

  std::string ToAnsi(std::string_view utf8) override;
  std::string FromAnsi(std::string_view ansi) override;
  bool SurvivesAnsi(std::string_view utf8) override;
  bool IsCanonicalAnsi(std::string_view ansi) override;
  // The POSIX platform's sets, whatever the base.
  bool DecodeText(std::string_view charset, std::string_view bytes, std::string* utf8) override;
  std::string ExpandEnvironmentStrings(const std::string& text) override;

  void EnumerateUrlCache(std::uint32_t type_mask,
                         const std::function<bool(const UrlCacheEntry&)>& visit) override;

  bool ShellOpen(const std::string& operation, const std::string& file) override;
  bool StartProgram(const std::string& command_line) override;
  std::string ProgramDirectory() override { return options_.program_directory; }
  std::string OwnFavoritesFolder() override { return options_.own_favorites; }

  char PathSeparator() const override { return options_.separator; }
  bool FileNamesIgnoreCase() const override { return options_.ignore_case; }

  void SetDiagnosticSink(DiagnosticSink sink) override { sink_ = std::move(sink); }
  void Diagnose(const std::string& line) override;

 private:
  struct Node {
    std::string path;  // as it was created
    bool folder = false;
    std::string bytes;
    std::uint32_t attributes = 0;
    bool unreadable = false;
  };

  std::string Key(std::string_view path) const;
  // The attribute bits the platform reports for `node`.
  std::uint32_t Attributes(const Node& node) const;
  std::string Trimmed(std::string_view path) const;
  std::string Parent(const std::string& path) const;
  bool IsRoot(const std::string& path) const;
  const Node* Find(const std::string& path) const;
  Node* Find(const std::string& path);
  bool IsFolder(const std::string& path) const;
  // Whether a new entry may be made at `path`: its folder exists and is not read-only.
  bool CanAddIn(const std::string& path) const;
  // The start every key below the folder of `key` has.
  std::string ChildPrefix(const std::string& key) const;
  // The keys of `folder` and everything below it.
  std::vector<std::string> KeysAtOrBelow(const std::string& folder) const;

  // The holders of one lock file's lock: shared ones, or one exclusive (-1).
  class MemoryLock;
  std::map<std::string, int> lock_holders_;  // by Key(path)

  Options options_;
  std::map<std::string, Node> nodes_;  // by Key(path)
  std::optional<std::string> registry_store_;
  RegStore& Registry() override { return *registry_; }
  std::unique_ptr<RegStore> registry_;
  std::vector<MemoryCacheEntry> url_cache_;
  std::map<std::string, std::string> environment_;  // by name, case folded with the Windows rule
  std::vector<std::pair<std::string, std::string>> shell_requests_;
  std::vector<std::string> started_programs_;
  bool shell_accepts_ = true;
  bool programs_start_ = true;
  int from_ansi_calls_ = 0;
  std::vector<std::string> diagnostics_;
  DiagnosticSink sink_;
};

}  // namespace zorvane
