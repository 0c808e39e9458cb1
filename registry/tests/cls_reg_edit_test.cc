#include "registry/cls_reg_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forwarding_platform.h"
#include "platform/memory/memory_platform.h"

namespace zorvane {
namespace {

constexpr const char* kKey = "Software\\ZorvaneTest\\Key";

class ClsRegEditTest : public ::testing::Test {
 protected:
  ClsRegEditTest() : reg_(platform_) {
    reg_.SetRegKey(kHkeyCurrentUser);
    reg_.SetSubKey(kKey);
  }

  // Stores raw bytes under `name` of kKey, bypassing the class.
  void RawSet(const std::string& name, std::uint32_t type, const std::string& bytes) {
    ASSERT_TRUE(platform_.SetRegistryValue(kHkeyCurrentUser, kKey, name, type, bytes));
  }
  // The raw type and bytes under `name` of kKey; type 0xFFFF when missing.
  std::pair<std::uint32_t, std::string> RawGet(const std::string& name) {
    RegHandle key = 0;
    std::uint32_t type = 0xFFFF;
    std::string buffer(8192, '\0');
    std::uint32_t size = 8192;
    if (platform_.RegOpenKey(kHkeyCurrentUser, kKey, 0x3F, &key) != kErrorSuccess)
      return {type, ""};
    if (platform_.RegQueryValue(key, name, &type, reinterpret_cast<std::uint8_t*>(buffer.data()),
                                &size) != kErrorSuccess) {
      type = 0xFFFF;
      size = 0;
    }
    platform_.RegCloseKey(key);
    return {type, buffer.substr(0, size)};
  }
  bool KeyExists(const std::string& path) {
    RegHandle key = 0;
    if (platform_.RegOpenKey(kHkeyCurrentUser, path, 0x3F, &key) != kErrorSuccess) return false;
    platform_.RegCloseKey(key);
    return true;
  }

