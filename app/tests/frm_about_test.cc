#include "app/frm_about.h"

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/forwarding_platform.h"
#include "platform/memory/memory_platform.h"

namespace zorvane {
namespace {

// The memory platform, with a record of how the box asks the registry and the files.
class SysInfoPlatform final : public ForwardingPlatform {
 public:
  explicit SysInfoPlatform(MemoryPlatform::Options options = MemoryPlatform::WindowsOptions())
      : ForwardingPlatform(&memory_), memory_(std::move(options)) {}

  // Stores `data` (a string in its ANSI form) under HKEY_LOCAL_MACHINE\`key`.
  void SetValue(const std::string& key, const std::string& name, std::uint32_t type,
                const std::string& data) {
    ASSERT_TRUE(memory_.SetRegistryValue(kHkeyLocalMachine, key, name, type, data));
  }
  void AddKey(const std::string& key) {
    ASSERT_TRUE(memory_.AddRegistryKey(kHkeyLocalMachine, key));
  }
  MemoryPlatform& memory() { return memory_; }

  long RegOpenKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                  RegHandle* key) override {
    opened_keys.push_back(sub_key);
    if (root != kHkeyLocalMachine || access != 0x2003F) saw_other_root_or_access = true;
    return memory_.RegOpenKey(root, sub_key, access, key);
  }
  std::uint32_t GetFileAttributes(const std::string& path) override {
    attribute_queries.push_back(path);
    return memory_.GetFileAttributes(path);
  }

  std::vector<std::string> opened_keys;
  std::vector<std::string> attribute_queries;
  bool saw_other_root_or_access = false;

