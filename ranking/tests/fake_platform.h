// A platform for the ranking tests: a URL cache given as a list of entries, the code
// page 932 conversions, and nothing else (every other operation fails or finds nothing).
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/cp932.h"

namespace zorvane::testing {

// One cache entry with its own storage for the address bytes.
struct FakeCacheEntry {
  std::uint32_t type;
  std::string address;
  std::uint32_t hit_rate;
  AddressEncoding encoding = AddressEncoding::kAnsi;
};

class FakePlatform final : public Platform {
 public:
  std::vector<FakeCacheEntry> cache;
  int from_ansi_calls = 0;

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

  std::string ToAnsi(std::string_view utf8) override { return cp932::FromUtf8(utf8); }
  std::string FromAnsi(std::string_view ansi) override {
    ++from_ansi_calls;
    return cp932::ToUtf8(ansi);
  }
  bool SurvivesAnsi(std::string_view utf8) override { return cp932::SurvivesRoundTrip(utf8); }
  bool IsCanonicalAnsi(std::string_view ansi) override { return cp932::IsCanonical(ansi); }
  std::string ExpandEnvironmentStrings(const std::string& text) override { return text; }

  void EnumerateUrlCache(std::uint32_t type_mask,
                         const std::function<bool(const UrlCacheEntry&)>& visit) override {
    for (const FakeCacheEntry& e : cache) {
      if ((e.type & type_mask) == 0) continue;
      if (!visit(UrlCacheEntry{e.type, e.address, e.hit_rate, e.encoding})) return;
    }
  }

  bool ShellOpen(const std::string&, const std::string&) override { return false; }
  bool StartProgram(const std::string&) override { return false; }
  std::string ProgramDirectory() override { return "/nonexistent"; }

  char PathSeparator() const override { return '/'; }
  bool FileNamesIgnoreCase() const override { return false; }
};

}  // namespace zorvane::testing
