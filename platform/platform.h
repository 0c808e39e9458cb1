// The one seam between Zorvane and the operating system.
//
// Everything the program asks of the system goes through `Platform`: the registry, the
// profile (INI) functions, files and folders, the URL cache, code-page conversion, the
// shell and the program's own location. `platform/posix/` and `platform/win32/` implement
// it for the two builds; the tests run on `platform/memory/` (everything in memory, over
// `NullPlatform` or another base) and decorate it with a `ForwardingPlatform` that
// records or fails one operation.
//
// Text crosses this interface as UTF-8. Sizes that limit text (profile buffers, registry
// buffers, enumeration name buffers) count bytes of the text's ANSI form (code page 932),
// as the Windows "A" functions do. Registry *data* of string types is handed over in its
// ANSI form, byte for byte, as RegQueryValueExA/RegSetValueExA see it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/ansi_code_page.h"
#include "base/system_codes.h"

namespace zorvane {

// One entry of a folder listing.
struct DirEntry {
  std::string name;          // the entry's name, without its folder
  std::uint32_t attributes;  // kFileAttribute* bits
};

// The form in which a URL-cache source holds an entry's address.
enum class AddressEncoding : std::uint8_t {
  kAnsi,  // the ANSI code page: what the cache of Windows hands out, Internet Explorer's files
  kUtf8,  // UTF-8: cache lists, browser histories, Wine's index files; it stands for the
          // text it gives after ToAnsi, as if the source had held that
};

// One entry of the browser's URL cache, as the cache enumeration yields it. The address
// is handed in the source's own form so that a reader that only compares it with known
// addresses need not convert it; FromAnsi (after ToAnsi for kUtf8) gives its text.
struct UrlCacheEntry {
  std::uint32_t type = 0;      // entry-type bits (0x1 normal, 0x100000 cookie, ...)
  std::string_view address;    // the source address in `encoding`, no NUL
  std::uint32_t hit_rate = 0;  // the entry's hit count
  AddressEncoding encoding = AddressEncoding::kAnsi;
};

class Platform : public AnsiCodePage {
 public:
  // ---- Registry (the nine operations of the ANSI registry API) -------------------------
  // Each returns kErrorSuccess or a Windows error code. `access` is passed through; a
  // platform without access control ignores it.

