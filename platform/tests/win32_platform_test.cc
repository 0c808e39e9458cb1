// The Win32 platform against the real system calls (Windows, or Wine with code page 932).
// File, registry and profile behaviour shared with the other platforms is covered by the
// contract suites (win32_contract_test.cc); this file checks what only the Win32 binding
// does: the UTF-8 ⇄ code page 932 conversion at each call, cuts at character boundaries,
// the profile functions' own ways, and the program's own location, installed or not.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/windows_include.h"

namespace zorvane {
namespace {

// A fresh folder with an ASCII name under the temporary folder, removed afterwards.
class ScratchFolder final {
 public:
  ScratchFolder() {
    const auto base = std::filesystem::temp_directory_path();
    for (int i = 0;; ++i) {
      path_ = base / ("zorvane-win32-" + std::to_string(::GetCurrentProcessId()) + "-" +
                      std::to_string(i));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder's path joined with `name` (UTF-8), with the Windows separator.
  std::string operator/(const std::string& name) const { return path_.string() + "\\" + name; }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

class Win32PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(::GetACP(), 932u) << "tests expect code page 932"; }

  std::unique_ptr<Platform> platform_ = CreateDefaultPlatform();
  ScratchFolder folder_;
};

std::string Bytes(std::initializer_list<unsigned char> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST_F(Win32PlatformTest, ConvertsBetweenUtf8AndCodePage932) {
  struct Case {
    std::string utf8;
    std::string ansi;
  };
  const Case cases[] = {
      {"ｼｽﾃﾑ情報", Bytes({0xBC, 0xBD, 0xC3, 0xD1, 0x8F, 0xEE, 0x95, 0xF1})},
      {"表", Bytes({0x95, 0x5C})},                             // trail byte equal to '\'
      {"～－①", Bytes({0x81, 0x60, 0x81, 0x7C, 0x87, 0x40})},  // Microsoft's mappings
      {"a\\b~", "a\\b~"},                                      // 0x5C and 0x7E stay ASCII
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(platform_->ToAnsi(c.utf8), c.ansi);
    EXPECT_EQ(platform_->FromAnsi(c.ansi), c.utf8);
  }
  // What code page 932 cannot hold: the system's best fit where it has one, else "?".
  EXPECT_EQ(platform_->ToAnsi("caf\xC3\xA9"), "cafe");
  EXPECT_EQ(platform_->ToAnsi("\xE2\x98\x83!"), "?!") << "U+2603 has neither";
  EXPECT_EQ(platform_->FromAnsi(Bytes({0x80})), "\xC2\x80") << "0x80 decodes to U+0080";
}

TEST(Win32TextTest, CutsAnsiTextBeforeAHalfCharacter) {
  ASSERT_EQ(::GetACP(), 932u);
  const std::string a = Bytes({0x82, 0xA0});  // あ
  struct Case {
    std::string ansi;
    std::size_t max_bytes;
    std::string expected;
  };
  const Case cases[] = {
      {"abc", 2, "ab"},
      {a + a + a, 3, a},
      {a + a + a, 4, a + a},
      {"x" + a, 2, "x"},
      {"x" + a, 3, "x" + a},
      {Bytes({0xB1, 0xB2}), 1, Bytes({0xB1})},          // half-width katakana are single bytes
      {"ab" + Bytes({0x82}), 3, "ab" + Bytes({0x82})},  // a final lone lead byte stays
      {a, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.max_bytes << " of " << c.ansi.size());
    EXPECT_EQ(win32::CutAnsiAtCharBoundary(c.ansi, c.max_bytes), c.expected);
  }
}

// The code pages the HTML reader's character sets map to (the sets themselves are
// checked on both platforms in text_test.cc): each one is there, and one the system
// lacks is refused rather than read as something else.
TEST(Win32TextTest, DecodesTheCodePagesOfHtmlCharacterSets) {
  const struct {
    unsigned code_page;
    std::string bytes;
    std::string utf8;
  } cases[] = {
      {932, Bytes({0x95, 0x5C, 0xB1, 0x95}), "表ｱ\uFFFD"},
      {20932, Bytes({0xC9, 0xBD, 0xBC, 0xA8, 0x8E, 0xB1}), "表示ｱ"},  // EUC-JP
      {1252, Bytes({0x80, 0xE9}), "€é"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code_page);
    std::string utf8;
    ASSERT_TRUE(win32::CodePageToUtf8(c.code_page, c.bytes, &utf8));
    EXPECT_EQ(utf8, c.utf8);
  }
  std::string untouched = "before";
  EXPECT_FALSE(win32::CodePageToUtf8(12345, "a", &untouched));
  EXPECT_EQ(untouched, "before");
}

TEST_F(Win32PlatformTest, ProfileReadsAreCutAtACharacterBoundary) {
  const std::string file = folder_ / "設定.ini";
  ASSERT_TRUE(platform_->WritePrivateProfileString("RANK", "題名", "あいうえ", file));
  struct Case {
    std::uint32_t size;
    std::string expected;
  };
  const Case cases[] = {
      {1, ""},     {2, ""},       {3, "あ"},       {4, "あ"},
      {5, "あい"}, {8, "あいう"}, {9, "あいうえ"}, {128, "あいうえ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    EXPECT_EQ(platform_->GetPrivateProfileString("rank", "題名", "", c.size, file), c.expected);
  }
  EXPECT_EQ(platform_->GetPrivateProfileString("RANK", "題名", "", 0, file), "");
}

TEST_F(Win32PlatformTest, ProfileReadsLongValuesWhole) {
  const std::string file = folder_ / "long.ini";
  const std::string value(3000, 'v');
  ASSERT_TRUE(platform_->WritePrivateProfileString("s", "k", value, file));
  EXPECT_EQ(platform_->GetPrivateProfileString("s", "k", "", 5000, file), value);
  EXPECT_EQ(platform_->GetPrivateProfileString("s", "k", "", 128, file), value.substr(0, 127));
}

TEST_F(Win32PlatformTest, ProfileWriteRefusesLineBreaks) {
  const std::string file = folder_ / "breaks.ini";
  EXPECT_FALSE(platform_->WritePrivateProfileString("s", "k", "one\r\n[other]\r\nx=y", file));
  EXPECT_FALSE(platform_->WritePrivateProfileString("s", "k\nx", "v", file));
  EXPECT_FALSE(platform_->WritePrivateProfileString("s\r", "k", "v", file));
  EXPECT_EQ(platform_->GetFileAttributes(file), kInvalidFileAttributes) << "nothing written";
}

// The profile function splits a line at its first "=", so a key holding one (an address
// with a query) is written and found through the profile engine: one line, replaced by a
// second write, read back like any other key.
TEST_F(Win32PlatformTest, ProfileKeysHoldingEqualsSignsAreFoundAndReplaced) {
  const std::string file = folder_ / "zorvane.ini";
  const std::string key = "https://search.example.org/?q=a&b=c";
  ASSERT_TRUE(platform_->WritePrivateProfileString("ShortcutTitle", "http://a/", "A", file));
  ASSERT_TRUE(platform_->WritePrivateProfileString("ShortcutTitle", key, "検索", file));
  ASSERT_TRUE(platform_->WritePrivateProfileString("ShortcutTitle", key, "検索2", file));
  ASSERT_TRUE(platform_->WritePrivateProfileString("ShortcutTitle", "http://b/", "B", file));
  EXPECT_EQ(platform_->GetPrivateProfileString("ShortcutTitle", key, "", 128, file), "検索2");
  EXPECT_EQ(platform_->GetPrivateProfileString("shortcuttitle", key, "", 4, file), "検");
  EXPECT_EQ(platform_->GetPrivateProfileString("ShortcutTitle", "https://search.example.org/?q",
                                               "none", 128, file),
            "a&b=c=検索2")
      << "what the profile function itself sees";
  EXPECT_EQ(platform_->GetPrivateProfileString("ShortcutTitle", "http://b/", "", 128, file), "B");
  std::string bytes;
  ASSERT_EQ(platform_->ReadFile(file, &bytes), FileRead::kRead);
  EXPECT_EQ(bytes, platform_->ToAnsi("[ShortcutTitle]\r\nhttp://a/=A\r\n" + key +
                                     "=検索2\r\nhttp://b/=B\r\n"));
}

TEST_F(Win32PlatformTest, ProfileValuesComeBackAsWritten) {
  const std::string file = folder_ / "values.ini";
  const char* values[] = {" lead", "trail ", "\"quoted\"", "'single'", "in \"side\"", "", "\""};
  for (const char* value : values) {
    SCOPED_TRACE(value);
    ASSERT_TRUE(platform_->WritePrivateProfileString("RANK", "k", value, file));
    EXPECT_EQ(platform_->GetPrivateProfileString("RANK", "k", "x", 128, file), value);
  }
  EXPECT_FALSE(platform_->WritePrivateProfileString("a]b", "k", "v", file));
  EXPECT_FALSE(platform_->WritePrivateProfileString("RANK", "[k", "v", file));
  EXPECT_FALSE(platform_->WritePrivateProfileString("RANK", ";k", "v", file));
}

TEST_F(Win32PlatformTest, ProfileMissingFileGivesDefaultAndStaysMissing) {
  const std::string file = folder_ / "zorvane.ini";
  EXPECT_EQ(platform_->GetPrivateProfileString("RANK", "x", "3", 128, file), "3");
  EXPECT_EQ(platform_->GetFileAttributes(file), kInvalidFileAttributes);
}

TEST_F(Win32PlatformTest, ExpandsEnvironmentReferences) {
  ASSERT_TRUE(::SetEnvironmentVariableA("ZORVANE_TEST_VAR", "C:\\\x95\x5C"));  // C:\表
  EXPECT_EQ(platform_->ExpandEnvironmentStrings("%ZORVANE_TEST_VAR%\\x"), "C:\\表\\x");
  EXPECT_EQ(platform_->ExpandEnvironmentStrings("%ZORVANE_NO_SUCH_VAR%"), "%ZORVANE_NO_SUCH_VAR%");
  EXPECT_EQ(platform_->ExpandEnvironmentStrings(std::string(1000, 'a')), std::string(1000, 'a'));
}

TEST_F(Win32PlatformTest, ProgramDirectoryIsTheExecutablesFolder) {
  char module[MAX_PATH] = {};
  ASSERT_GT(::GetModuleFileNameA(nullptr, module, MAX_PATH), 0u);
  const std::string directory = platform_->ProgramDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_NE(directory.back(), '\\');
  EXPECT_EQ(platform_->ToAnsi(directory) + "\\",
            std::string(module).substr(0, directory.size() + 1));
  EXPECT_EQ(platform_->PathSeparator(), '\\');
  EXPECT_TRUE(platform_->FileNamesIgnoreCase());
}

// The installed copy is the one in the folder the installer recorded: its files go to
// %APPDATA%\Zorvane, made on first use. Any other copy keeps them beside itself.
TEST_F(Win32PlatformTest, TheInstalledCopyKeepsItsFilesInTheApplicationDataFolder) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zorvane", 0, KEY_READ, &key) == ERROR_SUCCESS) {
    ::RegCloseKey(key);
    GTEST_SKIP() << "Zorvane is installed for this user; the test would change its record";
  }
  const std::string portable = platform_->ProgramDirectory();
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Zorvane", 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const auto record = [this, key](const std::string& folder) {
    const std::string ansi = platform_->ToAnsi(folder);
    return ::RegSetValueExA(key, "InstallDir", 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(ansi.c_str()),
                            static_cast<DWORD>(ansi.size() + 1));
  };
  char old_app_data[MAX_PATH] = {};
  ASSERT_GT(::GetEnvironmentVariableA("APPDATA", old_app_data, MAX_PATH), 0u);
  ASSERT_TRUE(::SetEnvironmentVariableA("APPDATA", folder_.str().c_str()));

