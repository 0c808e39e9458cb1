// What the program relies on from a platform's profile functions, as one test suite that
// every platform runs: the POSIX engine and the memory platform of the tests here, the
// real functions of Windows (under Wine) in the Windows build. The suite speaks only to the Platform and uses std::filesystem
// for nothing but its temporary folder, so it runs unchanged on both.
//
// A platform instantiates it with
//   INSTANTIATE_TEST_SUITE_P(Name, ProfileContractTest,
//                            ::testing::Values(ProfilePlatform{"Name", factory}),
//                            ProfilePlatformName);
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace zorvane::contract {

struct ProfilePlatform {
  std::string name;
  std::function<std::unique_ptr<Platform>()> create;
};

// The test name suffix for one instantiation: the platform's name.
std::string ProfilePlatformName(const ::testing::TestParamInfo<ProfilePlatform>& info);

class ProfileContractTest : public ::testing::TestWithParam<ProfilePlatform> {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The path of `name` inside this test's own empty folder.
  std::string PathOf(const std::string& name) const;
  // The bytes of file `name`, or "<missing>".
  std::string Bytes(const std::string& name);
  // Puts `bytes` into file `name`.
  void Put(const std::string& name, const std::string& bytes);
  bool Exists(const std::string& name);

  std::string Read(const std::string& section, const std::string& key,
                   const std::string& default_value, std::uint32_t size,
                   const std::string& name = "test.ini");
  bool Write(const std::string& section, const std::string& key, const std::string& value,
             const std::string& name = "test.ini");

  std::unique_ptr<Platform> platform_;
  std::filesystem::path dir_;
};

}  // namespace zorvane::contract
