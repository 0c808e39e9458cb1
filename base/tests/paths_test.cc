#include "base/paths.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/program_location.h"

namespace zorvane::paths {
namespace {

TEST(PathsTest, InsertsSeparatorUnlessPresent) {
  EXPECT_EQ(JoinEnsuringSeparator("C:\\Program", "url.dat", '\\'), "C:\\Program\\url.dat");
  EXPECT_EQ(JoinEnsuringSeparator("C:\\", "url.dat", '\\'), "C:\\url.dat");
  EXPECT_EQ(JoinEnsuringSeparator("/opt/zorvane", "url.dat", '/'), "/opt/zorvane/url.dat");
  EXPECT_EQ(JoinEnsuringSeparator("/", "url.dat", '/'), "/url.dat");
}

TEST(PathsTest, AlwaysJoinDoublesATrailingSeparator) {
  EXPECT_EQ(JoinAlways("C:\\Favorites\\", "a.url", '\\'), "C:\\Favorites\\\\a.url");
  EXPECT_EQ(JoinAlways("/fav", "a.url", '/'), "/fav/a.url");
}

std::string Repeat(const std::string& s, std::size_t n) {
  std::string out;
  while (n-- > 0) out += s;
  return out;
}

TEST(PathsTest, NamesFitUnderEachSystemsLengthRule) {
  const std::string folder(230, 'f');
  const struct {
    std::string parent, name;
    bool is_folder, windows, posix;
  } cases[] = {
      {"C:", std::string(251, 'a') + ".url", false, true, true},
      {"C:", std::string(252, 'a') + ".url", false, false, false},
      // Both count bytes too (Wine keeps Windows names in a Linux file system): 85
      // characters of three bytes are 255; Windows also counts characters.
      {"C:", Repeat("日", 85), false, true, true},
      {"C:", Repeat("日", 86), false, false, false},
      {"C:", Repeat("\xF0\x9F\x98\x80", 63) + "ab", false, true, true},
      {"C:", Repeat("\xF0\x9F\x98\x80", 127), false, false, false},
      // A whole Windows path: 259 characters for a file, 247 for a folder.
      {folder, std::string(28, 'a'), false, true, true},
      {folder, std::string(29, 'a'), false, false, true},
      {folder, std::string(16, 'a'), true, true, true},
      {folder, std::string(17, 'a'), true, false, true},
      // A character beyond the basic plane is two units of a Windows path.
      {folder, std::string(15, 'a') + "日", true, true, true},
      {folder, std::string(15, 'a') + "\xF0\x9F\x98\x80", true, false, true},
      // A POSIX path stays below 4096 bytes.
      {std::string(4000, 'p'), std::string(94, 'n'), false, false, true},
      {std::string(4000, 'p'), std::string(95, 'n'), false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.name.size()) + " bytes in " + std::to_string(c.parent.size()));
    EXPECT_EQ(WindowsNameFits(c.parent, c.name, c.is_folder), c.windows);
    EXPECT_EQ(PosixNameFits(c.parent, c.name, 255), c.posix);
  }
}

// The Windows build's copy in the folder the installer recorded keeps its files in
// %APPDATA%\Zorvane; every other copy keeps them beside itself.
TEST(WindowsProgramLocationTest, TheInstalledCopyKeepsItsFilesInTheApplicationDataFolder) {
  const std::string local = "C:\\Users\\me\\AppData\\Local\\Programs\\Zorvane";
  const std::string roaming = "C:\\Users\\me\\AppData\\Roaming";
  const struct {
    std::string folder, install_dir, app_data;
    bool installed;
    std::string data_directory;
  } cases[] = {
      // What Windows Installer writes ends in a backslash; case does not count.
      {local, local + "\\", roaming, true, roaming + "\\Zorvane"},
      {"c:\\users\\ME\\appdata\\local\\programs\\zorvane\\", local, roaming + "\\", true,
       roaming + "\\Zorvane"},
      {"C:\\データ\\Zorvane", "c:\\データ\\zorvane", roaming, true, roaming + "\\Zorvane"},
      // A portable copy: no value, another folder, a folder inside or around it.
      {"D:\\Tools\\Zorvane", "", roaming, false, "D:\\Tools\\Zorvane"},
      {"D:\\Tools\\Zorvane\\", local, roaming, false, "D:\\Tools\\Zorvane"},
      {local + "\\old", local, roaming, false, local + "\\old"},
      {"C:\\Users\\me\\AppData\\Local\\Programs", local, roaming, false,
       "C:\\Users\\me\\AppData\\Local\\Programs"},
      {"C:", "", roaming, false, "C:"},
      // Installed, but no %APPDATA%: beside itself after all.
      {local, local, "", true, local},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder + " / " + c.install_dir);
    const win32::ProgramLocation location =
        win32::LocateProgramFiles(c.folder, c.install_dir, c.app_data);
    EXPECT_EQ(location.installed, c.installed);
    EXPECT_EQ(location.data_directory, c.data_directory);
  }
}

}  // namespace
}  // namespace zorvane::paths
