// A platform that makes one chosen call fail: the k-th call of one kind of operation
// (the k-th file write, profile write, folder creation, read ...), or every call of that
// kind from the k-th on, as a full disk or a read-only folder would. A failed call does
// nothing and reports what the platform reports for a failure; every other call goes
// through to the real platform unchanged.
//
// Profile writes fail here, at the seam, because the POSIX platform reads, changes and
// replaces the profile file inside WritePrivateProfileString(s) itself.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/forwarding_platform.h"

namespace zorvane::testing {

enum class FaultKind {
  kWriteFile,        // WriteFileAtomic
  kWriteProfile,     // WritePrivateProfileString, WritePrivateProfileStrings
  kCreateDirectory,  // CreateDirectory
  kReadFile,         // ReadFile
  kReadProfile,      // GetPrivateProfileString (gives the default, as for a missing file)
  kListDirectory,    // ListDirectory
  kFileAttributes,   // GetFileAttributes
  kRegistryRead,     // RegOpenKey, RegQueryValue
  kRegistryWrite,    // RegCreateKey, RegSetValue, RegDeleteKey, RegDeleteValue
  kWriteNewFile,     // WriteNewFile, CopyNewFile
  kReplaceFolder,    // ReplaceDirectory
};
inline constexpr std::size_t kFaultKindCount = 11;

inline const char* FaultKindName(FaultKind kind) {
  static constexpr const char* kNames[kFaultKindCount] = {
      "WriteFileAtomic",         "WritePrivateProfileString",
      "CreateDirectory",         "ReadFile",
      "GetPrivateProfileString", "ListDirectory",
      "GetFileAttributes",       "registry read",
      "registry write",          "WriteNewFile",
      "ReplaceDirectory"};
  return kNames[static_cast<std::size_t>(kind)];
}

class FaultInjectingPlatform final : public ForwardingPlatform {
 public:
  explicit FaultInjectingPlatform(Platform* target) : ForwardingPlatform(target) {}

  // Counts calls afresh and makes call `k` (1-based) of `kind` fail; with `persistent`,
  // every later call of that kind fails too. k = 0 fails nothing.
  void Arm(FaultKind kind, int k, bool persistent = false) {
    calls_.fill(0);
    kind_ = kind;
    fail_at_ = k;
    persistent_ = persistent;
    injected_ = 0;
  }
  void Disarm() { Arm(FaultKind::kWriteFile, 0); }

  int calls(FaultKind kind) const { return calls_[static_cast<std::size_t>(kind)]; }
  // How many calls were made to fail since Arm.
  int injected() const { return injected_; }

  long RegOpenKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                  RegHandle* key) override {
    if (Fail(FaultKind::kRegistryRead)) return kErrorAccessDenied;
    return ForwardingPlatform::RegOpenKey(root, sub_key, access, key);
  }
  long RegCreateKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                    RegHandle* key) override {
    if (Fail(FaultKind::kRegistryWrite)) return kErrorAccessDenied;
    return ForwardingPlatform::RegCreateKey(root, sub_key, access, key);
  }
  long RegQueryValue(RegHandle key, const std::string& name, std::uint32_t* type,
                     std::uint8_t* buffer, std::uint32_t* size) override {
    if (Fail(FaultKind::kRegistryRead)) return kErrorAccessDenied;
    return ForwardingPlatform::RegQueryValue(key, name, type, buffer, size);
  }
  long RegSetValue(RegHandle key, const std::string& name, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) override {
    if (Fail(FaultKind::kRegistryWrite)) return kErrorWriteFault;
    return ForwardingPlatform::RegSetValue(key, name, type, data, size);
  }
  long RegDeleteKey(RegHandle key, const std::string& sub_key) override {
    if (Fail(FaultKind::kRegistryWrite)) return kErrorAccessDenied;
    return ForwardingPlatform::RegDeleteKey(key, sub_key);
  }
  long RegDeleteValue(RegHandle key, const std::string& name) override {
    if (Fail(FaultKind::kRegistryWrite)) return kErrorAccessDenied;
    return ForwardingPlatform::RegDeleteValue(key, name);
  }

  std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& default_value, std::uint32_t size,
                                      const std::string& file) override {
    if (Fail(FaultKind::kReadProfile)) return size == 0 ? std::string() : default_value;
    return ForwardingPlatform::GetPrivateProfileString(section, key, default_value, size, file);
  }
  bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                 const std::string& value, const std::string& file) override {
    if (Fail(FaultKind::kWriteProfile)) return false;
    return ForwardingPlatform::WritePrivateProfileString(section, key, value, file);
  }
  bool WritePrivateProfileStrings(const std::string& section,
                                  const std::vector<std::pair<std::string, std::string>>& entries,
                                  const std::string& file) override {
    if (Fail(FaultKind::kWriteProfile)) return false;
    return ForwardingPlatform::WritePrivateProfileStrings(section, entries, file);
  }

  std::uint32_t GetFileAttributes(const std::string& path) override {
    if (Fail(FaultKind::kFileAttributes)) return kInvalidFileAttributes;
    return ForwardingPlatform::GetFileAttributes(path);
  }
  bool ListDirectory(const std::string& dir, std::vector<DirEntry>* entries) override {
    if (Fail(FaultKind::kListDirectory)) {
      entries->clear();
      return false;
    }
    return ForwardingPlatform::ListDirectory(dir, entries);
  }
  FileRead ReadFile(const std::string& path, std::string* bytes) override {
    if (Fail(FaultKind::kReadFile)) {
      bytes->clear();
      return FileRead::kFailed;
    }
    return ForwardingPlatform::ReadFile(path, bytes);
  }
  bool WriteFileAtomic(const std::string& path, std::string_view bytes) override {
    if (Fail(FaultKind::kWriteFile)) return false;
    return ForwardingPlatform::WriteFileAtomic(path, bytes);
  }
  bool CreateDirectory(const std::string& path) override {
    if (Fail(FaultKind::kCreateDirectory)) return false;
    return ForwardingPlatform::CreateDirectory(path);
  }
  bool WriteNewFile(const std::string& path, std::string_view bytes) override {
    if (Fail(FaultKind::kWriteNewFile)) return false;
    return ForwardingPlatform::WriteNewFile(path, bytes);
  }
  bool CopyNewFile(const std::string& from, const std::string& to) override {
    if (Fail(FaultKind::kWriteNewFile)) return false;
    return ForwardingPlatform::CopyNewFile(from, to);
  }
  bool ReplaceDirectory(const std::string& staged, const std::string& target) override {
    if (Fail(FaultKind::kReplaceFolder)) return false;
    return ForwardingPlatform::ReplaceDirectory(staged, target);
  }

 private:
  // Counts a call of `kind`; true when it is to fail.
  bool Fail(FaultKind kind) {
    const int call = ++calls_[static_cast<std::size_t>(kind)];
    const bool fail =
        fail_at_ > 0 && kind == kind_ && (call == fail_at_ || (persistent_ && call > fail_at_));
    if (fail) ++injected_;
    return fail;
  }

  std::array<int, kFaultKindCount> calls_{};
  FaultKind kind_ = FaultKind::kWriteFile;
  int fail_at_ = 0;
  bool persistent_ = false;
  int injected_ = 0;
};

}  // namespace zorvane::testing
