// The Platform on the real Windows calls, in their ANSI ("A") forms.
//
// Text arrives as UTF-8 and is converted to the ANSI code page right at each call;
// text that comes back is converted from it. Every handle is owned by an object of
// win32_handles.h, so no path out of a function leaks one.
//
// Sections: registry, profile files, files and folders, text, URL cache, shell and
// processes, program location.
#include "platform/platform.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/charset.h"
#include "base/paths.h"
#include "base/text.h"
#include "formats/profile_engine.h"
#include "platform/win32/program_location.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/windows_include.h"

namespace zorvane {
namespace {

using win32::AnsiToUtf8;
using win32::Utf8ToAnsi;

constexpr char kSeparator = '\\';

// A predefined root such as 0x80000001 is a sign-extended 32-bit value in a 64-bit HKEY.
HKEY RootKey(std::uint32_t root) {
  return reinterpret_cast<HKEY>(
      static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

HKEY KeyFromHandle(RegHandle key) { return reinterpret_cast<HKEY>(key); }

// A lock of TryLockFile: closing the handle releases it.
struct Win32FileLock final : Platform::FileLock {
  explicit Win32FileLock(win32::UniqueFile opened) : file(std::move(opened)) {}
  win32::UniqueFile file;
};

// The profile functions return a value of at most 65535 characters.
constexpr DWORD kProfileValueLimit = 65536 + 2;

class Win32Platform final : public Platform {
 public:
  // ---- Registry ----------------------------------------------------------------------

  long RegOpenKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                  RegHandle* key) override {
    HKEY opened = nullptr;
    const LONG status =
        ::RegOpenKeyExA(RootKey(root), Utf8ToAnsi(sub_key).c_str(), 0, access, &opened);
    *key = status == ERROR_SUCCESS ? reinterpret_cast<RegHandle>(opened) : 0;
    return status;
  }

  long RegCreateKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                    RegHandle* key) override {
    char key_class[1] = "";
    SECURITY_ATTRIBUTES security{};  // length 0, no descriptor, not inheritable
    HKEY opened = nullptr;
    DWORD disposition = 0;
    const LONG status =
        ::RegCreateKeyExA(RootKey(root), Utf8ToAnsi(sub_key).c_str(), 0, key_class,
                          REG_OPTION_NON_VOLATILE, access, &security, &opened, &disposition);
    *key = status == ERROR_SUCCESS ? reinterpret_cast<RegHandle>(opened) : 0;
    return status;
  }

  long RegQueryValue(RegHandle key, const std::string& name, std::uint32_t* type,
                     std::uint8_t* buffer, std::uint32_t* size) override {
    DWORD stored_type = type != nullptr ? *type : 0;
    DWORD byte_count = size != nullptr ? *size : 0;
    const LONG status =
        ::RegQueryValueExA(KeyFromHandle(key), Utf8ToAnsi(name).c_str(), nullptr, &stored_type,
                           buffer, size != nullptr ? &byte_count : nullptr);
    if (type != nullptr) *type = stored_type;
    if (size != nullptr) *size = byte_count;
    return status;
  }

  long RegSetValue(RegHandle key, const std::string& name, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) override {
    return ::RegSetValueExA(KeyFromHandle(key), Utf8ToAnsi(name).c_str(), 0, type, data, size);
  }

  long RegDeleteKey(RegHandle key, const std::string& sub_key) override {
    return ::RegDeleteKeyA(KeyFromHandle(key), Utf8ToAnsi(sub_key).c_str());
  }

  long RegDeleteValue(RegHandle key, const std::string& name) override {
    return ::RegDeleteValueA(KeyFromHandle(key), Utf8ToAnsi(name).c_str());
  }

  long RegEnumValue(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                    std::string* name) override {
    std::vector<char> buffer(name_buffer_size + 1, '\0');
    DWORD name_size = name_buffer_size;
    DWORD type = 0;
    DWORD data_size = 0;
    const LONG status = ::RegEnumValueA(KeyFromHandle(key), index, buffer.data(), &name_size,
                                        nullptr, &type, nullptr, &data_size);
    if (status == ERROR_SUCCESS) *name = AnsiToUtf8(NameInBuffer(buffer, name_size));
    return status;
  }

  long RegEnumKey(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                  std::string* name) override {
    std::vector<char> buffer(name_buffer_size + 1, '\0');
    DWORD name_size = name_buffer_size;
    FILETIME last_write{};
    const LONG status = ::RegEnumKeyExA(KeyFromHandle(key), index, buffer.data(), &name_size,
                                        nullptr, nullptr, nullptr, &last_write);
    if (status == ERROR_SUCCESS) *name = AnsiToUtf8(NameInBuffer(buffer, name_size));
    return status;
  }

  long RegCloseKey(RegHandle key) override { return ::RegCloseKey(KeyFromHandle(key)); }

  // ---- Profile files -----------------------------------------------------------------

  // Reads the whole value, then cuts it to `size` - 1 bytes at a character boundary: the
  // profile function itself may stop inside a double-byte character and leave a byte of
  // the buffer unwritten.
  //
  // A key that holds "=" (a web address with a query) is looked up in the file's bytes
  // by the profile engine instead: the profile function splits every line at its first
  // "=" and so never finds such a key, which would lose the title of every such address.
  std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& default_value, std::uint32_t size,
                                      const std::string& file) override {
    if (size == 0) return {};
    const std::string ansi_section = Utf8ToAnsi(section);
    const std::string ansi_key = Utf8ToAnsi(key);
    const std::string ansi_default = Utf8ToAnsi(default_value);
    if (ansi_key.find('=') != std::string::npos) {
      std::string bytes;
      ReadFile(file, &bytes);  // anything but a read leaves it empty: the default
      return AnsiToUtf8(profile::ReadString(bytes, ansi_section, ansi_key, ansi_default, size));
    }
    const std::string ansi_file = Utf8ToAnsi(file);
    DWORD capacity = 256;
    std::string value;
    for (;;) {
      std::vector<char> buffer(capacity, '\0');
      const DWORD copied =
          ::GetPrivateProfileStringA(ansi_section.c_str(), ansi_key.c_str(), ansi_default.c_str(),
                                     buffer.data(), capacity, ansi_file.c_str());
      if (copied + 2 < capacity || capacity >= kProfileValueLimit) {
        value.assign(buffer.data(), std::min<DWORD>(copied, capacity - 1));
        break;
      }
      capacity = std::min<DWORD>(capacity * 4, kProfileValueLimit);
    }
    // The value ends at its first NUL, as the caller's buffer would show it.
    value.resize(std::strlen(value.c_str()));
    return AnsiToUtf8(win32::CutAnsiAtCharBoundary(value, size - 1));
  }

