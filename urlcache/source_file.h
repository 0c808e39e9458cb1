// A source file read in large pieces, on both systems: through std::filesystem's path of
// its UTF-8 name (so Windows opens it by its wide name), with the stream's own buffer
// left out, since every read already fills a large buffer of the caller's.
#pragma once

#include <cstddef>
#include <fstream>
#include <string>
#include <system_error>

#include "browsers/utf8_path.h"

namespace zorvane::urlcache {

class SourceFile final {
 public:
  explicit SourceFile(const std::string& path) : path_(browsers::PathFromUtf8(path)) {
    in_.rdbuf()->pubsetbuf(nullptr, 0);
    in_.open(path_, std::ios::binary);
  }
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;

  bool valid() const { return in_.is_open(); }
  // The file's size, 0 when it cannot be told.
  std::size_t size() const {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path_, error);
    return error ? 0 : static_cast<std::size_t>(bytes);
  }
  // Fills `buffer` as far as the file goes; the number of bytes read, 0 at the end or on
  // an error (which ends the source there, as the end of the file would).
  std::size_t Read(char* buffer, std::size_t size) {
    in_.read(buffer, static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(in_.gcount());
  }
  // Moves the next read to `offset` from the start; false on an error, after which
  // nothing more is read.
  bool Seek(std::size_t offset) {
    in_.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(in_);
  }

 private:
  std::filesystem::path path_;
  std::ifstream in_;
};

}  // namespace zorvane::urlcache
