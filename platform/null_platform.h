// A platform with nothing behind it: no registry keys, no files, no URL cache, no shell.
// Every read finds nothing and every write or request fails, each in the way the seam
// documents for that failure, so code under test meets a clean "no" rather than a crash.
// Its code page holds ASCII only. The base of test platforms that keep some things in
// memory and have nothing to say about the rest.
#pragma once

#include "platform/platform.h"

namespace zorvane {

class NullPlatform final : public Platform {
 public:
  long RegOpenKey(std::uint32_t, const std::string&, std::uint32_t, RegHandle*) override {
    return kErrorFileNotFound;
  }
  long RegCreateKey(std::uint32_t, const std::string&, std::uint32_t, RegHandle*) override {
    return kErrorAccessDenied;
  }
  long RegQueryValue(RegHandle, const std::string&, std::uint32_t*, std::uint8_t*,
                     std::uint32_t*) override {
    return kErrorInvalidHandle;
  }
  long RegSetValue(RegHandle, const std::string&, std::uint32_t, const std::uint8_t*,
                   std::uint32_t) override {
    return kErrorInvalidHandle;
  }
  long RegDeleteKey(RegHandle, const std::string&) override { return kErrorInvalidHandle; }
  long RegDeleteValue(RegHandle, const std::string&) override { return kErrorInvalidHandle; }
  long RegEnumValue(RegHandle, std::uint32_t, std::uint32_t, std::string*) override {
    return kErrorInvalidHandle;
  }
  long RegEnumKey(RegHandle, std::uint32_t, std::uint32_t, std::string*) override {
    return kErrorInvalidHandle;
  }
  long RegCloseKey(RegHandle) override { return kErrorInvalidHandle; }

  std::string GetPrivateProfileString(const std::string&, const std::string&,
                                      const std::string& default_value, std::uint32_t size,
                                      const std::string&) override;
  bool WritePrivateProfileString(const std::string&, const std::string&, const std::string&,
                                 const std::string&) override {
    return false;
  }

  std::uint32_t GetFileAttributes(const std::string&) override { return kInvalidFileAttributes; }
  bool ListDirectory(const std::string&, std::vector<DirEntry>* entries) override {
    entries->clear();
    return false;
  }
  FileRead ReadFile(const std::string&, std::string* bytes) override {
    bytes->clear();
    return FileRead::kMissing;
  }
  bool WriteFileAtomic(const std::string&, std::string_view) override { return false; }
  bool WriteNewFile(const std::string&, std::string_view) override { return false; }
  bool CreateDirectory(const std::string&) override { return false; }
  bool ReplaceDirectory(const std::string&, const std::string&) override { return false; }
  bool RemoveDirectoryTree(const std::string&) override { return true; }  // nothing is there
  bool CopyNewFile(const std::string&, const std::string&) override { return false; }
  bool NameFits(const std::string& parent, std::string_view name, bool is_folder) override;
  LockResult TryLockFile(const std::string&, LockMode, bool,
                         std::unique_ptr<FileLock>* lock) override {
    lock->reset();
    return LockResult::kFailed;
  }

  std::string ToAnsi(std::string_view utf8) override;
  std::string FromAnsi(std::string_view ansi) override;
  std::string ExpandEnvironmentStrings(const std::string& text) override { return text; }

  void EnumerateUrlCache(std::uint32_t, const std::function<bool(const UrlCacheEntry&)>&) override {
  }

  bool ShellOpen(const std::string&, const std::string&) override { return false; }
  bool StartProgram(const std::string&) override { return false; }
  std::string ProgramDirectory() override { return {}; }

  char PathSeparator() const override { return '/'; }
  bool FileNamesIgnoreCase() const override { return false; }
};

}  // namespace zorvane
