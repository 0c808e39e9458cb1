#include "app/frm_about.h"

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/forwarding_platform.h"

namespace zorvane {
namespace {

// A registry of HKEY_LOCAL_MACHINE keys, a file table and a program starter, all in
// memory, answering as the Windows calls do.
class FakeSysInfoPlatform final : public ForwardingPlatform {
 public:
  struct Value {
    std::uint32_t type;
    std::string data;  // the stored bytes, without any NUL the query appends
  };

  FakeSysInfoPlatform() : ForwardingPlatform(nullptr) {}

  void SetValue(const std::string& key, const std::string& name, std::uint32_t type,
                std::string data) {
    keys_[key][name] = Value{type, std::move(data)};
  }
  void AddKey(const std::string& key) { keys_[key]; }
  void AddFile(const std::string& path, std::uint32_t attributes) { files_[path] = attributes; }
  void AcceptStart(const std::string& command_line) { startable_.push_back(command_line); }
  void SetSeparator(char separator) { separator_ = separator; }

  const std::vector<std::string>& started() const { return started_; }
  const std::vector<std::string>& opened_keys() const { return opened_keys_; }
  const std::vector<std::string>& attribute_queries() const { return attribute_queries_; }
  int open_handles() const { return open_handles_; }
  bool saw_other_root_or_access() const { return saw_other_root_or_access_; }

  long RegOpenKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                  RegHandle* key) override {
    opened_keys_.push_back(sub_key);
    if (root != kHkeyLocalMachine || access != 0x2003F) saw_other_root_or_access_ = true;
    auto it = keys_.find(sub_key);
    if (it == keys_.end()) return kErrorFileNotFound;
    handles_.push_back(sub_key);
    *key = handles_.size();
    ++open_handles_;
    return kErrorSuccess;
  }

  long RegQueryValue(RegHandle key, const std::string& name, std::uint32_t* type,
                     std::uint8_t* buffer, std::uint32_t* size) override {
    const auto& values = keys_.at(handles_.at(key - 1));
    auto it = values.find(name);
    if (it == values.end()) return kErrorFileNotFound;
    const Value& value = it->second;
    if (value.data.size() > *size) return kErrorMoreData;
    std::copy(value.data.begin(), value.data.end(), buffer);
    const bool is_string = value.type == kRegSz || value.type == kRegExpandSz;
    if (is_string && value.data.size() < *size) buffer[value.data.size()] = 0;
    *type = value.type;
    *size = static_cast<std::uint32_t>(value.data.size());
    return kErrorSuccess;
  }

  long RegCloseKey(RegHandle) override {
    --open_handles_;
    return kErrorSuccess;
  }

  std::uint32_t GetFileAttributes(const std::string& path) override {
    attribute_queries_.push_back(path);
    auto it = files_.find(path);
    return it == files_.end() ? kInvalidFileAttributes : it->second;
  }

  bool StartProgram(const std::string& command_line) override {
    started_.push_back(command_line);
    return std::find(startable_.begin(), startable_.end(), command_line) != startable_.end();
  }

  // Marks converted text, so tests see that registry data went through the conversion.
  std::string FromAnsi(std::string_view ansi) override { return "<" + std::string(ansi) + ">"; }

  char PathSeparator() const override { return separator_; }

