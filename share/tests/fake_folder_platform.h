// A platform whose folders and files live in memory, for the file side of the sharing
// commands. Only the folder, file, text and shell operations are implemented; the others
// are never called by the code under test and forward to no platform at all.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/forwarding_platform.h"

namespace zorvane::share {

class FakeFolderPlatform final : public ForwardingPlatform {
 public:
  explicit FakeFolderPlatform(char separator)
      : ForwardingPlatform(nullptr), separator_(separator) {}

  std::uint32_t GetFileAttributes(const std::string& path) override {
    if (folders.count(path) != 0) return kFileAttributeDirectory;
    if (files.count(path) != 0) return kFileAttributeNormal;
    return kInvalidFileAttributes;
  }
  bool CreateDirectory(const std::string& path) override {
    ++create_directory_calls;
    if (!HasParentFolder(path) || GetFileAttributes(path) != kInvalidFileAttributes) return false;
    folders.insert(path);
    return true;
  }
  bool WriteFileAtomic(const std::string& path, std::string_view bytes) override {
    write_attempts.push_back(path);
    if (unwritable.count(path) != 0 || !HasParentFolder(path) || folders.count(path) != 0) {
      return false;
    }
    files[path] = std::string(bytes);
    return true;
  }
  std::string ToAnsi(std::string_view utf8) override {
    return to_ansi ? to_ansi(utf8) : std::string(utf8);
  }
  std::string FromAnsi(std::string_view ansi) override { return std::string(ansi); }
  bool ShellOpen(const std::string& operation, const std::string& file) override {
    shell_requests.emplace_back(operation, file);
    return shell_accepts;
  }
  char PathSeparator() const override { return separator_; }
  bool FileNamesIgnoreCase() const override { return separator_ == '\\'; }

  std::set<std::string> folders;
  std::map<std::string, std::string> files;
  std::set<std::string> unwritable;  // paths whose writes fail
  std::vector<std::string> write_attempts;
  int create_directory_calls = 0;
  std::function<std::string(std::string_view)> to_ansi;  // identity when empty
  std::vector<std::pair<std::string, std::string>> shell_requests;
  bool shell_accepts = true;

 private:
  bool HasParentFolder(const std::string& path) const {
    const std::size_t last = path.rfind(separator_);
    return last != std::string::npos && folders.count(path.substr(0, last)) != 0;
  }

  char separator_;
};

}  // namespace zorvane::share