  // Refuses what a later read could not give back (a line break would also let a value
  // plant lines of its own). A value that a read would change (blanks at its ends, one
  // outer pair of quotes) is written inside one more pair of quotes. A key that holds "="
  // is written by the profile engine, which replaces its line where the profile function
  // would add a further line on every write.
  bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                 const std::string& value, const std::string& file) override {
    const std::string ansi_section = Utf8ToAnsi(section);
    const std::string ansi_key = Utf8ToAnsi(key);
    const std::string ansi_value = Utf8ToAnsi(value);
    if (!profile::CanWrite(ansi_section, ansi_key, ansi_value)) return false;
    if (ansi_key.find('=') != std::string::npos) {
      std::string bytes;
      // A missing file is written new; one that cannot be read is not written over.
      if (ReadFile(file, &bytes) == FileRead::kFailed) return false;
      const std::optional<std::string> updated =
          profile::WriteString(bytes, ansi_section, ansi_key, ansi_value);
      return updated && WriteFileAtomic(file, *updated);
    }
    return ::WritePrivateProfileStringA(ansi_section.c_str(), ansi_key.c_str(),
                                        profile::EncodeValue(ansi_value).c_str(),
                                        Utf8ToAnsi(file).c_str()) != FALSE;
  }

  // ---- Files and folders -------------------------------------------------------------

