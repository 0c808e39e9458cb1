// The memory platform keeps the file contract with either path rule, as the POSIX and
// Win32 platforms do; its registry and profile files run those contract suites. What is
// left here is its own: names of the test world and the environment under the Windows
// rule, and the character sets it borrows.
#include "platform/memory/memory_platform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "platform/tests/file_contract.h"

namespace zorvane {
namespace {

using contract::FileContractTest;

// A memory platform with `options` and the folder `scratch`; the world goes with the
// platform. It marks files read-only for every process.
contract::FileWorld MemoryFileWorld(MemoryPlatform::Options options, const std::string& scratch) {
  auto memory = std::make_unique<MemoryPlatform>(std::move(options));
  MemoryPlatform* world_of_files = memory.get();
  world_of_files->AddFolder(scratch);
  contract::FileWorld world;
  world.platform = std::move(memory);
  world.scratch = scratch;
  world.make_read_only = [world_of_files](const std::string& path) {
    world_of_files->SetAttributes(path,
                                  world_of_files->GetFileAttributes(path) | kFileAttributeReadOnly);
    return true;
  };
  return world;
}

INSTANTIATE_TEST_SUITE_P(
    Memory, FileContractTest,
    ::testing::Values(
        contract::FileContractParam{
            "MemoryPosix", contract::kPosixPaths,
            [] { return MemoryFileWorld(MemoryPlatform::Options(), "/scratch"); }},
        contract::FileContractParam{
            "MemoryWindows", contract::kWindowsPaths,
            [] { return MemoryFileWorld(MemoryPlatform::WindowsOptions(), "C:\\Scratch"); }}),
    contract::FileContractParamName);

TEST(MemoryPlatformTest, TheWindowsRuleComparesNamesWithoutCase) {
  MemoryPlatform memory(MemoryPlatform::WindowsOptions());
  memory.AddFile("C:\\Fav\\News\\A.url", "a");
  EXPECT_EQ(memory.FileBytes("c:\\FAV\\news\\a.URL"), "a");
  memory.SetEnvironmentVariable("UserProfile", "C:\\Users\\u");
  EXPECT_EQ(memory.ExpandEnvironmentStrings("%USERPROFILE%\\Favorites"), "C:\\Users\\u\\Favorites");
}

// Its base, a NullPlatform, knows only the Unicode forms; the sets HTML files declare
// come from the POSIX platform's conversions.
TEST(MemoryPlatformTest, DecodesTheCharacterSetsOfThePosixPlatform) {
  MemoryPlatform memory;
  std::string utf8;
  EXPECT_TRUE(memory.DecodeText("Shift_JIS", "\x95\x5C", &utf8));
  EXPECT_EQ(utf8, "表");
}

}  // namespace
}  // namespace zorvane
