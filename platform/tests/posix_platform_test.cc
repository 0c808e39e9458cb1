// The POSIX platform: the file and profile contracts, then what only this platform decides
// (permission bits and leftovers of atomic replacement, profile files through links and
// locks, environment references, starting programs, the program's own location).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/memory/memory_platform.h"
#include "platform/platform.h"
#include "platform/posix/program_location.h"
#include "platform/tests/file_contract.h"
#include "platform/tests/profile_contract.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;
using contract::FileContractTest;
using contract::ProfileContractTest;

INSTANTIATE_TEST_SUITE_P(
    Posix, ProfileContractTest,
    ::testing::Values(contract::ProfilePlatform{"Posix", [] { return CreateDefaultPlatform(); }},
                      contract::ProfilePlatform{"Memory",
                                                [] {
                                                  auto memory = std::make_unique<MemoryPlatform>();
                                                  memory->AddFolder(
                                                      std::filesystem::temp_directory_path());
                                                  return memory;
                                                }}),
    contract::ProfilePlatformName);

// The POSIX platform in a folder of its own under the temporary folder. Taking the write
// permission away makes a file read-only for anyone but root.
contract::FileWorld PosixFileWorld() {
  contract::FileWorld world;
  world.platform = CreateDefaultPlatform();
  std::random_device random;
  fs::path dir;
  do {
    dir = fs::temp_directory_path() / ("zorvane-file-" + std::to_string(random()));
  } while (!fs::create_directory(dir));
  world.scratch = dir.string();
  world.remove_scratch = [dir] {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  };
  world.make_read_only = [](const std::string& path) {
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
  };
  world.make_link = [](const std::string& target, const std::string& link, bool folder) {
    std::error_code error;
    if (folder) {
      fs::create_directory_symlink(target, link, error);
    } else {
      fs::create_symlink(target, link, error);
    }
    return !error;
  };
  return world;
}

INSTANTIATE_TEST_SUITE_P(Posix, FileContractTest,
                         ::testing::Values(contract::FileContractParam{
                             "Posix", contract::kPosixPaths, &PosixFileWorld}),
                         contract::FileContractParamName);