  std::uint32_t GetFileAttributes(const std::string& path) override {
    return ::GetFileAttributesA(Utf8ToAnsi(path).c_str());
  }

  bool ListDirectory(const std::string& dir, std::vector<DirEntry>* entries) override {
    entries->clear();
    const std::string pattern = paths::JoinEnsuringSeparator(dir, "*.*", kSeparator);
    WIN32_FIND_DATAA record{};
    win32::UniqueFindHandle find(::FindFirstFileA(Utf8ToAnsi(pattern).c_str(), &record));
    if (!find) {
      // An existing folder without entries (a drive's empty root) is not a failure.
      return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    do {
      const std::size_t length = strnlen(record.cFileName, sizeof(record.cFileName));
      const std::string name = AnsiToUtf8(std::string_view(record.cFileName, length));
      if (name == "." || name == "..") continue;
      entries->push_back({name, record.dwFileAttributes});
    } while (::FindNextFileA(find.get(), &record) != FALSE);
    return true;
  }

  FileRead ReadFile(const std::string& path, std::string* bytes) override {
    bytes->clear();
    win32::UniqueFile file(::CreateFileA(Utf8ToAnsi(path).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD error = ::GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRead::kMissing
                                                                            : FileRead::kFailed;
    }
    LARGE_INTEGER file_size{};
    if (!::GetFileSizeEx(file.get(), &file_size) || file_size.QuadPart > 0x7FFFFFFF) {
      return FileRead::kFailed;
    }
    std::string content(static_cast<std::size_t>(file_size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < content.size()) {
      DWORD read = 0;
      if (!::ReadFile(file.get(), content.data() + done, static_cast<DWORD>(content.size() - done),
                      &read, nullptr)) {
        return FileRead::kFailed;
      }
      if (read == 0) break;
      done += read;
    }
    content.resize(done);
    *bytes = std::move(content);
    return FileRead::kRead;
  }

  // Writes a temporary file beside the target, forces it to disk, then moves it over the
  // target in one step. The temporary name ("zv" and four hex digits, ".tmp") does not
  // grow with the target's, so a target whose name nearly fills MAX_PATH can be written.
  bool WriteFileAtomic(const std::string& path, std::string_view bytes) override {
    const std::string ansi_path = Utf8ToAnsi(path);
    // A read-only file is never replaced. Windows refuses the move below by itself; Wine
    // keeps the bit in the Unix permissions, which do not stop a process running as root.
    const DWORD existing = ::GetFileAttributesA(ansi_path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
      return false;
    }
    // The folder is cut from the UTF-8 form: in the ANSI form a "\" byte may be the
    // second half of a double-byte character.
    const std::size_t separator = path.find_last_of("\\/");
    const std::string folder = separator == std::string::npos
                                   ? std::string(".")
                                   : Utf8ToAnsi(path.substr(0, separator + 1));
    char temporary_buffer[MAX_PATH];
    if (::GetTempFileNameA(folder.c_str(), "zv", 0, temporary_buffer) == 0) return false;
    const std::string temporary(temporary_buffer);
    {
      win32::UniqueFile file(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                           TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file) {
        ::DeleteFileA(temporary.c_str());
        return false;
      }
      bool written = true;
      std::size_t done = 0;
      while (written && done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD wrote = 0;
        written = ::WriteFile(file.get(), bytes.data() + done, chunk, &wrote, nullptr) != FALSE &&
                  wrote == chunk;
        done += wrote;
      }
      if (!written || !::FlushFileBuffers(file.get())) {
        file.reset();
        ::DeleteFileA(temporary.c_str());
        return false;
      }
    }
    if (!::MoveFileExA(temporary.c_str(), ansi_path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      ::DeleteFileA(temporary.c_str());
      return false;
    }
    return true;
  }

  bool CreateDirectory(const std::string& path) override {
    return ::CreateDirectoryA(Utf8ToAnsi(path).c_str(), nullptr) != FALSE;
  }

  bool WriteNewFile(const std::string& path, std::string_view bytes) override {
    const std::string ansi_path = Utf8ToAnsi(path);
    bool written;
    {
      win32::UniqueFile file(::CreateFileA(ansi_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file) return false;
      DWORD wrote = 0;
      written = bytes.size() <= MAXDWORD &&
                ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote,
                            nullptr) != FALSE &&
                wrote == bytes.size();
    }
    if (!written) ::DeleteFileA(ansi_path.c_str());
    return written;
  }

  bool ReplaceDirectory(const std::string& staged, const std::string& target) override {
    const std::string ansi_staged = Utf8ToAnsi(staged);
    const std::string ansi_target = Utf8ToAnsi(target);
    const DWORD attributes = ::GetFileAttributesA(ansi_target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      return ::MoveFileExA(ansi_staged.c_str(), ansi_target.c_str(), 0) != FALSE;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      return false;  // a file, or a link: never replaced
    }
    // Windows cannot exchange two folders: the old one steps aside for an instant.
    const std::string aside = staged + ".old";
    const std::string ansi_aside = Utf8ToAnsi(aside);
    if (!RemoveDirectoryTree(aside) ||
        ::MoveFileExA(ansi_target.c_str(), ansi_aside.c_str(), 0) == FALSE) {
      return false;
    }
    if (::MoveFileExA(ansi_staged.c_str(), ansi_target.c_str(), 0) == FALSE) {
      ::MoveFileExA(ansi_aside.c_str(), ansi_target.c_str(), 0);
      return false;
    }
    RemoveDirectoryTree(aside);
    return true;
  }

  bool RemoveDirectoryTree(const std::string& path) override {
    const std::string ansi = Utf8ToAnsi(path);
    const DWORD attributes = ::GetFileAttributesA(ansi.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = ::GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
    // A junction or folder link is removed itself; what it points at is not entered.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      std::vector<DirEntry> entries;
      if (!ListDirectory(path, &entries)) return false;
      for (const DirEntry& entry : entries) {
        const std::string child = paths::JoinEnsuringSeparator(path, entry.name, kSeparator);
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
          if (!RemoveDirectoryTree(child)) return false;
          continue;
        }
        const std::string ansi_child = Utf8ToAnsi(child);
        ::SetFileAttributesA(ansi_child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (::DeleteFileA(ansi_child.c_str()) == FALSE) return false;
      }
    }
    return ::RemoveDirectoryA(ansi.c_str()) != FALSE;
  }

  bool CopyNewFile(const std::string& from, const std::string& to) override {
    return ::CopyFileA(Utf8ToAnsi(from).c_str(), Utf8ToAnsi(to).c_str(), TRUE) != FALSE;
  }

  bool NameFits(const std::string& parent, std::string_view name, bool is_folder) override {
    return paths::WindowsNameFits(parent, name, is_folder);
  }

  // ---- Locks ---------------------------------------------------------------------------

  // A byte-range lock on the lock file's first byte: LockFileEx's locks belong to one
  // handle, so two locks of one process conflict as two processes' do, and the system
  // releases them when the process ends.
  LockResult TryLockFile(const std::string& path, LockMode mode, bool create,
                         std::unique_ptr<FileLock>* lock) override {
    lock->reset();
    if (path.empty()) return LockResult::kFailed;
    auto held = std::make_unique<Win32FileLock>(win32::UniqueFile(
        ::CreateFileA(Utf8ToAnsi(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_HIDDEN, nullptr)));
    if (!held->file) return LockResult::kFailed;
    OVERLAPPED at{};
    const DWORD flags =
        LOCKFILE_FAIL_IMMEDIATELY | (mode == LockMode::kExclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (::LockFileEx(held->file.get(), flags, 0, 1, 0, &at) == FALSE) {
      const DWORD error = ::GetLastError();
      return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? LockResult::kBusy
                                                                        : LockResult::kFailed;
    }
    *lock = std::move(held);
    return LockResult::kLocked;
  }

  // ---- Text ----------------------------------------------------------------------------

  std::string ToAnsi(std::string_view utf8) override { return Utf8ToAnsi(utf8); }
  std::string FromAnsi(std::string_view ansi) override { return AnsiToUtf8(ansi); }
  bool DecodeText(std::string_view charset, std::string_view bytes, std::string* utf8) override {
    if (Platform::DecodeText(charset, bytes, utf8)) return true;
    const std::uint32_t code_page = charset::CodePage(charset::FromName(charset));
    return code_page != 0 && win32::CodePageToUtf8(code_page, bytes, utf8);
  }

  std::string ExpandEnvironmentStrings(const std::string& text) override {
    const std::string ansi = Utf8ToAnsi(text);
    DWORD capacity = static_cast<DWORD>(ansi.size()) + 256;
    for (int attempt = 0; attempt < 4; ++attempt) {
      std::vector<char> buffer(capacity, '\0');
      const DWORD needed = ::ExpandEnvironmentStringsA(ansi.c_str(), buffer.data(), capacity);
      if (needed == 0) return text;
      if (needed <= capacity) return AnsiToUtf8(buffer.data());
      capacity = needed + 1;
    }
    return text;
  }

  // ---- URL cache -----------------------------------------------------------------------

  // The WinINet cache, as Internet Explorer left it (the URL-cache layer joins the other
  // browsers' histories to it). Each entry is fetched twice: first with no buffer, to
  // learn its size, then into a fixed block of exactly that size, which is freed once the
  // entry is handled. Any failure ends the enumeration with the entries handled so far.
  void EnumerateUrlCache(std::uint32_t type_mask,
                         const std::function<bool(const UrlCacheEntry&)>& visit) override {
    EnumerateWinInetCache(type_mask, visit);
  }

  // ---- Shell, processes, program -------------------------------------------------------

  bool ShellOpen(const std::string& operation, const std::string& file) override {
    const HINSTANCE result = ::ShellExecuteA(shell_owner_, Utf8ToAnsi(operation).c_str(),
                                             Utf8ToAnsi(file).c_str(), "", "", SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
  }

  void SetShellOwnerWindow(std::uintptr_t window) override {
    shell_owner_ = reinterpret_cast<HWND>(window);
  }

  // Starts the program in a normal window that takes the focus, and does not wait.
  bool StartProgram(const std::string& command_line) override {
    std::string ansi = Utf8ToAnsi(command_line);
    if (ansi.empty()) return false;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, ansi.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
      return false;
    }
    win32::UniqueKernelHandle process_handle(process.hProcess);
    win32::UniqueKernelHandle thread_handle(process.hThread);
    return true;
  }

  // The executable's folder; for the installed copy, the one in the folder the installer
  // recorded, %APPDATA%\Zorvane, created when missing (platform/win32/program_location.h).
  std::string ProgramDirectory() override {
    const win32::ProgramLocation location = win32::LocateProgramFiles(
        ExecutableFolder(), RecordedInstallFolder(), EnvironmentValue("APPDATA"));
    if (location.installed) {
      // A folder that cannot be made fails the first write, with that write's message.
      ::CreateDirectoryA(Utf8ToAnsi(location.data_directory).c_str(), nullptr);
    }
    return location.data_directory;
  }

  char PathSeparator() const override { return kSeparator; }
  bool FileNamesIgnoreCase() const override { return true; }

 private:
  // The folder of the running program, without a final backslash; "." when unknown.
  static std::string ExecutableFolder() {
    std::vector<char> buffer(MAX_PATH, '\0');
    for (;;) {
      const DWORD length =
          ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (length == 0) return ".";
      if (length < buffer.size()) {
        const std::string path = AnsiToUtf8(std::string_view(buffer.data(), length));
        const std::size_t last = path.find_last_of(kSeparator);
        return last == std::string::npos ? "." : path.substr(0, last);
      }
      buffer.resize(buffer.size() * 2);
    }
  }

  // The folder the installer put the programs in (HKEY_CURRENT_USER\Software\Zorvane,
  // value InstallDir), or "" when it recorded none.
  std::string RecordedInstallFolder() {
    ScopedRegKey key(*this);
    if (key.Open(kHkeyCurrentUser, win32::kInstallKey, KEY_QUERY_VALUE) != kErrorSuccess) return {};
    std::vector<std::uint8_t> buffer(MAX_PATH * 2, 0);
    std::uint32_t type = 0;
    std::uint32_t size = static_cast<std::uint32_t>(buffer.size() - 1);
    const long status =
        RegQueryValue(key.get(), win32::kInstallDirValue, &type, buffer.data(), &size);
    if (status != kErrorSuccess || (type != kRegSz && type != kRegExpandSz)) return {};
    const std::string ansi(reinterpret_cast<const char*>(buffer.data()),
                           strnlen(reinterpret_cast<const char*>(buffer.data()), size));
    return AnsiToUtf8(ansi);
  }

  // The environment variable `name` (ASCII), or "" when it is not set.
  static std::string EnvironmentValue(const char* name) {
    std::vector<char> buffer(MAX_PATH, '\0');
    for (;;) {
      const DWORD length =
          ::GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (length < buffer.size()) return AnsiToUtf8(std::string_view(buffer.data(), length));
      buffer.resize(length);  // the size it needs, its NUL counted
    }
  }

  // Calls `visit` for each entry of the WinINet URL cache whose type shares a bit with
  // `type_mask` until it returns false; returns false then. The address is handed where
  // it lies in the block, and only for an entry of the types asked for.
  bool EnumerateWinInetCache(std::uint32_t type_mask,
                             const std::function<bool(const UrlCacheEntry&)>& visit) {
    DWORD size = 0;
    win32::UniqueUrlCacheFind find(::FindFirstUrlCacheEntryA(nullptr, nullptr, &size));
    if (find || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return true;
    win32::UniqueLocalMemory block(AllocateEntryBlock(size));
    if (!block) return true;
    find.reset(::FindFirstUrlCacheEntryA(nullptr, EntryIn(block), &size));
    if (!find) return true;
    for (;;) {
      INTERNET_CACHE_ENTRY_INFOA record;
      std::memcpy(&record, block.get(), sizeof(record));
      if ((record.CacheEntryType & type_mask) != 0) {
        const std::string_view address = AddressAt(record.lpszSourceUrlName);
        if (!visit({record.CacheEntryType, address, record.dwHitRate, AddressEncoding::kAnsi})) {
          return false;
        }
      }
      block.reset();
      size = 0;
      ::FindNextUrlCacheEntryA(find.get(), nullptr, &size);
      if (size == 0) return true;
      block.reset(AllocateEntryBlock(size));
      if (!block) return true;
      if (!::FindNextUrlCacheEntryA(find.get(), EntryIn(block), &size)) return true;
    }
  }

  // The name an enumeration left in `buffer`: `length` bytes, or up to its NUL.
  static std::string_view NameInBuffer(const std::vector<char>& buffer, DWORD length) {
    return std::string_view(buffer.data(),
                            strnlen(buffer.data(), std::min<std::size_t>(length, buffer.size())));
  }

  // A fixed block of `size` bytes whose first word (dwStructSize) holds its size.
  static HLOCAL AllocateEntryBlock(DWORD size) {
    if (size < sizeof(DWORD)) return nullptr;
    HLOCAL block = ::LocalAlloc(LMEM_FIXED, size);
    if (block != nullptr) std::memcpy(block, &size, sizeof(size));
    return block;
  }

  static INTERNET_CACHE_ENTRY_INFOA* EntryIn(const win32::UniqueLocalMemory& block) {
    return static_cast<INTERNET_CACHE_ENTRY_INFOA*>(block.get());
  }

  // The NUL-terminated ANSI string at `address`, where it lies.
  static std::string_view AddressAt(const char* address) {
    if (address == nullptr) return {};
    return std::string_view(address, static_cast<std::size_t>(::lstrlenA(address)));
  }

  HWND shell_owner_ = nullptr;  // the owner ShellExecuteA gets
};

}  // namespace

std::unique_ptr<Platform> CreateDefaultPlatform() { return std::make_unique<Win32Platform>(); }

}  // namespace zorvane
