#include "catalogue/profile_access.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/forwarding_platform.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;  // NUL bytes inside literals

// The real platform over a fresh program folder.
class ProfileAccessTest : public ::testing::Test {
 protected:
  ProfileAccessTest() : platform_(CreateDefaultPlatform()) {
    std::random_device random;
    do {
      dir_ = fs::temp_directory_path() / ("zorvane-access-" + std::to_string(random()));
    } while (!fs::create_directory(dir_));
  }
  ~ProfileAccessTest() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  ProgramFiles files() const { return {platform_.get(), dir_.string()}; }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  std::unique_ptr<Platform> platform_;
  fs::path dir_;
};

TEST(TrimNullTest, CutsAtTheFirstNul) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""}, {"abc", "abc"}, {"\0abc"s, ""}, {"ab\0c\0"s, "ab"}, {"日本\0語"s, "日本"}};
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(TrimNull(in), out);
  }
}

TEST_F(ProfileAccessTest, ReadIniStringReadsShortcutAddresses) {
  const std::string address70 = "http://www.example.com/" + std::string(47, 'p');
  Put("long.url", "[InternetShortcut]\r\nURL=" + address70 + "\r\n");
  Put("lower.url", "[internetshortcut]\r\nurl=http://a.example/\r\n");
  Put("other.url", "[Other]\r\nURL=http://b.example/\r\n");
  Put("nokey.url", "[InternetShortcut]\r\nIconIndex=0\r\n");
  const struct {
    const char* file;
    std::uint32_t size;
    std::string expected;
  } cases[] = {
      {"long.url", 50, address70.substr(0, 49)},
      {"long.url", 71, address70},
      {"lower.url", 50, "http://a.example/"},
      {"other.url", 50, ""},
      {"nokey.url", 50, ""},
      {"missing.url", 50, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(ReadIniString(*platform_, "InternetShortcut", "URL", c.size, Path(c.file)),
              c.expected);
  }
  EXPECT_FALSE(fs::exists(dir_ / "missing.url"));
}

TEST_F(ProfileAccessTest, ReadsWithoutASettingsFileGiveDefaultsAndCreateNothing) {
  EXPECT_EQ(ReadSetting(files(), "RANK", "Any title", "3"), "3");
  EXPECT_EQ(ReadSetting(files(), "ShortcutTitle", "http://a.example/", ""), "");
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(ProfileAccessTest, FirstWriteCreatesTheLowerCaseFileThatReadsReach) {
  EXPECT_TRUE(WriteSetting(files(), "RANK", "Title", "1"));
  EXPECT_EQ(Get("zorvane.ini"), "[RANK]\r\nTitle=1\r\n");
  EXPECT_FALSE(fs::exists(dir_ / "Zorvane.ini"));
  EXPECT_EQ(ReadSetting(files(), "RANK", "Title", "3"), "1");
}

TEST_F(ProfileAccessTest, SecondWriteReplacesTheValueOnOneLine) {
  ASSERT_TRUE(WriteSetting(files(), "ShortcutTitle", "http://a.example/", "Old"));
  ASSERT_TRUE(WriteSetting(files(), "ShortcutTitle", "http://a.example/", "New"));
  EXPECT_EQ(Get("zorvane.ini"), "[ShortcutTitle]\r\nhttp://a.example/=New\r\n");
  EXPECT_EQ(ReadSetting(files(), "ShortcutTitle", "http://a.example/", ""), "New");
}

TEST_F(ProfileAccessTest, ValuesReadBackAsAtMost127Bytes) {
  const std::string nichi = "日";  // two bytes in code page 932
  std::string japanese;
  for (int i = 0; i < 70; ++i) japanese += nichi;
  std::string first_63;
  for (int i = 0; i < 63; ++i) first_63 += nichi;
  const struct {
    const char* name;
    std::string written;
    std::string read;
  } cases[] = {
      {"127 bytes", std::string(127, 't'), std::string(127, 't')},
      {"200 bytes", std::string(200, 't'), std::string(127, 't')},
      {"double-byte at the end", "a" + japanese, "a" + first_63},
      {"cut before a double-byte character", "aa" + japanese, "aa" + first_63.substr(0, 62 * 3)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteSetting(files(), "ShortcutTitle", "k", c.written));
    EXPECT_EQ(ReadSetting(files(), "ShortcutTitle", "k", ""), c.read);
  }
  EXPECT_EQ(ReadSetting(files(), "RANK", "missing", std::string(130, 'd')), std::string(127, 'd'));
}

TEST_F(ProfileAccessTest, AddressesAndTitlesThatTheFormatBendsReadBack) {
  const std::pair<std::string, std::string> entries[] = {
      {"http://h.example/?a=1&b=2", "Query"},
      {"http://h.example/", "'Quoted'"},
      {"", "empty"},
      {"http://日本.example/", "  spaced  "},
  };
  for (const auto& [key, title] : entries)
    ASSERT_TRUE(WriteSetting(files(), "ShortcutTitle", key, title));
  for (const auto& [key, title] : entries) {
    SCOPED_TRACE(key);
    EXPECT_EQ(ReadSetting(files(), "ShortcutTitle", key, "<none>"), title);
  }
}

TEST_F(ProfileAccessTest, LineBreaksAreNeverWritten) {
  EXPECT_FALSE(WriteSetting(files(), "RANK", "Title", "1\r\n[ShortcutTitle]\r\nx=y"));
  EXPECT_FALSE(WriteSetting(files(), "RANK", "Ti\ntle", "1"));
  EXPECT_FALSE(WriteSetting(files(), "RA\rNK", "Title", "1"));
  EXPECT_FALSE(fs::exists(dir_ / "zorvane.ini"));

  EXPECT_FALSE(WriteSettings(files(), "RANK", {{"a", "1"}, {"b", "two\nlines"}, {"c", "3"}}));
  EXPECT_EQ(Get("zorvane.ini"), "[RANK]\r\na=1\r\nc=3\r\n");
}

TEST_F(ProfileAccessTest, WriteSettingsLeavesWhatOneWriteSettingPerEntryLeaves) {
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"b", "2"}, {"a", "1"}, {"B", "3"}, {"c", "4"}};
  Put("zorvane.ini", "[ShortcutTitle]\r\nu=t\r\n[RANK]\r\nc=0\r\n");
  for (const auto& [key, value] : entries) ASSERT_TRUE(WriteSetting(files(), "RANK", key, value));
  const std::string singles = Get("zorvane.ini");
  Put("zorvane.ini", "[ShortcutTitle]\r\nu=t\r\n[RANK]\r\nc=0\r\n");
  EXPECT_TRUE(WriteSettings(files(), "RANK", entries));
  EXPECT_EQ(Get("zorvane.ini"), singles);
  EXPECT_TRUE(WriteSettings(files(), "RANK", {}));
}

