// The contract of the nine registry operations of `Platform`, as a test suite that any
// platform can run: the POSIX store here, the Win32 platform against a real registry
// (under Wine) there. The tests use nothing but the `Platform` interface, pass as keys
// only handles the platform gave out (a predefined root is only ever a root), and work
// below HKEY_CURRENT_USER\Software\ZorvaneTest\<test name>, which they remove before and
// after.
//
// Instantiate it with the factories to check:
//   INSTANTIATE_TEST_SUITE_P(Posix, RegistryContractTest,
//                            ::testing::Values(RegistryContractParam{"Posix", &MakeIt}),
//                            RegistryContractParamName);
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zorvane::testing {

struct RegistryContractParam {
  const char* name;
  std::function<std::unique_ptr<Platform>()> make_platform;
};

void PrintTo(const RegistryContractParam& param, std::ostream* out);

std::string RegistryContractParamName(const ::testing::TestParamInfo<RegistryContractParam>& info);

class RegistryContractTest : public ::testing::TestWithParam<RegistryContractParam> {
 protected:
  void SetUp() override;
  void TearDown() override;

  Platform& platform() { return *platform_; }
  // The path of this test's own key below HKEY_CURRENT_USER.
  const std::string& base() const { return base_; }

  // Creates base()\`sub_key` (base() itself for "") and returns its handle, closed at
  // the end of the test.
  RegHandle CreateKey(const std::string& sub_key);
  // Sets a value from raw bytes.
  long Set(RegHandle key, const std::string& name, std::uint32_t type, const std::string& bytes);
  // Queries a value into a buffer of `buffer_size` bytes filled with 0xEE first; returns
  // the status, with the whole buffer in `bytes` and the size the call reported.
  long Query(RegHandle key, const std::string& name, std::uint32_t buffer_size, std::uint32_t* type,
             std::string* bytes, std::uint32_t* size);
  // Removes the key at `path` below HKEY_CURRENT_USER (which holds a backslash) with
  // all its sub-keys. Uses only handles that the platform gave out.
  void DeleteTree(const std::string& path);

 private:
  std::unique_ptr<Platform> platform_;
  std::string base_;
  std::vector<RegHandle> open_keys_;
};

}  // namespace zorvane::testing
