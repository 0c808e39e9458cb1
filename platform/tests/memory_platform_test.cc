// The memory platform answers the file operations as the POSIX platform does: the same
// steps on both, in a temporary folder and at the same path in memory, give the same
// results. Its registry and profile files run the contract suites.
#include "platform/memory/memory_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace zorvane {
namespace {

namespace fs = std::filesystem;

// One platform's answer to a step, as text.
using Step = std::function<std::string(Platform&, const std::string& dir)>;

std::string Read(Platform& p, const std::string& path) {
  std::string bytes;
  switch (p.ReadFile(path, &bytes)) {
    case FileRead::kRead:
      return "read " + bytes;
    case FileRead::kMissing:
      return "missing";
    case FileRead::kFailed:
      return "failed";
  }
  return {};
}

std::string List(Platform& p, const std::string& dir) {
  std::vector<DirEntry> entries;
  if (!p.ListDirectory(dir, &entries)) return "unlistable";
  std::string names;
  for (const DirEntry& entry : entries) {
    names += entry.name + ((entry.attributes & kFileAttributeDirectory) != 0 ? "/ " : " ");
  }
  return names;
}

std::string Yes(bool ok) { return ok ? "true" : "false"; }

TEST(MemoryPlatformTest, FileOperationsAnswerAsOnDisk) {
  const std::vector<Step> steps = {
      [](Platform& p, const std::string& d) { return Yes(p.CreateDirectory(d + "/b")); },
      [](Platform& p, const std::string& d) { return Yes(p.CreateDirectory(d + "/b")); },
      [](Platform& p, const std::string& d) { return Yes(p.CreateDirectory(d + "/x/y")); },
      [](Platform& p, const std::string& d) { return Yes(p.WriteFileAtomic(d + "/A.url", "1")); },
      [](Platform& p, const std::string& d) { return Yes(p.WriteFileAtomic(d + "/A.url", "2")); },
      [](Platform& p, const std::string& d) { return Yes(p.WriteFileAtomic(d + "/b", "x")); },
      [](Platform& p, const std::string& d) { return Yes(p.WriteFileAtomic(d + "/n/f", "x")); },
      [](Platform& p, const std::string& d) { return Yes(p.WriteNewFile(d + "/b/c", "new")); },
      [](Platform& p, const std::string& d) { return Yes(p.WriteNewFile(d + "/b/c", "again")); },
      [](Platform& p, const std::string& d) { return Read(p, d + "/A.url"); },
      [](Platform& p, const std::string& d) { return Read(p, d + "/b/c"); },
      [](Platform& p, const std::string& d) { return Read(p, d + "/none"); },
      [](Platform& p, const std::string& d) { return Read(p, d + "/none/f"); },
      [](Platform& p, const std::string& d) { return Read(p, d + "/b"); },
      [](Platform& p, const std::string& d) { return List(p, d); },
      [](Platform& p, const std::string& d) { return List(p, d + "/none"); },
      [](Platform& p, const std::string& d) {
        return std::to_string(p.GetFileAttributes(d + "/b"));
      },
      [](Platform& p, const std::string& d) {
        return std::to_string(p.GetFileAttributes(d + "/none"));
      },
      [](Platform& p, const std::string& d) { return Yes(p.CreateDirectory(d + "/t")); },
      [](Platform& p, const std::string& d) { return Yes(p.WriteNewFile(d + "/t/old", "o")); },
      [](Platform& p, const std::string& d) { return Yes(p.ReplaceDirectory(d + "/b", d + "/t")); },
      [](Platform& p, const std::string& d) { return List(p, d) + "| " + List(p, d + "/t"); },
      [](Platform& p, const std::string& d) { return Yes(p.ReplaceDirectory(d + "/b", d + "/t")); },
      [](Platform& p, const std::string& d) {
        return Yes(p.ReplaceDirectory(d + "/t", d + "/new"));
      },
      [](Platform& p, const std::string& d) { return Yes(p.RemoveDirectoryTree(d + "/new")); },
      [](Platform& p, const std::string& d) { return Yes(p.RemoveDirectoryTree(d + "/new")); },
      [](Platform& p, const std::string& d) { return List(p, d); },
      [](Platform& p, const std::string& d) { return Yes(p.CopyNewFile(d + "/A.url", d + "/C")); },
      [](Platform& p, const std::string& d) { return Yes(p.CopyNewFile(d + "/A.url", d + "/C")); },
      [](Platform& p, const std::string& d) { return Yes(p.CopyNewFile(d + "/no", d + "/D")); },
      [](Platform& p, const std::string& d) { return Read(p, d + "/C") + " " + List(p, d); },
      // Locks: shared ones go together, an exclusive one alone; a missing lock file is
      // made only when asked for; a lock goes with its object.
      [](Platform& p, const std::string& d) {
        std::string answers;
        std::unique_ptr<Platform::FileLock> a, b, c;
        const auto lock = [&](Platform::LockMode mode, bool create,
                              std::unique_ptr<Platform::FileLock>* into) {
          answers += std::to_string(static_cast<int>(p.TryLockFile(d + "/L", mode, create, into)));
        };
        lock(Platform::LockMode::kShared, false, &a);
        lock(Platform::LockMode::kShared, true, &a);
        lock(Platform::LockMode::kShared, false, &b);
        lock(Platform::LockMode::kExclusive, false, &c);
        a.reset();
        b.reset();
        lock(Platform::LockMode::kExclusive, false, &c);
        lock(Platform::LockMode::kShared, false, &a);
        c.reset();
        lock(Platform::LockMode::kShared, false, &a);
        return answers + " " + List(p, d);
      },
  };

  std::random_device random;
  fs::path dir;
  do {
    dir = fs::temp_directory_path() / ("zorvane-memory-" + std::to_string(random()));
  } while (!fs::create_directory(dir));
  const std::unique_ptr<Platform> disk = CreateDefaultPlatform();
  MemoryPlatform memory;
  memory.AddFolder(dir.string());
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE("step " + std::to_string(i));
    EXPECT_EQ(steps[i](memory, dir.string()), steps[i](*disk, dir.string()));
  }
  fs::remove_all(dir);
}

TEST(MemoryPlatformTest, TheWindowsRuleComparesNamesWithoutCase) {
  MemoryPlatform memory(MemoryPlatform::WindowsOptions());
  memory.AddFile("C:\\Fav\\News\\A.url", "a");
  EXPECT_EQ(memory.FileBytes("c:\\FAV\\news\\a.URL"), "a");
  EXPECT_FALSE(memory.CreateDirectory("C:\\fav"));
  EXPECT_EQ(List(memory, "C:\\FAV"), "News/ ");
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