 private:
  MemoryPlatform memory_;
};

class RecordingAboutView final : public FrmAboutView {
 public:
  void Refresh(const FrmAboutState& state) override {
    last_state = state;
    ++refreshes;
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void CloseAboutBox() override { ++closes; }

  FrmAboutState last_state;
  int refreshes = 0;
  std::vector<std::string> messages;
  int closes = 0;
};

constexpr char kPathKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr char kFolderKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location";

std::string Dword(std::uint32_t n) {
  return std::string{static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                     static_cast<char>((n >> 16) & 0xFF), static_cast<char>(n >> 24)};
}

TEST(FrmAboutTest, LoadSetsCaptionTitleAndVersion) {
  SysInfoPlatform platform;
  RecordingAboutView view;
  frmAbout about(platform, view);
  about.Form_Load();
  EXPECT_EQ(view.last_state.caption, "Zorvaneのﾊﾞｰｼﾞｮﾝ情報");
  EXPECT_EQ(view.last_state.lbl_title, "Zorvane");
  EXPECT_EQ(view.last_state.lbl_version, "ﾊﾞｰｼﾞｮﾝ 0.0.2");
  EXPECT_EQ(view.last_state.cmd_ok, "OK");
  EXPECT_EQ(view.last_state.cmd_sys_info, "ｼｽﾃﾑ情報(&S)...");
  EXPECT_EQ(view.last_state.lbl_disclaimer, "警告: ...");
  EXPECT_FALSE(view.last_state.lbl_description.empty());
  // Loading reads nothing from the registry.
  EXPECT_TRUE(platform.opened_keys.empty());
}

TEST(FrmAboutTest, OkClosesTheBox) {
  SysInfoPlatform platform;
  RecordingAboutView view;
  frmAbout about(platform, view);
  about.Form_Load();
  about.cmdOK_Click();
  EXPECT_EQ(view.closes, 1);
}

// One arrangement of the two registry values and the file system, and what StartSysInfo
// must do with it.
struct SysInfoCase {
  const char* name;
  void (*arrange)(SysInfoPlatform&);
  std::vector<std::string> expected_starts;  // command lines handed to StartProgram
  bool expect_message;
};

const SysInfoCase kSysInfoCases[] = {
    {"full path starts directly, without an existence test",
     [](SysInfoPlatform& p) {
       p.SetValue(kPathKey, "PATH", kRegSz, "C:\\Tools\\msinfo32.exe");
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\Other");
       p.memory().AddFile("C:\\Tools\\msinfo32.exe", "");
     },
     {"C:\\Tools\\msinfo32.exe"},
     false},
    {"full path that fails to start gives the message, no second lookup",
     [](SysInfoPlatform& p) {
       p.SetValue(kPathKey, "PATH", kRegSz, "C:\\Gone\\msinfo32.exe");
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\Other");
       p.memory().AddFile("C:\\Other\\MSINFO32.EXE", "", kFileAttributeNormal);
     },
     {"C:\\Gone\\msinfo32.exe"},
     true},
    {"folder value with the program in it",
     [](SysInfoPlatform& p) {
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.memory().AddFile("C:\\MSInfo\\MSINFO32.EXE", "", kFileAttributeNormal);
     },
     {"C:\\MSInfo\\MSINFO32.EXE"},
     false},
    {"folder value used when the first key lacks the value",
     [](SysInfoPlatform& p) {
       p.AddKey(kPathKey);
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.memory().AddFile("C:\\MSInfo\\MSINFO32.EXE", "", kFileAttributeReadOnly);
     },
     {"C:\\MSInfo\\MSINFO32.EXE"},
     false},
    {"full path longer than the buffer counts as missing",
     [](SysInfoPlatform& p) {
       p.SetValue(kPathKey, "PATH", kRegSz, std::string(1500, 'x'));
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.memory().AddFile("C:\\MSInfo\\MSINFO32.EXE", "", kFileAttributeNormal);
     },
     {"C:\\MSInfo\\MSINFO32.EXE"},
     false},
    {"full path filling the buffer without a NUL ends in the message at once",
     [](SysInfoPlatform& p) {
       p.SetValue(kPathKey, "PATH", kRegSz, std::string(1024, 'x'));
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.memory().AddFile("C:\\MSInfo\\MSINFO32.EXE", "", kFileAttributeNormal);
     },
     {},
     true},
    {"folder without the program",
     [](SysInfoPlatform& p) { p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo"); },
     {},
     true},
    {"program hidden in the folder",
     [](SysInfoPlatform& p) {
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.memory().AddFile("C:\\MSInfo\\MSINFO32.EXE", "", kFileAttributeHidden);
     },
     {},
     true},
    {"program as a system file",
     [](SysInfoPlatform& p) {
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.memory().AddFile("C:\\MSInfo\\MSINFO32.EXE", "",
                          kFileAttributeSystem | kFileAttributeReadOnly);
     },
     {},
     true},
    {"a folder named like the program",
     [](SysInfoPlatform& p) {
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.memory().AddFolder("C:\\MSInfo\\MSINFO32.EXE");
     },
     {},
     true},
    {"program present but not startable",
     [](SysInfoPlatform& p) {
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.memory().AddFile("C:\\MSInfo\\MSINFO32.EXE", "", kFileAttributeNormal);
       p.memory().set_programs_start(false);
     },
     {"C:\\MSInfo\\MSINFO32.EXE"},
     true},
    {"neither value", [](SysInfoPlatform&) {}, {}, true},
    {"full path as a number is no program",
     [](SysInfoPlatform& p) { p.SetValue(kPathKey, "PATH", kRegDword, Dword(1234)); },
     {"1234"},
     true},
    {"full path of an expandable type gives no text and starts nothing",
     [](SysInfoPlatform& p) {
       p.SetValue(kPathKey, "PATH", kRegExpandSz, "%SystemRoot%\\msinfo32.exe");
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.memory().AddFile("C:\\MSInfo\\MSINFO32.EXE", "", kFileAttributeNormal);
     },
     {},
     true},
    {"folder of a type that gives no text does not test the root",
     [](SysInfoPlatform& p) {
       p.SetValue(kFolderKey, "MSINFO", kRegBinary, "C:\\MSInfo");
       p.memory().AddFile("\\MSINFO32.EXE", "", kFileAttributeNormal);
     },
     {},
     true},
};

TEST(FrmAboutTest, StartSysInfo) {
  for (const SysInfoCase& c : kSysInfoCases) {
    SCOPED_TRACE(c.name);
    SysInfoPlatform platform;
    c.arrange(platform);
    RecordingAboutView view;
    frmAbout about(platform, view);
    about.Form_Load();
    about.StartSysInfo();
    EXPECT_EQ(platform.memory().started_programs(), c.expected_starts);
    if (c.expect_message) {
      EXPECT_EQ(view.messages, std::vector<std::string>{"現時点ではｼｽﾃﾑ情報を使用できません"});
    } else {
      EXPECT_TRUE(view.messages.empty());
    }
    // The box stays open either way, and leaves no key open.
    EXPECT_EQ(view.closes, 0);
    EXPECT_EQ(platform.memory().open_registry_keys(), 0);
    EXPECT_FALSE(platform.saw_other_root_or_access);
  }
}

TEST(FrmAboutTest, LooksUpFullPathFirstThenFolder) {
  SysInfoPlatform platform;
  RecordingAboutView view;
  frmAbout about(platform, view);
  about.cmdSysInfo_Click();
  EXPECT_EQ(platform.opened_keys, (std::vector<std::string>{kPathKey, kFolderKey}));
  EXPECT_EQ(view.messages.size(), 1u);
}

TEST(FrmAboutTest, FullPathIsNotTestedForExistence) {
  SysInfoPlatform platform;
  platform.SetValue(kPathKey, "PATH", kRegSz, "/opt/sysinfo");
  platform.memory().AddFile("/opt/sysinfo", "");
  RecordingAboutView view;
  frmAbout about(platform, view);
  about.StartSysInfo();
  EXPECT_TRUE(platform.attribute_queries.empty());
  EXPECT_TRUE(view.messages.empty());
}

TEST(FrmAboutTest, FolderJoinsWithThePlatformSeparator) {
  const struct {
    char separator;
    const char* folder;
    const char* expected;
  } kCases[] = {
      {'/', "/usr/lib/msinfo", "/usr/lib/msinfo/MSINFO32.EXE"},
      {'\\', "C:\\MSInfo", "C:\\MSInfo\\MSINFO32.EXE"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.folder);
    SysInfoPlatform platform(c.separator == '/' ? MemoryPlatform::Options()
                                                : MemoryPlatform::WindowsOptions());
    platform.SetValue(kFolderKey, "MSINFO", kRegSz, c.folder);
    RecordingAboutView view;
    frmAbout about(platform, view);
    about.StartSysInfo();
    EXPECT_EQ(platform.attribute_queries, std::vector<std::string>{c.expected});
  }
}

struct StoredValue {
  std::uint32_t type;
  std::string data;  // the stored bytes, strings in their ANSI form
};

struct KeyValueCase {
  const char* name;
  StoredValue value;
  KeyValueResult expected_result;
  std::string expected_text;
};

TEST(FrmAboutTest, GetKeyValue) {
  const KeyValueCase kCases[] = {
      {"string", {kRegSz, "C:\\x.exe"}, KeyValueResult::kRead, "C:\\x.exe"},
      {"string cut at its first NUL",
       {kRegSz, std::string("abc\0def", 7)},
       KeyValueResult::kRead,
       "abc"},
      {"empty string", {kRegSz, ""}, KeyValueResult::kRead, ""},
      {"string of 1023 bytes",
       {kRegSz, std::string(1023, 'a')},
       KeyValueResult::kRead,
       std::string(1023, 'a')},
      {"string in the ANSI code page",
       {kRegSz, "C:\\\x83\x63\x81\x5b\x83\x8b"},
       KeyValueResult::kRead,
       "C:\\ツール"},
      {"string of 1024 bytes without NUL",
       {kRegSz, std::string(1024, 'a')},
       KeyValueResult::kBroken,
       ""},
      {"string longer than the buffer",
       {kRegSz, std::string(1025, 'a')},
       KeyValueResult::kMissing,
       ""},
      {"number", {kRegDword, Dword(1234)}, KeyValueResult::kRead, "1234"},
      {"largest number", {kRegDword, Dword(0xFFFFFFFF)}, KeyValueResult::kRead, "4294967295"},
      {"zero", {kRegDword, Dword(0)}, KeyValueResult::kRead, "0"},
      {"expandable string is not taken", {kRegExpandSz, "%PATH%"}, KeyValueResult::kRead, "before"},
      {"binary is not taken", {kRegBinary, "\x01\x02"}, KeyValueResult::kRead, "before"},
      {"binary filling the buffer",
       {kRegBinary, std::string(1024, '\x01')},
       KeyValueResult::kBroken,
       ""},
  };
  for (const KeyValueCase& c : kCases) {
    SCOPED_TRACE(c.name);
    SysInfoPlatform platform;
    platform.SetValue("K", "V", c.value.type, c.value.data);
    RecordingAboutView view;
    frmAbout about(platform, view);
    std::string text = "before";
    EXPECT_EQ(about.GetKeyValue(kHkeyLocalMachine, "K", "V", text), c.expected_result);
    EXPECT_EQ(text, c.expected_text);
    EXPECT_EQ(platform.memory().open_registry_keys(), 0);
  }
}

TEST(FrmAboutTest, GetKeyValueEmptiesTheTextWhenNothingIsRead) {
  SysInfoPlatform platform;
  platform.AddKey("K");
  RecordingAboutView view;
  frmAbout about(platform, view);
  for (const char* key : {"K", "Missing"}) {
    SCOPED_TRACE(key);
    std::string text = "before";
    EXPECT_EQ(about.GetKeyValue(kHkeyLocalMachine, key, "V", text), KeyValueResult::kMissing);
    EXPECT_EQ(text, "");
  }
  EXPECT_EQ(platform.memory().open_registry_keys(), 0);
}

}  // namespace
}  // namespace zorvane