  MemoryPlatform platform_;
  clsRegEdit reg_;
};

TEST_F(ClsRegEditTest, StartsWithoutRootOrPathAndKeepsWhatIsSet) {
  clsRegEdit fresh(platform_);
  EXPECT_EQ(fresh.RegKey(), 0u);
  EXPECT_EQ(fresh.SubKey(), "");
  EXPECT_EQ(fresh.GetString("x", "none"), "none");  // root 0 opens nothing
  EXPECT_EQ(reg_.RegKey(), kHkeyCurrentUser);
  EXPECT_EQ(reg_.SubKey(), kKey);
}

TEST_F(ClsRegEditTest, AMissingKeyGivesEveryDefaultAndStaysMissing) {
  std::vector<std::uint8_t> bytes = {1, 2};
  std::vector<std::string> names = {"kept"};
  EXPECT_EQ(reg_.GetString("v", "default"), "default");
  EXPECT_EQ(reg_.GetDWORD("v", -7), -7);
  EXPECT_EQ(reg_.GetBinary("v", &bytes), 0);
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(reg_.EnumValueName(&names), 0);
  EXPECT_EQ(reg_.EnumSubKey(&names), 0);
  EXPECT_EQ(names, std::vector<std::string>{"kept"});
  EXPECT_FALSE(reg_.DeleteSubKey("v"));
  EXPECT_FALSE(reg_.DeleteValueName("v"));
  EXPECT_FALSE(KeyExists(kKey));
}

TEST_F(ClsRegEditTest, AMissingValueGivesDefaultsAndAnEmptyArray) {
  RawSet("other", kRegBinary, "x");
  std::vector<std::uint8_t> bytes = {1, 2};
  EXPECT_EQ(reg_.GetBinary("v", &bytes), 0);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(reg_.GetString("v", "d"), "d");
  EXPECT_EQ(reg_.GetDWORD("v", 5), 5);
}

TEST_F(ClsRegEditTest, GetStringTakesTheBytesUpToTheFirstNulWhateverTheType) {
  struct Case {
    const char* what;
    std::uint32_t type;
    std::string bytes;
    std::string expected;
  };
  const Case cases[] = {
      {"text", kRegSz, std::string("abc\0", 4), "abc"},
      {"unexpanded", kRegExpandSz, std::string("%USERPROFILE%\\Favorites\0", 24),
       "%USERPROFILE%\\Favorites"},
      {"multi", kRegMultiSz, std::string("a\0b\0\0", 5), "a"},
      {"number", kRegDword, std::string("12\0\0", 4), "12"},
      {"bytes", kRegBinary, "xyz", "xyz"},
      {"japanese", kRegSz, std::string("\x93\xfa\x96\x7b\xbc\xbd\0", 7), "日本ｼｽ"},
      {"4095 and NUL", kRegSz, std::string(4095, 'a') + '\0', std::string(4095, 'a')},
      {"4096 without NUL", kRegBinary, std::string(4096, 'b'), std::string(4096, 'b')},
      {"4096 and NUL", kRegSz, std::string(4096, 'c') + '\0', "default"},
      {"empty", kRegSz, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RawSet("v", c.type, c.bytes);
    EXPECT_EQ(reg_.GetString("v", "default"), c.expected);
  }
}

TEST_F(ClsRegEditTest, SetStringCreatesTheKeyAndReadsBackUnchanged) {
  for (const std::string& text :
       std::vector<std::string>{"C:\\Users\\me\\Favorites", "お気に入りZorvane ｼｽﾃﾑ情報", ""}) {
    SCOPED_TRACE(text);
    EXPECT_TRUE(reg_.SetString("Favorites", text));
    EXPECT_EQ(reg_.GetString("Favorites", "default"), text);
    EXPECT_EQ(RawGet("Favorites").first, kRegSz);
  }
  // Written in the ANSI code page: what it cannot hold becomes "?".
  EXPECT_TRUE(reg_.SetString("Favorites", "caf\xc3\xa9"));
  EXPECT_EQ(reg_.GetString("Favorites", ""), "caf?");
}

TEST_F(ClsRegEditTest, GetDWordReadsUpToFourLittleEndianBytes) {
  struct Case {
    const char* what;
    std::uint32_t type;
    std::string bytes;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"the text 12", kRegSz, std::string("12\0", 3), 12849},
      {"four bytes", kRegDword, "\x78\x56\x34\x12", 0x12345678},
      {"negative", kRegBinary, "\xfe\xff\xff\xff", -2},
      {"one byte", kRegBinary, "\x05", 5},
      {"no bytes", kRegBinary, "", 0},
      {"five bytes", kRegBinary, "\x01\x02\x03\x04\x05", 99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RawSet("n", c.type, c.bytes);
    EXPECT_EQ(reg_.GetDWORD("n", 99), c.expected);
  }
}

TEST_F(ClsRegEditTest, SetDWordStoresFourLittleEndianBytes) {
  EXPECT_TRUE(reg_.SetDWORD("n", -1));
  EXPECT_EQ(RawGet("n"), std::make_pair(kRegDword, std::string("\xff\xff\xff\xff")));
  EXPECT_EQ(reg_.GetDWORD("n", 0), -1);
  EXPECT_TRUE(reg_.SetDWORD("n", 0x01020304));
  EXPECT_EQ(RawGet("n").second, "\x04\x03\x02\x01");
}

TEST_F(ClsRegEditTest, BinaryValuesRoundTrip) {
  std::vector<std::uint8_t> bytes;
  RawSet("empty", kRegBinary, "");
  bytes = {9};
  EXPECT_EQ(reg_.GetBinary("empty", &bytes), 0);
  EXPECT_TRUE(bytes.empty());

  const std::vector<std::uint8_t> data = {0, 1, 2, 0xff, 4};
  EXPECT_TRUE(reg_.SetBinary("b", data, 3));
  EXPECT_EQ(RawGet("b"), std::make_pair(kRegBinary, std::string("\0\1\2", 3)));
  EXPECT_EQ(reg_.GetBinary("b", &bytes), 3);
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0, 1, 2}));

  RawSet("big", kRegBinary, std::string(4096, 'x'));
  EXPECT_EQ(reg_.GetBinary("big", &bytes), 4096);
  EXPECT_EQ(bytes.size(), 4096u);
  RawSet("big", kRegBinary, std::string(4097, 'x'));
  EXPECT_EQ(reg_.GetBinary("big", &bytes), 0);
  EXPECT_TRUE(bytes.empty());
}