  // The value as Windows Installer writes it: a final backslash, its own spelling of case.
  std::string recorded = portable + "\\";
  std::transform(recorded.begin(), recorded.end(), recorded.begin(), [](char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  });
  EXPECT_EQ(record(recorded), ERROR_SUCCESS);
  EXPECT_EQ(platform_->ProgramDirectory(), folder_ / "Zorvane");
  const std::uint32_t attributes = platform_->GetFileAttributes(folder_ / "Zorvane");
  EXPECT_NE(attributes, kInvalidFileAttributes);
  EXPECT_NE(attributes & kFileAttributeDirectory, 0u);
  EXPECT_EQ(record("C:\\Elsewhere\\Zorvane\\"), ERROR_SUCCESS);
  EXPECT_EQ(platform_->ProgramDirectory(), portable);

  ::RegCloseKey(key);
  ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Zorvane");
  ::SetEnvironmentVariableA("APPDATA", old_app_data);
}

TEST_F(Win32PlatformTest, RegistryRootsAndAccessRightsArePassedThrough) {
  RegHandle key = 0;
  ASSERT_EQ(
      platform_->RegCreateKey(kHkeyCurrentUser, "Software\\ZorvaneTest\\Win32\\表", 0x3F, &key),
      kErrorSuccess);
  const std::string ansi = platform_->ToAnsi("値");
  EXPECT_EQ(platform_->RegSetValue(key, "名前", kRegSz,
                                   reinterpret_cast<const std::uint8_t*>(ansi.c_str()),
                                   static_cast<std::uint32_t>(ansi.size() + 1)),
            kErrorSuccess);
  EXPECT_EQ(platform_->RegCloseKey(key), kErrorSuccess);

  // Read with the Windows API directly: the names and data went through code page 932.
  HKEY raw = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\ZorvaneTest\\Win32\\\x95\x5C", 0,
                            KEY_READ, &raw),
            ERROR_SUCCESS);
  char data[16] = {};
  DWORD size = sizeof(data);
  DWORD type = 0;
  EXPECT_EQ(::RegQueryValueExA(raw, "\x96\xBC\x91\x4F", nullptr, &type,
                               reinterpret_cast<BYTE*>(data), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(data), ansi);
  ::RegCloseKey(raw);

  // A read-only right opens the key, but writing through that handle is refused.
  ASSERT_EQ(platform_->RegOpenKey(kHkeyCurrentUser, "Software\\ZorvaneTest\\Win32\\表",
                                  KEY_QUERY_VALUE, &key),
            kErrorSuccess);
  EXPECT_EQ(platform_->RegSetValue(key, "x", kRegSz, reinterpret_cast<const std::uint8_t*>(""), 1),
            kErrorAccessDenied);
  std::string name;
  EXPECT_EQ(platform_->RegEnumValue(key, 0, 80, &name), kErrorSuccess);
  EXPECT_EQ(name, "名前");
  EXPECT_EQ(platform_->RegEnumValue(key, 0, 4, &name), kErrorMoreData) << "4 bytes plus NUL";
  EXPECT_EQ(platform_->RegEnumValue(key, 1, 80, &name), kErrorNoMoreItems);
  platform_->RegCloseKey(key);

  ASSERT_EQ(platform_->RegOpenKey(kHkeyCurrentUser, "Software\\ZorvaneTest\\Win32", 0x3F, &key),
            kErrorSuccess);
  EXPECT_EQ(platform_->RegEnumKey(key, 0, 80, &name), kErrorSuccess);
  EXPECT_EQ(name, "表");
  EXPECT_EQ(platform_->RegDeleteKey(key, "表"), kErrorSuccess);
  EXPECT_EQ(platform_->RegEnumKey(key, 0, 80, &name), kErrorNoMoreItems);
  platform_->RegCloseKey(key);

  // HKEY_LOCAL_MACHINE is a different root: the key made under HKCU is not there.
  EXPECT_EQ(platform_->RegOpenKey(kHkeyLocalMachine, "Software\\ZorvaneTest\\Win32", 0x2003F, &key),
            kErrorFileNotFound);
  EXPECT_EQ(key, 0u);
}

}  // namespace
}  // namespace zorvane
