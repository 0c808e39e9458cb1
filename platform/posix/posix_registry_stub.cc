// TEMPORARY STAND-IN, to be deleted when the real registry store lands: it lets the
// POSIX platform link on a branch that does not have it yet. Every key is missing and
// nothing can be stored. Not for merging into a tree that has posix_registry.cc.
#include "platform/posix/posix_registry.h"

namespace zorvane {

class PosixRegistry::Impl {};

PosixRegistry::PosixRegistry(std::string, std::string) {}
PosixRegistry::~PosixRegistry() = default;

std::string PosixRegistry::DefaultStorePath() { return std::string(); }

long PosixRegistry::RegOpenKey(std::uint32_t, const std::string&, std::uint32_t, RegHandle*) {
  return kErrorFileNotFound;
}
long PosixRegistry::RegCreateKey(std::uint32_t, const std::string&, std::uint32_t, RegHandle*) {
  return kErrorFileNotFound;
}
long PosixRegistry::RegQueryValue(RegHandle, const std::string&, std::uint32_t*, std::uint8_t*,
                                  std::uint32_t*) {
  return kErrorFileNotFound;
}
long PosixRegistry::RegSetValue(RegHandle, const std::string&, std::uint32_t, const std::uint8_t*,
                                std::uint32_t) {
  return kErrorFileNotFound;
}
long PosixRegistry::RegDeleteKey(RegHandle, const std::string&) { return kErrorFileNotFound; }
long PosixRegistry::RegDeleteValue(RegHandle, const std::string&) { return kErrorFileNotFound; }
long PosixRegistry::RegEnumValue(RegHandle, std::uint32_t, std::uint32_t, std::string*) {
  return kErrorFileNotFound;
}
long PosixRegistry::RegEnumKey(RegHandle, std::uint32_t, std::uint32_t, std::string*) {
  return kErrorFileNotFound;
}
long PosixRegistry::RegCloseKey(RegHandle) { return kErrorFileNotFound; }

}  // namespace zorvane
