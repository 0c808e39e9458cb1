// The registry on Linux: a `.reg` text file (UTF-8, "Windows Registry Editor Version
// 5.00") that holds HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, with the nine registry
// operations over it. The file is read on every open, so edits by hand are seen, and is
// replaced atomically only when a value or key is set or deleted. The bytes may also
// live elsewhere (the test platform keeps them in memory): see Store.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace zorvane {

class PosixRegistry {
 public:
  // The path a fresh profile's Favorites value names, asked at every read of the store
  // ("" for none).
  using FavoritesDefault = std::function<std::string()>;

  // `store_path`: the .reg file. A missing file is an empty store plus the defaults a
  // fresh profile has (the Favorites folder under `home_dir`).
  PosixRegistry(std::string store_path, std::string home_dir);
  PosixRegistry(std::string store_path, FavoritesDefault favorites);

  // Where the store's bytes live. `read` gives them (kMissing for an empty store);
  // `replace` puts new bytes in their place whole, or changes nothing and says false.
  struct Store {
    std::string name;  // how diagnostics name the store
    std::function<FileRead(std::string* bytes)> read;
    std::function<bool(std::string_view bytes)> replace;
  };
  PosixRegistry(Store store, const std::string& home_dir);
  PosixRegistry(Store store, FavoritesDefault favorites);
  ~PosixRegistry();
  PosixRegistry(const PosixRegistry&) = delete;
  PosixRegistry& operator=(const PosixRegistry&) = delete;

  // The path of the store when the environment names none: $ZORVANE_REGISTRY, else
  // ${XDG_CONFIG_HOME:-$HOME/.config}/zorvane/registry.reg.
  static std::string DefaultStorePath();

  // Same contracts as the Platform methods of the same names.
  long RegOpenKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                  RegHandle* key);
  long RegCreateKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                    RegHandle* key);
  long RegQueryValue(RegHandle key, const std::string& name, std::uint32_t* type,
                     std::uint8_t* buffer, std::uint32_t* size);
  long RegSetValue(RegHandle key, const std::string& name, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size);
  long RegDeleteKey(RegHandle key, const std::string& sub_key);
  long RegDeleteValue(RegHandle key, const std::string& name);
  long RegEnumValue(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                    std::string* name);
  long RegEnumKey(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                  std::string* name);
  long RegCloseKey(RegHandle key);

  // Receives a line naming the store and its first bad line when the store holds lines
  // that cannot be parsed (and so will not be written); once per content of the file.
  void SetDiagnose(std::function<void(const std::string& line)> diagnose);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zorvane
