// A platform for tests of registry users: its registry is a PosixRegistry over a store
// file in a fresh temporary folder (which also serves as the home folder), its ANSI code
// page is 932, and every other operation fails.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/posix/posix_registry.h"

namespace zorvane::testing {

class RegistryTestPlatform final : public Platform {
 public:
  RegistryTestPlatform();
  ~RegistryTestPlatform() override;

  // The temporary folder, removed with the platform.
  const std::string& folder() const { return folder_; }
  const std::string& store_path() const { return store_path_; }

  long RegOpenKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                  RegHandle* key) override;
  long RegCreateKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                    RegHandle* key) override;
  long RegQueryValue(RegHandle key, const std::string& name, std::uint32_t* type,
                     std::uint8_t* buffer, std::uint32_t* size) override;
  long RegSetValue(RegHandle key, const std::string& name, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) override;
  long RegDeleteKey(RegHandle key, const std::string& sub_key) override;
  long RegDeleteValue(RegHandle key, const std::string& name) override;
  long RegEnumValue(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                    std::string* name) override;
  long RegEnumKey(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                  std::string* name) override;
  long RegCloseKey(RegHandle key) override;

  std::string GetPrivateProfileString(const std::string&, const std::string&,
                                      const std::string& default_value, std::uint32_t,
                                      const std::string&) override {
    return default_value;
  }
  bool WritePrivateProfileString(const std::string&, const std::string&, const std::string&,
                                 const std::string&) override {
    return false;
  }
  std::uint32_t GetFileAttributes(const std::string&) override { return kInvalidFileAttributes; }
  bool ListDirectory(const std::string&, std::vector<DirEntry>*) override { return false; }
  FileRead ReadFile(const std::string&, std::string*) override { return FileRead::kFailed; }
  bool WriteFileAtomic(const std::string&, std::string_view) override { return false; }
  bool WriteNewFile(const std::string&, std::string_view) override { return false; }
  bool CreateDirectory(const std::string&) override { return false; }
  bool ReplaceDirectory(const std::string&, const std::string&) override { return false; }
  bool RemoveDirectoryTree(const std::string&) override { return false; }
  std::string ToAnsi(std::string_view utf8) override;
  std::string FromAnsi(std::string_view ansi) override;
  std::string ExpandEnvironmentStrings(const std::string& text) override { return text; }
  void EnumerateUrlCache(std::uint32_t, const std::function<bool(const UrlCacheEntry&)>&) override {
  }
  bool ShellOpen(const std::string&, const std::string&) override { return false; }
  bool StartProgram(const std::string&) override { return false; }
  std::string ProgramDirectory() override { return folder_; }
  char PathSeparator() const override { return '/'; }
  bool FileNamesIgnoreCase() const override { return false; }

 private:
  std::string folder_;
  std::string store_path_;
  std::unique_ptr<PosixRegistry> registry_;
};

// A fresh RegistryTestPlatform, for suites parameterised over a platform factory.
std::unique_ptr<Platform> MakeRegistryTestPlatform();

}  // namespace zorvane::testing
