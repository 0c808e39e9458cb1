#include "platform/tests/registry_test_platform.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

#include "platform/posix/cp932.h"

namespace zorvane::testing {
namespace {

std::string MakeTempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zorvane-reg-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

}  // namespace

RegistryTestPlatform::RegistryTestPlatform()
    : folder_(MakeTempFolder()),
      store_path_(folder_ + "/config/registry.reg"),
      registry_(std::make_unique<PosixRegistry>(store_path_, folder_)) {}

RegistryTestPlatform::~RegistryTestPlatform() {
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

long RegistryTestPlatform::RegOpenKey(std::uint32_t root, const std::string& sub_key,
                                      std::uint32_t access, RegHandle* key) {
  return registry_->RegOpenKey(root, sub_key, access, key);
}
long RegistryTestPlatform::RegCreateKey(std::uint32_t root, const std::string& sub_key,
                                        std::uint32_t access, RegHandle* key) {
  return registry_->RegCreateKey(root, sub_key, access, key);
}
long RegistryTestPlatform::RegQueryValue(RegHandle key, const std::string& name,
                                         std::uint32_t* type, std::uint8_t* buffer,
                                         std::uint32_t* size) {
  return registry_->RegQueryValue(key, name, type, buffer, size);
}
long RegistryTestPlatform::RegSetValue(RegHandle key, const std::string& name, std::uint32_t type,
                                       const std::uint8_t* data, std::uint32_t size) {
  return registry_->RegSetValue(key, name, type, data, size);
}
long RegistryTestPlatform::RegDeleteKey(RegHandle key, const std::string& sub_key) {
  return registry_->RegDeleteKey(key, sub_key);
}
long RegistryTestPlatform::RegDeleteValue(RegHandle key, const std::string& name) {
  return registry_->RegDeleteValue(key, name);
}
long RegistryTestPlatform::RegEnumValue(RegHandle key, std::uint32_t index,
                                        std::uint32_t name_buffer_size, std::string* name) {
  return registry_->RegEnumValue(key, index, name_buffer_size, name);
}
long RegistryTestPlatform::RegEnumKey(RegHandle key, std::uint32_t index,
                                      std::uint32_t name_buffer_size, std::string* name) {
  return registry_->RegEnumKey(key, index, name_buffer_size, name);
}
long RegistryTestPlatform::RegCloseKey(RegHandle key) { return registry_->RegCloseKey(key); }

std::string RegistryTestPlatform::ToAnsi(std::string_view utf8) { return cp932::FromUtf8(utf8); }
std::string RegistryTestPlatform::FromAnsi(std::string_view ansi) { return cp932::ToUtf8(ansi); }

std::unique_ptr<Platform> MakeRegistryTestPlatform() {
  return std::make_unique<RegistryTestPlatform>();
}

}  // namespace zorvane::testing
