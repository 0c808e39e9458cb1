// The registry of the platforms that keep it themselves (Linux, the tests' memory
// platform): the nine operations of the ANSI registry API over a `.reg` text (UTF-8,
// "Windows Registry Editor Version 5.00") that holds HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE. The text is read on every open, so edits by hand are seen, and is
// replaced whole only when a value or key is set or deleted. Where the bytes live is the
// platform's: see Store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/ansi_code_page.h"
#include "base/system_codes.h"

namespace zorvane {

class RegStore {
 public:
  // Where the store's bytes live. `read` gives them (kMissing for an empty store);
  // `replace` puts new bytes in their place whole, or changes nothing and says false.
  struct Store {
    std::string name;  // how diagnostics name the store
    std::function<FileRead(std::string* bytes)> read;
    std::function<bool(std::string_view bytes)> replace;
  };
  // The path a fresh profile's Favorites value names, asked at every read of the store
  // ("" for none): an empty store answers it, and any value of the store wins over it.
  using FavoritesDefault = std::function<std::string()>;

  // Names and string data cross the ANSI functions in `code_page`.
  RegStore(Store store, FavoritesDefault favorites, AnsiCodePage& code_page);
  ~RegStore();
  RegStore(const RegStore&) = delete;
  RegStore& operator=(const RegStore&) = delete;

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

  // Keys opened and not yet closed.
  std::size_t open_keys() const;

  // Receives a line naming the store and its first bad line when the store holds lines
  // that cannot be parsed (and so will not be written); once per content of the file.
  void SetDiagnose(std::function<void(const std::string& line)> diagnose);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zorvane