  // Opens an existing key. kErrorFileNotFound when it does not exist.
  virtual long RegOpenKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                          RegHandle* key) = 0;
  // Opens a key, creating it and every missing key above it.
  virtual long RegCreateKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                            RegHandle* key) = 0;
  // Reads a value into `buffer` of `*size` bytes. On success `*type` and `*size` hold the
  // stored type and byte count; string data gets a NUL appended when there is room.
  // kErrorMoreData (buffer untouched or partly written) when the data does not fit;
  // kErrorFileNotFound when there is no such value.
  virtual long RegQueryValue(RegHandle key, const std::string& name, std::uint32_t* type,
                             std::uint8_t* buffer, std::uint32_t* size) = 0;
  // Stores `size` bytes under `name` with `type`.
  virtual long RegSetValue(RegHandle key, const std::string& name, std::uint32_t type,
                           const std::uint8_t* data, std::uint32_t size) = 0;
  // Deletes a sub-key that has no sub-keys of its own (kErrorAccessDenied otherwise).
  virtual long RegDeleteKey(RegHandle key, const std::string& sub_key) = 0;
  virtual long RegDeleteValue(RegHandle key, const std::string& name) = 0;
  // Names the value or sub-key at `index`. kErrorMoreData when the ANSI name plus its NUL
  // needs more than `name_buffer_size` bytes; kErrorNoMoreItems past the last one.
  virtual long RegEnumValue(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                            std::string* name) = 0;
  virtual long RegEnumKey(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                          std::string* name) = 0;
  virtual long RegCloseKey(RegHandle key) = 0;

  // ---- Profile files -------------------------------------------------------------------

  // The value of `key` in `section` of `file` (names compared without regard to case), or
  // `default_value` when the file, section or key is missing; at most `size` - 1 ANSI
  // bytes, never half a double-byte character. Size 0 gives "".
  virtual std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                              const std::string& default_value, std::uint32_t size,
                                              const std::string& file) = 0;
  // Sets `key` in `section` of `file`, creating both as needed. False when the file cannot
  // be written; the file is then unchanged.
  virtual bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                         const std::string& value, const std::string& file) = 0;
  // Sets several keys of one section; the result is what one write per entry, in order,
  // would leave. Platforms that can do it in one replacement of the file override this.
  virtual bool WritePrivateProfileStrings(
      const std::string& section, const std::vector<std::pair<std::string, std::string>>& entries,
      const std::string& file);

  // ---- Files and folders -------------------------------------------------------------

  // The attribute bits of `path`, or kInvalidFileAttributes when it cannot be queried. A
  // link is a reparse point, a folder too when it leads to one, and is never followed.
  // Where names compare without regard to case, "hidden" and "read-only" are bits the file
  // carries, the same for every process. Elsewhere (POSIX) a name that begins with "." is
  // hidden, and a file is read-only when this process may not write it (so never for
  // root); a file with none of the bits is kFileAttributeNormal alone.
  virtual std::uint32_t GetFileAttributes(const std::string& path) = 0;
  // Lists the entries of folder `dir` ("." and ".." excluded), folders and files together,
  // sorted by name: ASCII letters compared without regard to case, every other byte of
  // the UTF-8 name by its value (so "_" after the letters); names equal that way, which
  // only a file system that tells case apart holds, by their bytes ("README", "ReadMe",
  // "readme"). Windows file systems and Wine hand names out in this order themselves (and
  // fold letters beyond ASCII as well, which the POSIX platform does not); the POSIX
  // platform sorts readdir's hash order into it, so the folder walk, and url.dat, come
  // out alike in both builds and on every run. False when the folder cannot be opened.
  // The read-only bit may be missing from the attributes (the POSIX platform would need a
  // system call per entry to learn it); GetFileAttributes tells it.
  virtual bool ListDirectory(const std::string& dir, std::vector<DirEntry>* entries) = 0;
  // Reads a whole file into `bytes` (left empty unless kRead). kMissing when nothing of
  // that name exists, or a folder on its way does not; kFailed when something is there but
  // cannot be read (a folder, a file without permission, an error of the disk).
  virtual FileRead ReadFile(const std::string& path, std::string* bytes) = 0;
  // Replaces `path` with `bytes` whole: the old file stays if anything fails, and a
  // read-only one is not replaced.
  virtual bool WriteFileAtomic(const std::string& path, std::string_view bytes) = 0;
  // Creates the new file `path` (False, and nothing changed, when something of that name
  // exists) holding `bytes`, without the flushes of WriteFileAtomic: for files written
  // into a folder that is put in place as a whole afterwards (ReplaceDirectory). A file
  // that cannot be written whole is removed again.
  virtual bool WriteNewFile(const std::string& path, std::string_view bytes) = 0;
  // Creates one folder; its parent must exist. False on failure (also when it exists).
  virtual bool CreateDirectory(const std::string& path) = 0;
  // Puts the folder `staged` in the place of `target`, a folder of the same parent or
  // nothing yet: an existing `target` is exchanged with `staged` in one step where the
  // file system can (else moved aside to `staged` + ".old" just before), then removed
  // with all it holds; what cannot be removed stays under the staged name or the aside
  // one. True once `staged` stands at `target`; false, with `target` as it was, when it
  // could not be put there. A link at `target` is never replaced.
  virtual bool ReplaceDirectory(const std::string& staged, const std::string& target) = 0;
  // Removes the folder `path` with everything in it; links inside are removed, never
  // followed. True when nothing is left at `path` (also when nothing was there).
  virtual bool RemoveDirectoryTree(const std::string& path) = 0;
  // Copies the file `from` to the new file `to`, with its attributes (False, and nothing
  // changed, when something of that name exists or the copy fails). A link at `from` is
  // read through: callers that must not follow links look at the attributes first.
  virtual bool CopyNewFile(const std::string& from, const std::string& to) = 0;
  // Whether a new entry named `name` (a folder with `is_folder`) fits in the folder
  // `parent` as far as lengths go, `parent` existing or not: POSIX, a name of at most the
  // bytes the folder's file system takes and a whole path below PATH_MAX; Windows, a name
  // of at most 255 characters and a whole path the ANSI file functions take (MAX_PATH less
  // the room a folder keeps for the names of its files). Names and paths that fit may
  // still be refused for other reasons (characters, collisions, permissions).
  virtual bool NameFits(const std::string& parent, std::string_view name, bool is_folder) = 0;

  // ---- Locks between processes ---------------------------------------------------------

  // A lock that other processes (and other locks of this one) see, held until the object
  // goes; a process that ends releases its locks, however it ends.
  class FileLock {
   public:
    virtual ~FileLock() = default;
  };
  enum class LockMode { kShared, kExclusive };
  enum class LockResult {
    kLocked,  // `*lock` holds the lock
    kBusy,    // another holder's lock conflicts; try again later
    kFailed,  // the lock file could not be opened (or, without `create`, does not exist)
  };
  // Takes a lock on the file `path` in `mode` without waiting: shared locks go together,
  // an exclusive one goes alone. With `create` a missing lock file is made (hidden on
  // Windows); it stays behind when the lock goes, since removing it would let a third
  // process lock a new file while a second still holds the old one.
  virtual LockResult TryLockFile(const std::string& path, LockMode mode, bool create,
                                 std::unique_ptr<FileLock>* lock) = 0;

  // ---- Text (and the ANSI conversions of AnsiCodePage) --------------------------------

  // Replaces %NAME% references with the environment's values; unknown names stay.
  virtual std::string ExpandEnvironmentStrings(const std::string& text) = 0;
  // Converts `bytes`, text in the character set named `charset` (a name as HTML declares
  // it: "Shift_JIS", "EUC-JP", "windows-1252", ..., compared without regard to case; see
  // platform/charset.h), to UTF-8 in `*utf8`, each invalid sequence as U+FFFD. False, and
  // `*utf8` untouched, when the platform does not know the set. Every platform knows
  // UTF-8 and UTF-16; the base knows no more.
  virtual bool DecodeText(std::string_view charset, std::string_view bytes, std::string* utf8);

  // ---- URL cache -----------------------------------------------------------------------

  // Calls `visit` for each entry of the system's own URL cache (WinINet's on Windows; none
  // on Linux) whose type shares a bit with `type_mask`, in enumeration order, until it
  // returns false or the entries end; the address of an entry of another type is not even
  // read. An enumeration that cannot start yields no entries. The ranking reads the whole
  // cache, the browsers' histories joined, through urlcache/url_cache.h.
  virtual void EnumerateUrlCache(std::uint32_t type_mask,
                                 const std::function<bool(const UrlCacheEntry&)>& visit) = 0;

  // ---- Shell, processes, program -------------------------------------------------------

  // Hands `file` (a document, an address, a mailto: request) to the desktop's handler for
  // `operation` ("open"). False when nothing took it.
  virtual bool ShellOpen(const std::string& operation, const std::string& file) = 0;
  // The window that owns what the shell shows for later ShellOpen requests: the program's
  // main window, or 0 for none. Platforms without owner windows ignore it.
  virtual void SetShellOwnerWindow(std::uintptr_t /*window*/) {}
  // Starts a program by its command line without waiting. False when it cannot start.
  virtual bool StartProgram(const std::string& command_line) = 0;
  // The program directory, without a final separator: where url.dat and the settings
  // file live. The folder that holds the running program, except for an installed
  // program, whose folder is not the user's to write: the user's data folder then, made
  // when missing (platform/posix/program_location.h, platform/win32/program_location.h).
  virtual std::string ProgramDirectory() = 0;
  // The Favorites folder Zorvane keeps for a user who has none of their own: the default
  // of the registry's Favorites value where the system has no such folder of its own
  // (Linux without ~/Favorites), made on first use. "" where the system always has one.
  virtual std::string OwnFavoritesFolder() { return {}; }
  // The readme.txt the Readme command hands to ShellOpen: the bare name, which the
  // desktop finds in the current folder, or a full path where the platform knows better
  // (an installed program's documentation folder).
  virtual std::string ReadmeFile() { return "readme.txt"; }

  // ---- Path rules ----------------------------------------------------------------------

  // The separator the paths of this platform use.
  virtual char PathSeparator() const = 0;
  // Whether the file system compares names without regard to case.
  virtual bool FileNamesIgnoreCase() const = 0;

  // ---- Diagnostics ---------------------------------------------------------------------

  // Receives one line, without a line break, for each thing the platform had to skip: a
  // URL-cache source that is missing, unreadable, damaged or of an unknown kind, a
  // registry store it cannot parse.
  using DiagnosticSink = std::function<void(const std::string& line)>;
  // Sends later diagnostics to `sink`. Until one is set they go to stderr, each line
  // after "zorvane: ".
  virtual void SetDiagnosticSink(DiagnosticSink sink) { diagnostic_sink_ = std::move(sink); }
  // Hands one line to the sink; the commands report what they skipped this way too.
  virtual void Diagnose(const std::string& line);

 private:
  DiagnosticSink diagnostic_sink_;
};