 private:
  std::map<std::string, std::map<std::string, Value>> keys_;
  std::map<std::string, std::uint32_t> files_;
  std::vector<std::string> startable_;
  std::vector<std::string> started_;
  std::vector<std::string> opened_keys_;
  std::vector<std::string> attribute_queries_;
  std::vector<std::string> handles_;
  int open_handles_ = 0;
  bool saw_other_root_or_access_ = false;
  char separator_ = '\\';
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
  FakeSysInfoPlatform platform;
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
  EXPECT_TRUE(platform.opened_keys().empty());
}

TEST(FrmAboutTest, OkClosesTheBox) {
  FakeSysInfoPlatform platform;
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
  void (*arrange)(FakeSysInfoPlatform&);
  std::vector<std::string> expected_starts;  // command lines handed to StartProgram
  bool expect_message;
};

const SysInfoCase kSysInfoCases[] = {
    {"full path starts directly, without an existence test",
     [](FakeSysInfoPlatform& p) {
       p.SetValue(kPathKey, "PATH", kRegSz, "C:\\Tools\\msinfo32.exe");
       p.AcceptStart("<C:\\Tools\\msinfo32.exe>");
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\Other");
     },
     {"<C:\\Tools\\msinfo32.exe>"},
     false},
    {"full path that fails to start gives the message, no second lookup",
     [](FakeSysInfoPlatform& p) {
       p.SetValue(kPathKey, "PATH", kRegSz, "C:\\Gone\\msinfo32.exe");
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\Other");
       p.AddFile("<C:\\Other>\\MSINFO32.EXE", kFileAttributeNormal);
       p.AcceptStart("<C:\\Other>\\MSINFO32.EXE");
     },
     {"<C:\\Gone\\msinfo32.exe>"},
     true},
    {"folder value with the program in it",
     [](FakeSysInfoPlatform& p) {
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.AddFile("<C:\\MSInfo>\\MSINFO32.EXE", kFileAttributeNormal);
       p.AcceptStart("<C:\\MSInfo>\\MSINFO32.EXE");
     },
     {"<C:\\MSInfo>\\MSINFO32.EXE"},
     false},
    {"folder value used when the first key lacks the value",
     [](FakeSysInfoPlatform& p) {
       p.AddKey(kPathKey);
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.AddFile("<C:\\MSInfo>\\MSINFO32.EXE", kFileAttributeReadOnly);
       p.AcceptStart("<C:\\MSInfo>\\MSINFO32.EXE");
     },
     {"<C:\\MSInfo>\\MSINFO32.EXE"},
     false},
    {"full path longer than the buffer counts as missing",
     [](FakeSysInfoPlatform& p) {
       p.SetValue(kPathKey, "PATH", kRegSz, std::string(1500, 'x'));
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.AddFile("<C:\\MSInfo>\\MSINFO32.EXE", kFileAttributeNormal);
       p.AcceptStart("<C:\\MSInfo>\\MSINFO32.EXE");
     },
     {"<C:\\MSInfo>\\MSINFO32.EXE"},
     false},
    {"full path filling the buffer without a NUL ends in the message at once",
     [](FakeSysInfoPlatform& p) {
       p.SetValue(kPathKey, "PATH", kRegSz, std::string(1024, 'x'));
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.AddFile("<C:\\MSInfo>\\MSINFO32.EXE", kFileAttributeNormal);
       p.AcceptStart("<C:\\MSInfo>\\MSINFO32.EXE");
     },
     {},
     true},
    {"folder without the program",
     [](FakeSysInfoPlatform& p) { p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo"); },
     {},
     true},
    {"program hidden in the folder",
     [](FakeSysInfoPlatform& p) {
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.AddFile("<C:\\MSInfo>\\MSINFO32.EXE", kFileAttributeHidden);
       p.AcceptStart("<C:\\MSInfo>\\MSINFO32.EXE");
     },
     {},
     true},
    {"program as a system file",
     [](FakeSysInfoPlatform& p) {
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.AddFile("<C:\\MSInfo>\\MSINFO32.EXE", kFileAttributeSystem | kFileAttributeReadOnly);
       p.AcceptStart("<C:\\MSInfo>\\MSINFO32.EXE");
     },
     {},
     true},
    {"a folder named like the program",
     [](FakeSysInfoPlatform& p) {
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.AddFile("<C:\\MSInfo>\\MSINFO32.EXE", kFileAttributeDirectory);
       p.AcceptStart("<C:\\MSInfo>\\MSINFO32.EXE");
     },
     {},
     true},
    {"program present but not startable",
     [](FakeSysInfoPlatform& p) {
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.AddFile("<C:\\MSInfo>\\MSINFO32.EXE", kFileAttributeNormal);
     },
     {"<C:\\MSInfo>\\MSINFO32.EXE"},
     true},
    {"neither value", [](FakeSysInfoPlatform&) {}, {}, true},
    {"full path as a number is no program",
     [](FakeSysInfoPlatform& p) { p.SetValue(kPathKey, "PATH", kRegDword, Dword(1234)); },
     {"1234"},
     true},
    {"full path of an expandable type gives no text and starts nothing",
     [](FakeSysInfoPlatform& p) {
       p.SetValue(kPathKey, "PATH", kRegExpandSz, "%SystemRoot%\\msinfo32.exe");
       p.SetValue(kFolderKey, "MSINFO", kRegSz, "C:\\MSInfo");
       p.AddFile("<C:\\MSInfo>\\MSINFO32.EXE", kFileAttributeNormal);
       p.AcceptStart("<C:\\MSInfo>\\MSINFO32.EXE");
     },
     {},
     true},
    {"folder of a type that gives no text does not test the root",
     [](FakeSysInfoPlatform& p) {
       p.SetValue(kFolderKey, "MSINFO", kRegBinary, "C:\\MSInfo");
       p.AddFile("\\MSINFO32.EXE", kFileAttributeNormal);
       p.AcceptStart("\\MSINFO32.EXE");
     },
     {},
     true},
};

TEST(FrmAboutTest, StartSysInfo) {
  for (const SysInfoCase& c : kSysInfoCases) {
    SCOPED_TRACE(c.name);
    FakeSysInfoPlatform platform;
    c.arrange(platform);
    RecordingAboutView view;
    frmAbout about(platform, view);
    about.Form_Load();
    about.StartSysInfo();
    EXPECT_EQ(platform.started(), c.expected_starts);
    if (c.expect_message) {
      EXPECT_EQ(view.messages, std::vector<std::string>{"現時点ではｼｽﾃﾑ情報を使用できません"});
    } else {
      EXPECT_TRUE(view.messages.empty());
    }
    // The box stays open either way, and leaves no key open.
    EXPECT_EQ(view.closes, 0);
    EXPECT_EQ(platform.open_handles(), 0);
    EXPECT_FALSE(platform.saw_other_root_or_access());
  }
}

TEST(FrmAboutTest, LooksUpFullPathFirstThenFolder) {
  FakeSysInfoPlatform platform;
  RecordingAboutView view;
  frmAbout about(platform, view);
  about.cmdSysInfo_Click();
  EXPECT_EQ(platform.opened_keys(), (std::vector<std::string>{kPathKey, kFolderKey}));
  EXPECT_EQ(view.messages.size(), 1u);
}

TEST(FrmAboutTest, FullPathIsNotTestedForExistence) {
  FakeSysInfoPlatform platform;
  platform.SetValue(kPathKey, "PATH", kRegSz, "/opt/sysinfo");
  platform.AcceptStart("</opt/sysinfo>");
  RecordingAboutView view;
  frmAbout about(platform, view);
  about.StartSysInfo();
  EXPECT_TRUE(platform.attribute_queries().empty());
  EXPECT_TRUE(view.messages.empty());
}

TEST(FrmAboutTest, FolderJoinsWithThePlatformSeparator) {
  const struct {
    char separator;
    const char* folder;
    const char* expected;
  } kCases[] = {
      {'/', "/usr/lib/msinfo", "</usr/lib/msinfo>/MSINFO32.EXE"},
      {'\\', "C:\\MSInfo", "<C:\\MSInfo>\\MSINFO32.EXE"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.folder);
    FakeSysInfoPlatform platform;
    platform.SetSeparator(c.separator);
    platform.SetValue(kFolderKey, "MSINFO", kRegSz, c.folder);
    RecordingAboutView view;
    frmAbout about(platform, view);
    about.StartSysInfo();
    EXPECT_EQ(platform.attribute_queries(), std::vector<std::string>{c.expected});
  }
}

struct KeyValueCase {
  const char* name;
  FakeSysInfoPlatform::Value value;
  KeyValueResult expected_result;
  std::string expected_text;
};

TEST(FrmAboutTest, GetKeyValue) {
  const KeyValueCase kCases[] = {
      {"string", {kRegSz, "C:\\x.exe"}, KeyValueResult::kRead, "<C:\\x.exe>"},
      {"string cut at its first NUL",
       {kRegSz, std::string("abc\0def", 7)},
       KeyValueResult::kRead,
       "<abc>"},
      {"empty string", {kRegSz, ""}, KeyValueResult::kRead, "<>"},
      {"string of 1023 bytes",
       {kRegSz, std::string(1023, 'a')},
       KeyValueResult::kRead,
       "<" + std::string(1023, 'a') + ">"},
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
    FakeSysInfoPlatform platform;
    platform.SetValue("K", "V", c.value.type, c.value.data);
    RecordingAboutView view;
    frmAbout about(platform, view);
    std::string text = "before";
    EXPECT_EQ(about.GetKeyValue(kHkeyLocalMachine, "K", "V", text), c.expected_result);
    EXPECT_EQ(text, c.expected_text);
    EXPECT_EQ(platform.open_handles(), 0);
  }
}

TEST(FrmAboutTest, GetKeyValueEmptiesTheTextWhenNothingIsRead) {
  FakeSysInfoPlatform platform;
  platform.AddKey("K");
  RecordingAboutView view;
  frmAbout about(platform, view);
  for (const char* key : {"K", "Missing"}) {
    SCOPED_TRACE(key);
    std::string text = "before";
    EXPECT_EQ(about.GetKeyValue(kHkeyLocalMachine, key, "V", text), KeyValueResult::kMissing);
    EXPECT_EQ(text, "");
  }
  EXPECT_EQ(platform.open_handles(), 0);
}

}  // namespace
}  // namespace zorvane
