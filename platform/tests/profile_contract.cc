#include "platform/tests/profile_contract.h"

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace zorvane::contract {

std::string ProfilePlatformName(const ::testing::TestParamInfo<ProfilePlatform>& info) {
  return info.param.name;
}

void ProfileContractTest::SetUp() {
  platform_ = GetParam().create();
  ASSERT_NE(platform_, nullptr);
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  do {
    dir_ = base / ("zorvane-profile-" + std::to_string(random()));
  } while (!std::filesystem::create_directory(dir_));
  // A platform that keeps its files elsewhere (in memory) gets the folder too.
  if (platform_->GetFileAttributes(dir_.string()) == kInvalidFileAttributes) {
    ASSERT_TRUE(platform_->CreateDirectory(dir_.string()));
  }
}

void ProfileContractTest::TearDown() {
  std::error_code ignored;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

std::string ProfileContractTest::PathOf(const std::string& name) const {
  std::string path = dir_.string();
  path += platform_->PathSeparator();
  return path + name;
}

std::string ProfileContractTest::Bytes(const std::string& name) {
  std::string bytes;
  return platform_->ReadFile(PathOf(name), &bytes) == FileRead::kRead ? bytes : "<missing>";
}

void ProfileContractTest::Put(const std::string& name, const std::string& bytes) {
  ASSERT_TRUE(platform_->WriteFileAtomic(PathOf(name), bytes));
}

bool ProfileContractTest::Exists(const std::string& name) {
  return platform_->GetFileAttributes(PathOf(name)) != kInvalidFileAttributes;
}

std::string ProfileContractTest::Read(const std::string& section, const std::string& key,
                                      const std::string& default_value, std::uint32_t size,
                                      const std::string& name) {
  return platform_->GetPrivateProfileString(section, key, default_value, size, PathOf(name));
}

bool ProfileContractTest::Write(const std::string& section, const std::string& key,
                                const std::string& value, const std::string& name) {
  return platform_->WritePrivateProfileString(section, key, value, PathOf(name));
}

namespace {

// 日本語 in code page 932, and a value of 70 bytes.
const std::string kNihongoAnsi = "\x93\xFA\x96\x7B\x8C\xEA";
const std::string kAddress70 = "http://www.example.com/" + std::string(47, 'a');

TEST_P(ProfileContractTest, MissingFileGivesTheDefaultAndStaysMissing) {
  EXPECT_EQ(Read("RANK", "Some title", "3", 128, "none.ini"), "3");
  EXPECT_EQ(Read("ShortcutTitle", "http://a.example/", "", 128, "none.ini"), "");
  EXPECT_EQ(Read("InternetShortcut", "URL", "", 50, "none.url"), "");
  EXPECT_FALSE(Exists("none.ini"));
  EXPECT_FALSE(Exists("none.url"));
}

TEST_P(ProfileContractTest, MissingSectionOrKeyGivesTheDefault) {
  Put("test.ini", "[InternetShortcut]\r\nOther=x\r\n[Next]\r\nURL=elsewhere\r\n");
  const std::pair<const char*, const char*> lookups[] = {
      {"InternetShortcut", "URL"}, {"Missing", "Other"}, {"Next", "Other"}};
  for (const auto& [section, key] : lookups) {
    SCOPED_TRACE(std::string(section) + "/" + key);
    EXPECT_EQ(Read(section, key, "dflt", 128), "dflt");
  }
}

TEST_P(ProfileContractTest, SectionAndKeyNamesIgnoreCase) {
  const char* files[] = {
      "[InternetShortcut]\r\nURL=http://a.example/\r\n",
      "[internetshortcut]\r\nurl=http://a.example/\r\n",
      "[INTERNETSHORTCUT]\r\nUrl=http://a.example/\r\n",
  };
  for (const char* file : files) {
    SCOPED_TRACE(file);
    Put("test.ini", file);
    EXPECT_EQ(Read("InternetShortcut", "URL", "", 50), "http://a.example/");
    EXPECT_EQ(Read("internetSHORTCUT", "uRL", "", 50), "http://a.example/");
  }
}

TEST_P(ProfileContractTest, ValueIsCutToSizeMinusOneBytes) {
  Put("test.ini", "[InternetShortcut]\r\nURL=" + kAddress70 + "\r\n[S]\r\nk=val1\r\n");
  EXPECT_EQ(Read("InternetShortcut", "URL", "", 50), kAddress70.substr(0, 49));
  EXPECT_EQ(Read("InternetShortcut", "URL", "", 71), kAddress70);
  const std::pair<std::uint32_t, const char*> cuts[] = {{5, "val1"}, {4, "val"}, {1, ""}};
  for (const auto& [size, expected] : cuts) {
    SCOPED_TRACE(size);
    EXPECT_EQ(Read("S", "k", "", size), expected);
  }
  EXPECT_EQ(Read("S", "missing", "default", 4), "def");
}

TEST_P(ProfileContractTest, CutNeverSplitsADoubleByteCharacter) {
  Put("test.ini", "[S]\r\nk=" + kNihongoAnsi + "\r\nm=a" + kNihongoAnsi + "\r\n");
  const struct {
    const char* key;
    std::uint32_t size;
    const char* expected;
  } cuts[] = {
      {"k", 7, "日本語"}, {"k", 6, "日本"}, {"k", 5, "日本"}, {"k", 4, "日"},
      {"k", 3, "日"},     {"k", 2, ""},     {"m", 3, "a"},    {"m", 4, "a日"},
  };
  for (const auto& cut : cuts) {
    SCOPED_TRACE(std::string(cut.key) + " size " + std::to_string(cut.size));
    EXPECT_EQ(Read("S", cut.key, "", cut.size), cut.expected);
  }
}

TEST_P(ProfileContractTest, FirstWriteCreatesTheFileWithCrLf) {
  EXPECT_FALSE(Exists("new.ini"));
  EXPECT_TRUE(Write("RANK", "Title", "1", "new.ini"));
  EXPECT_EQ(Bytes("new.ini"), "[RANK]\r\nTitle=1\r\n");
  EXPECT_EQ(Read("RANK", "Title", "3", 128, "new.ini"), "1");
}

TEST_P(ProfileContractTest, SecondWriteReplacesTheValueOnItsOwnLine) {
  ASSERT_TRUE(Write("RANK", "Title", "1"));
  ASSERT_TRUE(Write("RANK", "Other", "2"));
  ASSERT_TRUE(Write("rank", "TITLE", "10"));
  EXPECT_EQ(Bytes("test.ini"), "[RANK]\r\nTitle=10\r\nOther=2\r\n");
  EXPECT_EQ(Read("RANK", "title", "3", 128), "10");
}

TEST_P(ProfileContractTest, NewKeyGoesAtTheEndOfItsSection) {
  Put("test.ini", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
  ASSERT_TRUE(Write("a", "z", "3"));
  EXPECT_EQ(Bytes("test.ini"), "[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2\r\n");
}

TEST_P(ProfileContractTest, NewSectionGoesAtTheEndOfTheFile) {
  Put("test.ini", "[A]\r\nx=1\r\n");
  ASSERT_TRUE(Write("B", "k", "v"));
  EXPECT_EQ(Bytes("test.ini"), "[A]\r\nx=1\r\n[B]\r\nk=v\r\n");
}

TEST_P(ProfileContractTest, TextTravelsInCodePage932) {
  ASSERT_TRUE(Write("ShortcutTitle", "http://日本.example/", "日本語"));
  EXPECT_EQ(Bytes("test.ini"),
            "[ShortcutTitle]\r\nhttp://\x93\xFA\x96\x7B.example/=" + kNihongoAnsi + "\r\n");
  EXPECT_EQ(Read("ShortcutTitle", "http://日本.example/", "", 128), "日本語");
}

TEST_P(ProfileContractTest, BatchWriteLeavesWhatSingleWritesLeave) {
  const std::string start = "[RANK]\r\nb=9\r\n[ShortcutTitle]\r\nu=t\r\n";
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"a", "1"}, {"B", "2"}, {"c", "3"}, {"a", "4"}};
  Put("single.ini", start);
  Put("batch.ini", start);
  for (const auto& [key, value] : entries) ASSERT_TRUE(Write("RANK", key, value, "single.ini"));
  ASSERT_TRUE(platform_->WritePrivateProfileStrings("RANK", entries, PathOf("batch.ini")));
  EXPECT_EQ(Bytes("batch.ini"), Bytes("single.ini"));
  EXPECT_EQ(Read("RANK", "a", "", 128, "batch.ini"), "4");
}

TEST_P(ProfileContractTest, WriteIntoAMissingFolderFails) {
  std::string path = "missing";
  path += platform_->PathSeparator();
  EXPECT_FALSE(Write("RANK", "Title", "1", path + "test.ini"));
  EXPECT_FALSE(Exists("missing"));
}

}  // namespace
}  // namespace zorvane::contract
