// The nine registry operations of a platform that keeps its registry itself in a
// RegStore (the POSIX platform, the tests' memory platform), handed to it in one place.
#pragma once

#include <cstdint>
#include <string>

#include "formats/reg_store.h"

namespace zorvane {

template <typename Base>
class RegStoreCalls : public Base {
 public:
  using Base::Base;

  long RegOpenKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                  RegHandle* key) override {
    return Registry().RegOpenKey(root, sub_key, access, key);
  }
  long RegCreateKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                    RegHandle* key) override {
    return Registry().RegCreateKey(root, sub_key, access, key);
  }
  long RegQueryValue(RegHandle key, const std::string& name, std::uint32_t* type,
                     std::uint8_t* buffer, std::uint32_t* size) override {
    return Registry().RegQueryValue(key, name, type, buffer, size);
  }
  long RegSetValue(RegHandle key, const std::string& name, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) override {
    return Registry().RegSetValue(key, name, type, data, size);
  }
  long RegDeleteKey(RegHandle key, const std::string& sub_key) override {
    return Registry().RegDeleteKey(key, sub_key);
  }
  long RegDeleteValue(RegHandle key, const std::string& name) override {
    return Registry().RegDeleteValue(key, name);
  }
  long RegEnumValue(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                    std::string* name) override {
    return Registry().RegEnumValue(key, index, name_buffer_size, name);
  }
  long RegEnumKey(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                  std::string* name) override {
    return Registry().RegEnumKey(key, index, name_buffer_size, name);
  }
  long RegCloseKey(RegHandle key) override { return Registry().RegCloseKey(key); }

 protected:
  // The store the operations work on.
  virtual RegStore& Registry() = 0;
};

}  // namespace zorvane
