// A platform that hands every call to another one. Tests derive from it and override
// the one operation they want to observe or break; a platform that has nothing to say
// about some operations hands them to a NullPlatform.
#pragma once

#include <stdexcept>
#include <utility>

#include "platform/platform.h"

namespace zorvane {

class ForwardingPlatform : public Platform {
 public:
  // `target` must outlive this platform; a null target is refused at once rather than
  // crashing on the first call nobody overrode.
  explicit ForwardingPlatform(Platform* target) : target_(target) {
    if (target_ == nullptr) throw std::invalid_argument("ForwardingPlatform needs a target");
  }

  long RegOpenKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                  RegHandle* key) override {
    return target_->RegOpenKey(root, sub_key, access, key);
  }
  long RegCreateKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                    RegHandle* key) override {
    return target_->RegCreateKey(root, sub_key, access, key);
  }
  long RegQueryValue(RegHandle key, const std::string& name, std::uint32_t* type,
                     std::uint8_t* buffer, std::uint32_t* size) override {
    return target_->RegQueryValue(key, name, type, buffer, size);
  }
  long RegSetValue(RegHandle key, const std::string& name, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) override {
    return target_->RegSetValue(key, name, type, data, size);
  }
  long RegDeleteKey(RegHandle key, const std::string& sub_key) override {
    return target_->RegDeleteKey(key, sub_key);
  }
  long RegDeleteValue(RegHandle key, const std::string& name) override {
    return target_->RegDeleteValue(key, name);
  }
  long RegEnumValue(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                    std::string* name) override {
    return target_->RegEnumValue(key, index, name_buffer_size, name);
  }
  long RegEnumKey(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                  std::string* name) override {
    return target_->RegEnumKey(key, index, name_buffer_size, name);
  }
  long RegCloseKey(RegHandle key) override { return target_->RegCloseKey(key); }

  std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& default_value, std::uint32_t size,
                                      const std::string& file) override {
    return target_->GetPrivateProfileString(section, key, default_value, size, file);
  }
  bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                 const std::string& value, const std::string& file) override {
    return target_->WritePrivateProfileString(section, key, value, file);
  }
  bool WritePrivateProfileStrings(const std::string& section,
                                  const std::vector<std::pair<std::string, std::string>>& entries,
                                  const std::string& file) override {
    return target_->WritePrivateProfileStrings(section, entries, file);
  }

  std::uint32_t GetFileAttributes(const std::string& path) override {
    return target_->GetFileAttributes(path);
  }
  bool ListDirectory(const std::string& dir, std::vector<DirEntry>* entries) override {
    return target_->ListDirectory(dir, entries);
  }
  FileRead ReadFile(const std::string& path, std::string* bytes) override {
    return target_->ReadFile(path, bytes);
  }
  bool WriteFileAtomic(const std::string& path, std::string_view bytes) override {
    return target_->WriteFileAtomic(path, bytes);
  }
  bool WriteNewFile(const std::string& path, std::string_view bytes) override {
    return target_->WriteNewFile(path, bytes);
  }
  bool CreateDirectory(const std::string& path) override { return target_->CreateDirectory(path); }

  std::string ToAnsi(std::string_view utf8) override { return target_->ToAnsi(utf8); }
  std::string FromAnsi(std::string_view ansi) override { return target_->FromAnsi(ansi); }
  bool SurvivesAnsi(std::string_view utf8) override { return target_->SurvivesAnsi(utf8); }
  bool IsCanonicalAnsi(std::string_view ansi) override { return target_->IsCanonicalAnsi(ansi); }
  std::string ExpandEnvironmentStrings(const std::string& text) override {
    return target_->ExpandEnvironmentStrings(text);
  }
  bool DecodeText(std::string_view charset, std::string_view bytes, std::string* utf8) override {
    return target_->DecodeText(charset, bytes, utf8);
  }

  void EnumerateUrlCache(std::uint32_t type_mask,
                         const std::function<bool(const UrlCacheEntry&)>& visit) override {
    target_->EnumerateUrlCache(type_mask, visit);
  }

  bool ShellOpen(const std::string& operation, const std::string& file) override {
    return target_->ShellOpen(operation, file);
  }
  bool StartProgram(const std::string& command_line) override {
    return target_->StartProgram(command_line);
  }
  void SetShellOwnerWindow(std::uintptr_t window) override { target_->SetShellOwnerWindow(window); }
  std::string ProgramDirectory() override { return target_->ProgramDirectory(); }
  std::string ReadmeFile() override { return target_->ReadmeFile(); }
  std::string OwnFavoritesFolder() override { return target_->OwnFavoritesFolder(); }

  char PathSeparator() const override { return target_->PathSeparator(); }
  bool FileNamesIgnoreCase() const override { return target_->FileNamesIgnoreCase(); }
  bool ReplaceDirectory(const std::string& staged, const std::string& target) override {
    return target_->ReplaceDirectory(staged, target);
  }
  bool CopyNewFile(const std::string& from, const std::string& to) override {
    return target_->CopyNewFile(from, to);
  }
  bool NameFits(const std::string& parent, std::string_view name, bool is_folder) override {
    return target_->NameFits(parent, name, is_folder);
  }
  LockResult TryLockFile(const std::string& path, LockMode mode, bool create,
                         std::unique_ptr<FileLock>* lock) override {
    return target_->TryLockFile(path, mode, create, lock);
  }
  bool RemoveDirectoryTree(const std::string& path) override {
    return target_->RemoveDirectoryTree(path);
  }
  void SetDiagnosticSink(DiagnosticSink sink) override {
    target_->SetDiagnosticSink(std::move(sink));
  }
  void Diagnose(const std::string& line) override { target_->Diagnose(line); }

 protected:
  Platform* target() const { return target_; }

 private:
  Platform* target_;
};

}  // namespace zorvane
