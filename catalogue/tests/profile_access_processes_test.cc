// Two processes writing one settings file at the same time lose none of each other's
// entries: every write is a read-modify-replace under the platform's writer lock.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "catalogue/profile_access.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;

constexpr int kWriters = 2;
constexpr int kWritesEach = 200;

std::string KeyOf(int writer, int n) {
  return "w" + std::to_string(writer) + "-" + std::to_string(n);
}

TEST(ProfileAccessProcessesTest, ConcurrentWritersLoseNothing) {
  std::random_device random;
  fs::path dir;
  do {
    dir = fs::temp_directory_path() / ("zorvane-writers-" + std::to_string(random()));
  } while (!fs::create_directory(dir));

  pid_t children[kWriters];
  for (int writer = 0; writer < kWriters; ++writer) {
    children[writer] = ::fork();
    ASSERT_GE(children[writer], 0);
    if (children[writer] == 0) {
      // The child: its own platform, one entry per write, exit status 1 on any failure.
      std::unique_ptr<Platform> platform = CreateDefaultPlatform();
      const ProgramFiles files{platform.get(), dir.string()};
      bool all_written = true;
      for (int n = 0; n < kWritesEach; ++n) {
        all_written &= WriteSetting(files, "RANK", KeyOf(writer, n), std::to_string(n));
      }
      ::_exit(all_written ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  std::unique_ptr<Platform> platform = CreateDefaultPlatform();
  const ProgramFiles files{platform.get(), dir.string()};
  int missing = 0;
  for (int writer = 0; writer < kWriters; ++writer) {
    for (int n = 0; n < kWritesEach; ++n) {
      if (ReadSetting(files, "RANK", KeyOf(writer, n), "<lost>") != std::to_string(n)) ++missing;
    }
  }
  EXPECT_EQ(missing, 0);
  std::string bytes;
  ASSERT_EQ(platform->ReadFile(SettingsFilePath(files, true), &bytes), FileRead::kRead);
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 1 + kWriters * kWritesEach);

  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

}  // namespace
}  // namespace zorvane