// Records the file and size of every profile call and can make writes fail; its rules
// for separators and case are the ones given, so Windows paths are tested here too.
class PathRecorder final : public ForwardingPlatform {
 public:
  PathRecorder(Platform* target, char separator, bool ignore_case)
      : ForwardingPlatform(target), separator_(separator), ignore_case_(ignore_case) {}

  std::string GetPrivateProfileString(const std::string&, const std::string&,
                                      const std::string& default_value, std::uint32_t size,
                                      const std::string& file) override {
    files.push_back(file);
    sizes.push_back(size);
    return default_value + "\0junk"s;  // what a buffer holds after its NUL
  }
  bool WritePrivateProfileString(const std::string&, const std::string&, const std::string&,
                                 const std::string& file) override {
    files.push_back(file);
    return !fail_writes;
  }
  bool WritePrivateProfileStrings(const std::string&,
                                  const std::vector<std::pair<std::string, std::string>>&,
                                  const std::string& file) override {
    files.push_back(file);
    return !fail_writes;
  }
  char PathSeparator() const override { return separator_; }
  bool FileNamesIgnoreCase() const override { return ignore_case_; }

  std::vector<std::string> files;
  std::vector<std::uint32_t> sizes;
  bool fail_writes = false;

 private:
  char separator_;
  bool ignore_case_;
};

TEST_F(ProfileAccessTest, SettingsPathFollowsThePlatformsRules) {
  const struct {
    const char* directory;
    char separator;
    bool ignore_case;
    const char* read_path;
    const char* write_path;
  } cases[] = {
      {"/opt/zorvane", '/', false, "/opt/zorvane/zorvane.ini", "/opt/zorvane/zorvane.ini"},
      {"/", '/', false, "/zorvane.ini", "/zorvane.ini"},
      {"C:\\Program Files\\Zorvane", '\\', true, "C:\\Program Files\\Zorvane\\Zorvane.ini",
       "C:\\Program Files\\Zorvane\\zorvane.ini"},
      {"C:\\", '\\', true, "C:\\Zorvane.ini", "C:\\zorvane.ini"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.directory);
    PathRecorder recorder(platform_.get(), c.separator, c.ignore_case);
    const ProgramFiles program{&recorder, c.directory};
    EXPECT_EQ(SettingsFilePath(program, false), c.read_path);
    EXPECT_EQ(SettingsFilePath(program, true), c.write_path);

    EXPECT_EQ(ReadSetting(program, "RANK", "t", "3"), "3");
    EXPECT_TRUE(WriteSetting(program, "RANK", "t", "1"));
    EXPECT_TRUE(WriteSettings(program, "RANK", {{"t", "1"}}));
    EXPECT_EQ(recorder.files, (std::vector<std::string>{c.read_path, c.write_path, c.write_path}));
    EXPECT_EQ(recorder.sizes, std::vector<std::uint32_t>{128});
  }
}

TEST_F(ProfileAccessTest, PlatformFailuresComeBackAsFalse) {
  PathRecorder recorder(platform_.get(), '/', false);
  recorder.fail_writes = true;
  const ProgramFiles program{&recorder, dir_.string()};
  EXPECT_FALSE(WriteSetting(program, "RANK", "t", "1"));
  EXPECT_FALSE(WriteSettings(program, "RANK", {{"t", "1"}}));

  // A program folder that is gone: the real platform cannot create the file.
  const ProgramFiles gone{platform_.get(), Path("gone")};
  EXPECT_FALSE(WriteSetting(gone, "RANK", "t", "1"));
  EXPECT_EQ(ReadSetting(gone, "RANK", "t", "3"), "3");
}

}  // namespace
}  // namespace zorvane