TEST_F(ClsRegEditTest, SetBinaryWritesNothingForAnEmptyArrayOrABadLength) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::int32_t length;
  };
  const Case cases[] = {
      {"empty array", {}, 0},
      {"negative length", {1, 2}, -1},
      {"length past the array", {1, 2}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(reg_.SetBinary("b", c.bytes, c.length));
    EXPECT_EQ(RawGet("b").first, 0xFFFFu);
  }
  EXPECT_TRUE(KeyExists(kKey));  // the key was created before the check
  EXPECT_TRUE(reg_.SetBinary("b", {1, 2}, 0));
  EXPECT_EQ(RawGet("b"), std::make_pair(kRegBinary, std::string()));
}

TEST_F(ClsRegEditTest, EnumeratesNamesIntoAnArrayOfExactlyThatSize) {
  std::vector<std::string> names = {"old"};
  RawSet("keep", kRegBinary, "");  // the key exists, with no sub-keys
  EXPECT_EQ(reg_.EnumSubKey(&names), 0);
  EXPECT_EQ(names, std::vector<std::string>{"old"});

  for (const char* name : {"", "one", "two"}) RawSet(name, kRegBinary, "x");
  reg_.DeleteValueName("keep");
  names = {"a", "b", "c", "d", "e"};
  EXPECT_EQ(reg_.EnumValueName(&names), 3);
  EXPECT_EQ(names, (std::vector<std::string>{"", "one", "two"}));

  clsRegEdit parent(platform_);
  parent.SetRegKey(kHkeyCurrentUser);
  parent.SetSubKey("Software\\ZorvaneTest");
  ASSERT_TRUE(parent.SetDWORD("x", 1));
  clsRegEdit child(platform_);
  child.SetRegKey(kHkeyCurrentUser);
  child.SetSubKey("Software\\ZorvaneTest\\Another");
  ASSERT_TRUE(child.SetDWORD("x", 1));
  EXPECT_EQ(parent.EnumSubKey(&names), 2);
  EXPECT_EQ(names, (std::vector<std::string>{"Another", "Key"}));
}

TEST_F(ClsRegEditTest, EnumerationStopsAtANameOfEightyBytes) {
  for (const std::string& name :
       {std::string("first"), std::string(79, 'b'), std::string(80, 'c'), std::string("last")}) {
    RawSet(name, kRegBinary, "x");
  }
  std::vector<std::string> names;
  EXPECT_EQ(reg_.EnumValueName(&names), 2);
  EXPECT_EQ(names, (std::vector<std::string>{"first", std::string(79, 'b')}));
  // Eighty bytes of the ANSI code page: forty double-byte characters.
  std::string wide;
  for (int i = 0; i < 40; ++i) wide += "日";
  clsRegEdit keys(platform_);
  keys.SetRegKey(kHkeyCurrentUser);
  keys.SetSubKey("Software\\ZorvaneTest");
  ASSERT_TRUE(keys.SetDWORD("x", 1));
  RegHandle key = 0;
  ASSERT_EQ(platform_.RegCreateKey(kHkeyCurrentUser, "Software\\ZorvaneTest\\" + wide, 0x3F, &key),
            kErrorSuccess);
  platform_.RegCloseKey(key);
  EXPECT_EQ(keys.EnumSubKey(&names), 1);  // "Key" sorts first, then the long name stops it
  EXPECT_EQ(names, std::vector<std::string>{"Key"});
}

TEST_F(ClsRegEditTest, DeletesValuesAndSubKeysWithoutSubKeys) {
  RawSet("v", kRegBinary, "x");
  EXPECT_TRUE(reg_.DeleteValueName("V"));
  EXPECT_FALSE(reg_.DeleteValueName("v"));
  clsRegEdit parent(platform_);
  parent.SetRegKey(kHkeyCurrentUser);
  parent.SetSubKey("Software");
  EXPECT_FALSE(parent.DeleteSubKey("ZorvaneTest"));  // it has a sub-key
  parent.SetSubKey("Software\\ZorvaneTest");
  EXPECT_TRUE(parent.DeleteSubKey("key"));
  EXPECT_FALSE(KeyExists(kKey));
}