// Sets or unsets an environment variable for one test.
class ScopedVariable final {
 public:
  ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (old_) {
      ::setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

class PosixPlatformTest : public ::testing::Test {
 protected:
  PosixPlatformTest() : platform_(CreateDefaultPlatform()) {
    std::random_device random;
    do {
      dir_ = fs::temp_directory_path() / ("zorvane-posix-" + std::to_string(random()));
    } while (!fs::create_directory(dir_));
  }
  ~PosixPlatformTest() override {
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const {
    std::string bytes;
    return platform_->ReadFile(Path(name), &bytes) == FileRead::kRead ? bytes : "<missing>";
  }
  // Every name in the test folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<Platform> platform_;
  fs::path dir_;
};

bool RunningAsRoot() { return ::geteuid() == 0; }

// A profile write locks "<name>.lock" beside its file: a name that nearly fills the file
// system's limit (a long title added to Favorites) can still be written while that fits.
TEST_F(PosixPlatformTest, ProfileWritesReachNamesNearlyAsLongAsAllowed) {
  const std::string name = std::string(246, 'n') + ".url";  // its lock file just fits
  Put(name, "bytes");
  ASSERT_TRUE(platform_->WritePrivateProfileString("A", "k", "v", Path(name)));
  EXPECT_EQ(Get(name), "bytes\r\n[A]\r\nk=v\r\n");
}

TEST_F(PosixPlatformTest, WriteFileAtomicKeepsPermissions) {
  Put("target", "old");
  fs::permissions(dir_ / "target",
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(platform_->WriteFileAtomic(Path("target"), "new"));
  EXPECT_EQ(Get("target"), "new");
  EXPECT_EQ(fs::status(dir_ / "target").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(PosixPlatformTest, ReadOnlyProfileFileIsNotWritten) {
  if (RunningAsRoot()) GTEST_SKIP() << "every file is writable for root";
  Put("locked.ini", "[A]\r\nk=old\r\n");
  fs::permissions(dir_ / "locked.ini", fs::perms::owner_read);
  EXPECT_FALSE(platform_->WritePrivateProfileString("A", "k", "new", Path("locked.ini")));
  EXPECT_EQ(Get("locked.ini"), "[A]\r\nk=old\r\n");
}

// The id of a process that has ended.
pid_t EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

// A writer killed between writing its temporary file and renaming it leaves the file;
// the next replacement of a file in the same folder removes it, and only it.
TEST_F(PosixPlatformTest, ReplacingAFileRemovesTemporaryFilesOfKilledWriters) {
  const std::string dead = std::to_string(EndedProcess());
  const std::string live = std::to_string(::getppid());
  Put(".zorvane-tmp-" + dead + "-0", "half");
  Put(".zorvane-tmp-" + dead + "-17", "half");
  Put(".zorvane-tmp-" + live + "-0", "being written");
  Put(".zorvane-tmp-x-0", "not ours");
  Put(".url.dat.tmp-" + dead + "-0", "not ours either");
  Put("url.dat", "old");
  ASSERT_TRUE(platform_->WriteFileAtomic(Path("url.dat"), "new"));
  EXPECT_EQ(Names(),
            (std::vector<std::string>{".url.dat.tmp-" + dead + "-0", ".zorvane-tmp-" + live + "-0",
                                      ".zorvane-tmp-x-0", "url.dat"}));
}

TEST_F(PosixPlatformTest, ProfileWritesRefuseLineBreaks) {
  Put("s.ini", "[A]\r\nk=old\r\n");
  EXPECT_FALSE(platform_->WritePrivateProfileString("A", "k", "x\r\n[B]\r\ny=1", Path("s.ini")));
  EXPECT_FALSE(platform_->WritePrivateProfileString("A", "k\n", "x", Path("s.ini")));
  EXPECT_EQ(Get("s.ini"), "[A]\r\nk=old\r\n");
  // A batch sets what it can, as one write per entry would, and says it fell short.
  EXPECT_FALSE(
      platform_->WritePrivateProfileStrings("A", {{"k", "1"}, {"j", "\n"}}, Path("s.ini")));
  EXPECT_EQ(Get("s.ini"), "[A]\r\nk=1\r\n");
  EXPECT_FALSE(platform_->WritePrivateProfileStrings("A", {{"[k", "1"}}, Path("new.ini")));
  EXPECT_EQ(Get("new.ini"), "<missing>");
}

TEST_F(PosixPlatformTest, ProfileArgumentsEndAtTheirFirstNul) {
  ASSERT_TRUE(platform_->WritePrivateProfileString("A", std::string("k\0x", 3),
                                                   std::string("v\0w", 3), Path("s.ini")));
  EXPECT_EQ(Get("s.ini"), "[A]\r\nk=v\r\n");
  EXPECT_EQ(platform_->GetPrivateProfileString(std::string("A\0B", 3), "k", "", 10, Path("s.ini")),
            "v");
}

TEST_F(PosixPlatformTest, ProfileWriteGoesThroughALinkAndKeepsPermissions) {
  Put("real.ini", "[A]\r\nk=old\r\n");
  fs::permissions(dir_ / "real.ini", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(dir_ / "real.ini", dir_ / "zorvane.ini");
  ASSERT_TRUE(platform_->WritePrivateProfileString("A", "k", "new", Path("zorvane.ini")));
  EXPECT_TRUE(fs::is_symlink(dir_ / "zorvane.ini"));
  EXPECT_EQ(Get("real.ini"), "[A]\r\nk=new\r\n");
  EXPECT_EQ(fs::status(dir_ / "real.ini").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(PosixPlatformTest, ProfileReadsAndWritesOfAFolderFail) {
  fs::create_directory(dir_ / "folder.ini");
  EXPECT_EQ(platform_->GetPrivateProfileString("A", "k", "d", 10, Path("folder.ini")), "d");
  EXPECT_FALSE(platform_->WritePrivateProfileString("A", "k", "v", Path("folder.ini")));
  EXPECT_TRUE(fs::is_directory(dir_ / "folder.ini"));
}

// Reads of one file are answered from what was read before only while the file is the
// same and unchanged; whoever changes it, every read sees the change.
TEST_F(PosixPlatformTest, RepeatedProfileReadsSeeEveryChange) {
  const auto read = [&](const std::string& key) {
    return platform_->GetPrivateProfileString("A", key, "none", 128, Path("s.ini"));
  };
  Put("s.ini", "[A]\r\nk=1\r\nj=2\r\n");
  for (int i = 0; i < 3; ++i) {  // the first read, then reads of the parsed file
    SCOPED_TRACE(i);
    EXPECT_EQ(read("k"), "1");
    EXPECT_EQ(read("J"), "2");
    EXPECT_EQ(read("x"), "none");
  }
  // Replaced by another writer with a file of the same size.
  Put("new.ini", "[A]\r\nk=3\r\nj=4\r\n");
  fs::rename(dir_ / "new.ini", dir_ / "s.ini");
  EXPECT_EQ(read("k"), "3");
  EXPECT_EQ(read("j"), "4");
  // Rewritten in place with the same size: its modification time tells (set here, as
  // a clock tick may be coarser than the two writes are apart).
  struct stat before;
  ASSERT_EQ(::stat(Path("s.ini").c_str(), &before), 0);
  Put("s.ini", "[A]\r\nk=5\r\nj=6\r\n");
  timespec times[2] = {before.st_atim, before.st_mtim};
  times[1].tv_sec -= 10;
  ASSERT_EQ(::utimensat(AT_FDCWD, Path("s.ini").c_str(), times, 0), 0);
  EXPECT_EQ(read("k"), "5");
  // Written through the platform.
  ASSERT_TRUE(platform_->WritePrivateProfileString("A", "k", "7", Path("s.ini")));
  EXPECT_EQ(read("k"), "7");
  EXPECT_TRUE(platform_->WriteFileAtomic(Path("s.ini"), "[A]\r\nk=8\r\nj=9\r\n"));
  EXPECT_EQ(read("k"), "8");
  // Another file in between, then gone.
  Put("t.ini", "[A]\r\nk=t\r\n");
  EXPECT_EQ(platform_->GetPrivateProfileString("A", "k", "", 128, Path("t.ini")), "t");
  EXPECT_EQ(read("j"), "9");
  fs::remove(dir_ / "s.ini");
  EXPECT_EQ(read("k"), "none");
}

TEST_F(PosixPlatformTest, ExpandsEnvironmentReferences) {
  ScopedVariable alpha("ZORVANE_TEST_ALPHA", "alpha");
  ScopedVariable missing("ZORVANE_TEST_MISSING", std::nullopt);
  ScopedVariable home("HOME", "/home/someone");
  ScopedVariable profile("USERPROFILE", std::nullopt);
  const std::pair<const char*, const char*> cases[] = {
      {"%ZORVANE_TEST_ALPHA%", "alpha"},
      {"x%ZORVANE_TEST_ALPHA%y%ZORVANE_TEST_ALPHA%", "xalphayalpha"},
      {"%zorvane_test_alpha%", "alpha"},
      {"%ZORVANE_TEST_MISSING%\\x", "%ZORVANE_TEST_MISSING%\\x"},
      {"%ZORVANE_TEST_MISSING%ZORVANE_TEST_ALPHA%", "%ZORVANE_TEST_MISSING%ZORVANE_TEST_ALPHA%"},
      {"%USERPROFILE%\\Favorites", "/home/someone\\Favorites"},
      {"100%", "100%"},
      {"%%", "%%"},
      {"a%b", "a%b"},
      {"", ""},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(platform_->ExpandEnvironmentStrings(in), out);
  }
  ScopedVariable own_profile("USERPROFILE", "/profile");
  EXPECT_EQ(platform_->ExpandEnvironmentStrings("%USERPROFILE%"), "/profile");
}

TEST_F(PosixPlatformTest, ConvertsToAndFromCodePage932) {
  EXPECT_EQ(platform_->ToAnsi("日本 é"), "\x93\xFA\x96\x7B ?");
  EXPECT_EQ(platform_->FromAnsi("\x93\xFA\x96\x7B"), "日本");
}

TEST_F(PosixPlatformTest, StartProgramRunsOnePathWithoutSplittingIt) {
  EXPECT_TRUE(platform_->StartProgram("/bin/true"));
  EXPECT_TRUE(platform_->StartProgram("  \"/bin/true\" "));
  EXPECT_FALSE(platform_->StartProgram("/bin/true --version"));
  EXPECT_FALSE(platform_->StartProgram("/bin/sh -c true"));
  EXPECT_FALSE(platform_->StartProgram(Path("missing")));
  EXPECT_FALSE(platform_->StartProgram(""));
}

TEST_F(PosixPlatformTest, ShellOpenHandsMailToXdgEmailAndTheRestToXdgOpen) {
  const auto make_tool = [this](const std::string& folder, const std::string& name) {
    fs::create_directories(dir_ / folder);
    Put(folder + "/" + name, "#!/bin/sh\nexit 0\n");
    fs::permissions(dir_ / folder / name, fs::perms::owner_all);
  };
  make_tool("email-only", "xdg-email");
  make_tool("open-only", "xdg-open");
  fs::create_directories(dir_ / "none");
  const struct {
    const char* path_folder;
    bool mail_taken;
    bool page_taken;
  } cases[] = {
      {"email-only", true, false},
      {"open-only", true, true},  // mail falls back to xdg-open
      {"none", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path_folder);
    ScopedVariable path("PATH", Path(c.path_folder));
    EXPECT_EQ(platform_->ShellOpen("open", "mailto:someone@example.com?subject=x"), c.mail_taken);
    EXPECT_EQ(platform_->ShellOpen("open", "https://example.com/"), c.page_taken);
  }
  ScopedVariable path("PATH", Path("open-only"));
  EXPECT_FALSE(platform_->ShellOpen("print", "https://example.com/"));
  EXPECT_FALSE(platform_->ShellOpen("open", ""));
}

TEST_F(PosixPlatformTest, ProgramDirectoryHoldsTheRunningProgram) {
  const std::string dir = platform_->ProgramDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.back(), '/');
  const std::uint32_t attributes = platform_->GetFileAttributes(dir + "/platform_posix_test");
  EXPECT_NE(attributes, kInvalidFileAttributes);
  EXPECT_EQ(attributes & kFileAttributeDirectory, 0u);
}

// Installed programs (in a prefix's bin folder) keep their files in the user's data
// folder and find readme.txt in the prefix's documentation; from a build tree both stay
// beside the program, as before.
TEST(ProgramLocationTest, InstalledProgramsKeepTheirFilesInTheUsersDataFolder) {
  struct Case {
    std::string folder;
    const char* zorvane_home;
    const char* xdg_data_home;
    bool installed;
    std::string data_directory;
    std::string readme;
  };
  const Case cases[] = {
      {"/src/zorvane/build/cli", nullptr, nullptr, false, "/src/zorvane/build/cli", "readme.txt"},
      {"/src/build/app/qt", "/z", "/x", false, "/src/build/app/qt", "readme.txt"},
      {"/usr/bin", nullptr, nullptr, true, "/home/me/.local/share/zorvane",
       "/usr/share/doc/zorvane/readme.txt"},
      {"/usr/bin", "", "", true, "/home/me/.local/share/zorvane",
       "/usr/share/doc/zorvane/readme.txt"},
      {"/opt/z/bin/", nullptr, "/data/", true, "/data/zorvane",
       "/opt/z/share/doc/zorvane/readme.txt"},
      {"/usr/local/bin", nullptr, "relative", true, "/home/me/.local/share/zorvane",
       "/usr/local/share/doc/zorvane/readme.txt"},
      {"/usr/bin", "/zh/", "/data", true, "/zh", "/usr/share/doc/zorvane/readme.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    const posix::ProgramLocation location =
        posix::LocateProgramFiles(c.folder, c.zorvane_home, c.xdg_data_home, "/home/me");
    EXPECT_EQ(location.installed, c.installed);
    EXPECT_EQ(location.data_directory, c.data_directory);
    EXPECT_EQ(location.readme, c.readme);
  }
}

// Without a value of the user's own: ~/Favorites when it exists, else Zorvane's own
// folder in the data folder; never anything new in the home's top level.
TEST(ProgramLocationTest, TheFavoritesFolderWithoutAValueOfTheUsersOwn) {
  EXPECT_EQ(posix::DefaultFavoritesFolder(nullptr, "/home/me/", true), "/home/me/Favorites");
  EXPECT_EQ(posix::DefaultFavoritesFolder("/data", "/home/me", true), "/home/me/Favorites");
  EXPECT_EQ(posix::DefaultFavoritesFolder(nullptr, "/home/me", false),
            "/home/me/.local/share/zorvane/Favorites");
  EXPECT_EQ(posix::DefaultFavoritesFolder("/data/", "/home/me", false), "/data/zorvane/Favorites");
  EXPECT_EQ(posix::DefaultFavoritesFolder("relative", "/home/me", false),
            "/home/me/.local/share/zorvane/Favorites");
  EXPECT_EQ(posix::DefaultFavoritesFolder(nullptr, "", false), "");
  EXPECT_EQ(posix::OwnFavoritesFolder(nullptr, "/home/me"),
            "/home/me/.local/share/zorvane/Favorites");
}

}  // namespace
}  // namespace zorvane
