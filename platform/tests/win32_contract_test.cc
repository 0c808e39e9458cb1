// The registry and profile contract suites against the real Windows functions (under
// Wine in the tests): the Win32 platform must keep the same contract as the POSIX one.
#include <memory>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/tests/profile_contract.h"
#include "platform/tests/registry_contract.h"

namespace zorvane {
namespace {

std::unique_ptr<Platform> MakeWin32Platform() { return CreateDefaultPlatform(); }

using contract::ProfileContractTest;
using contract::ProfilePlatform;
using testing::RegistryContractParam;
using testing::RegistryContractTest;

INSTANTIATE_TEST_SUITE_P(Win32, ProfileContractTest,
                         ::testing::Values(ProfilePlatform{"Win32", &MakeWin32Platform}),
                         contract::ProfilePlatformName);
INSTANTIATE_TEST_SUITE_P(Win32, RegistryContractTest,
                         ::testing::Values(RegistryContractParam{"Win32", &MakeWin32Platform}),
                         testing::RegistryContractParamName);

}  // namespace
}  // namespace zorvane
