// A fresh folder under the temporary folder for one test, removed with all it holds.
// Portable: the Windows build's tests use it under Wine. Paths are UTF-8 with the
// system's separators.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

#include "browsers/utf8_path.h"

namespace zorvane::testing {

class ScratchFolder final {
 public:
  explicit ScratchFolder(std::string_view purpose = "zorvane-test") {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    do {
      path_ = base / (std::string(purpose) + "-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The UTF-8 path of `relative` (written with "/") in the folder.
  std::string operator/(std::string_view relative) const {
    return browsers::Utf8FromPath(Native(relative));
  }
  std::filesystem::path Native(std::string_view relative) const {
    return (path_ / browsers::PathFromUtf8(relative)).make_preferred();
  }

  // Writes `bytes` to `relative`, creating the folders above it; returns its path.
  std::string Write(std::string_view relative, std::string_view bytes) const {
    const std::filesystem::path file = Native(relative);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return browsers::Utf8FromPath(file);
  }
  // The whole content of `relative`, or "<missing>".
  std::string Read(std::string_view relative) const {
    std::ifstream in(Native(relative), std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::filesystem::path path_;
};

}  // namespace zorvane::testing