TEST_F(ClsRegEditTest, AStoreWithGarbageLinesIsNeverOverwritten) {
  const std::string original =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\ZorvaneTest\\Key]\r\n"
      "\"kept\"=\"value\"\r\n"
      "this line is not .reg text\r\n";
  ASSERT_TRUE(reg_.SetString("create", "the folder"));
  platform_.registry_store() = original;
  EXPECT_EQ(reg_.GetString("kept", ""), "value");
  EXPECT_FALSE(reg_.SetString("kept", "changed"));
  EXPECT_FALSE(reg_.SetDWORD("n", 1));
  EXPECT_FALSE(reg_.SetBinary("b", {1}, 1));
  EXPECT_FALSE(reg_.DeleteValueName("kept"));
  EXPECT_EQ(platform_.registry_store(), original);
  EXPECT_EQ(reg_.GetString("kept", ""), "value");
}

// Records how the class calls the registry.
class RecordingPlatform final : public ForwardingPlatform {
 public:
  using ForwardingPlatform::ForwardingPlatform;

  long RegOpenKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                  RegHandle* key) override {
    const long status = ForwardingPlatform::RegOpenKey(root, sub_key, access, key);
    Opened(access, status);
    return status;
  }
  long RegCreateKey(std::uint32_t root, const std::string& sub_key, std::uint32_t access,
                    RegHandle* key) override {
    const long status = ForwardingPlatform::RegCreateKey(root, sub_key, access, key);
    Opened(access, status);
    return status;
  }
  long RegQueryValue(RegHandle key, const std::string& name, std::uint32_t* type,
                     std::uint8_t* buffer, std::uint32_t* size) override {
    query_presets.emplace_back(*type, *size);
    return ForwardingPlatform::RegQueryValue(key, name, type, buffer, size);
  }
  long RegEnumValue(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                    std::string* name) override {
    name_sizes.push_back(name_buffer_size);
    return ForwardingPlatform::RegEnumValue(key, index, name_buffer_size, name);
  }
  long RegCloseKey(RegHandle key) override {
    ++closes;
    return ForwardingPlatform::RegCloseKey(key);
  }

  int opens = 0;
  int closes = 0;
  std::vector<std::uint32_t> accesses;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> query_presets;
  std::vector<std::uint32_t> name_sizes;

 private:
  void Opened(std::uint32_t access, long status) {
    accesses.push_back(access);
    if (status == kErrorSuccess) ++opens;
  }
};

TEST_F(ClsRegEditTest, EveryMemberOpensWithSixRightsAndClosesWhatItOpened) {
  RecordingPlatform recorder(&platform_);
  clsRegEdit reg(recorder);
  reg.SetRegKey(kHkeyCurrentUser);
  reg.SetSubKey(kKey);
  std::vector<std::string> names;
  std::vector<std::uint8_t> bytes;
  const std::function<void()> members[] = {
      [&] { reg.SetString("s", "x"); },    [&] { reg.GetString("s", ""); },
      [&] { reg.SetDWORD("d", 1); },       [&] { reg.GetDWORD("d", 0); },
      [&] { reg.SetBinary("b", {1}, 1); }, [&] { reg.GetBinary("b", &bytes); },
      [&] { reg.EnumValueName(&names); },  [&] { reg.EnumSubKey(&names); },
      [&] { reg.DeleteValueName("s"); },   [&] { reg.DeleteSubKey("none"); },
      [&] { reg.SetBinary("b", {}, 0); },
  };
  for (std::size_t i = 0; i < std::size(members); ++i) {
    SCOPED_TRACE(i);
    recorder.opens = recorder.closes = 0;
    recorder.accesses.clear();
    members[i]();
    EXPECT_EQ(recorder.opens, 1);
    EXPECT_EQ(recorder.closes, 1);
    EXPECT_EQ(recorder.accesses, std::vector<std::uint32_t>{0x3F});
  }
  using Preset = std::pair<std::uint32_t, std::uint32_t>;
  EXPECT_EQ(recorder.query_presets,
            (std::vector<Preset>{{kRegSz, 4096}, {kRegDword, 4}, {kRegBinary, 4096}}));
  EXPECT_FALSE(recorder.name_sizes.empty());
  for (const std::uint32_t size : recorder.name_sizes) EXPECT_EQ(size, 80u);

  reg.SetSubKey("Software\\Missing");
  recorder.opens = recorder.closes = 0;
  reg.GetString("s", "");
  EXPECT_EQ(recorder.closes, 0);  // nothing opened, nothing to close
}

}  // namespace
}  // namespace zorvane