// An open registry key, closed when the object goes: a key opened through the seam is
// closed on every path out of the code that opened it.
class ScopedRegKey final {
 public:
  explicit ScopedRegKey(Platform& platform) : platform_(platform) {}
  ~ScopedRegKey() { Close(); }
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;

  // Opens `root`\`sub_key` (Create: creating it and the keys above it), closing the key
  // held before; the Windows status of the call.
  long Open(std::uint32_t root, const std::string& sub_key, std::uint32_t access) {
    Close();
    return platform_.RegOpenKey(root, sub_key, access, &key_);
  }
  long Create(std::uint32_t root, const std::string& sub_key, std::uint32_t access) {
    Close();
    return platform_.RegCreateKey(root, sub_key, access, &key_);
  }
  RegHandle get() const { return key_; }

 private:
  void Close() {
    if (key_ != 0) platform_.RegCloseKey(key_);
    key_ = 0;
  }

  Platform& platform_;
  RegHandle key_ = 0;
};

// The value of the environment variable `name` as the platform expands it; nullopt when
// it is not set (an empty value is set).
std::optional<std::string> EnvironmentVariable(Platform& platform, const std::string& name);

// The platform the program runs on: POSIX or Win32, chosen at build time.
std::unique_ptr<Platform> CreateDefaultPlatform();

}  // namespace zorvane
