// The file, registry and profile contract suites against the real Windows functions
// (under Wine in the tests): the Win32 platform must keep the same contracts as the POSIX
// one.
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/tests/file_contract.h"
#include "platform/tests/profile_contract.h"
#include "platform/tests/registry_contract.h"
#include "platform/win32/windows_include.h"

namespace zorvane {
namespace {

std::unique_ptr<Platform> MakeWin32Platform() { return CreateDefaultPlatform(); }

// The Win32 platform in a folder of its own, with an ASCII name, under the temporary
// folder. The read-only bit is the file's attribute. Links need a right most accounts lack
// (or developer mode), and Wine 8 reports success without making one, so a link counts as
// made only once the system reports it.
contract::FileWorld Win32FileWorld() {
  contract::FileWorld world;
  world.platform = CreateDefaultPlatform();
  Platform* platform = world.platform.get();
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  std::filesystem::path dir;
  for (int i = 0;; ++i) {
    dir = base /
          ("zorvane-file-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(i));
    if (std::filesystem::create_directory(dir)) break;
  }
  world.scratch = dir.string();
  world.remove_scratch = [platform, dir] {
    platform->RemoveDirectoryTree(dir.string());  // clears read-only bits on the way
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  };
  world.make_read_only = [platform](const std::string& path) {
    return ::SetFileAttributesA(platform->ToAnsi(path).c_str(), FILE_ATTRIBUTE_READONLY) != FALSE;
  };
  world.make_link = [platform](const std::string& target, const std::string& link, bool folder) {
    const std::string ansi_link = platform->ToAnsi(link);
    ::CreateSymbolicLinkA(
        ansi_link.c_str(), platform->ToAnsi(target).c_str(),
        (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    const DWORD attributes = ::GetFileAttributesA(ansi_link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  };
  return world;
}

using contract::FileContractParam;
using contract::FileContractTest;
using contract::ProfileContractTest;
using contract::ProfilePlatform;
using testing::RegistryContractParam;
using testing::RegistryContractTest;

INSTANTIATE_TEST_SUITE_P(Win32, FileContractTest,
                         ::testing::Values(FileContractParam{"Win32", contract::kWindowsPaths,
                                                             &Win32FileWorld}),
                         contract::FileContractParamName);
INSTANTIATE_TEST_SUITE_P(Win32, ProfileContractTest,
                         ::testing::Values(ProfilePlatform{"Win32", &MakeWin32Platform}),
                         contract::ProfilePlatformName);
INSTANTIATE_TEST_SUITE_P(Win32, RegistryContractTest,
                         ::testing::Values(RegistryContractParam{"Win32", &MakeWin32Platform}),
                         testing::RegistryContractParamName);

}  // namespace
}  // namespace zorvane
