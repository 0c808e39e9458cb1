#include "platform/tests/registry_contract.h"

#include <cctype>
#include <string_view>

namespace zorvane::testing {

namespace {

constexpr std::uint32_t kAccess = 0x3F;
constexpr std::string_view kTestRoot = "Software\\ZorvaneTest";

std::string Bytes(std::string_view text) { return std::string(text); }

}  // namespace

void PrintTo(const RegistryContractParam& param, std::ostream* out) { *out << param.name; }

std::string RegistryContractParamName(const ::testing::TestParamInfo<RegistryContractParam>& info) {
  return info.param.name;
}

void RegistryContractTest::SetUp() {
  platform_ = GetParam().make_platform();
  std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  base_ = std::string(kTestRoot) + "\\" + name;
  DeleteTree(base_);
}

void RegistryContractTest::TearDown() {
  for (const RegHandle key : open_keys_) platform_->RegCloseKey(key);
  DeleteTree(base_);
  RegHandle root = 0;
  if (platform_->RegOpenKey(kHkeyCurrentUser, "Software", kAccess, &root) == kErrorSuccess) {
    platform_->RegDeleteKey(root, "ZorvaneTest");  // only when no other test uses it
    platform_->RegCloseKey(root);
  }
}

RegHandle RegistryContractTest::CreateKey(const std::string& sub_key) {
  RegHandle key = 0;
  const std::string path = sub_key.empty() ? base_ : base_ + "\\" + sub_key;
  EXPECT_EQ(platform_->RegCreateKey(kHkeyCurrentUser, path, kAccess, &key), kErrorSuccess) << path;
  open_keys_.push_back(key);
  return key;
}

long RegistryContractTest::Set(RegHandle key, const std::string& name, std::uint32_t type,
                               const std::string& bytes) {
  return platform_->RegSetValue(key, name, type,
                                reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                static_cast<std::uint32_t>(bytes.size()));
}

long RegistryContractTest::Query(RegHandle key, const std::string& name, std::uint32_t buffer_size,
                                 std::uint32_t* type, std::string* bytes, std::uint32_t* size) {
  std::string buffer(buffer_size + 1, '\xEE');  // one byte more, to see nothing runs over
  *size = buffer_size;
  *type = 0xFFFF;
  const long status = platform_->RegQueryValue(
      key, name, type, reinterpret_cast<std::uint8_t*>(buffer.data()), size);
  EXPECT_EQ(buffer.back(), '\xEE') << "wrote past the buffer";
  buffer.pop_back();
  *bytes = buffer;
  return status;
}

void RegistryContractTest::DeleteTree(const std::string& path) {
  RegHandle key = 0;
  if (platform_->RegOpenKey(kHkeyCurrentUser, path, kAccess, &key) != kErrorSuccess) return;
  std::string child;
  while (platform_->RegEnumKey(key, 0, 1024, &child) == kErrorSuccess) {
    DeleteTree(path + "\\" + child);
    std::string still_first;
    if (platform_->RegEnumKey(key, 0, 1024, &still_first) == kErrorSuccess &&
        still_first == child) {
      break;  // it could not be deleted: stop rather than loop for ever
    }
  }
  platform_->RegCloseKey(key);
  const std::size_t slash = path.rfind('\\');
  RegHandle parent = 0;
  if (platform_->RegOpenKey(kHkeyCurrentUser, path.substr(0, slash), kAccess, &parent) ==
      kErrorSuccess) {
    platform_->RegDeleteKey(parent, path.substr(slash + 1));
    platform_->RegCloseKey(parent);
  }
}

// ---- Opening and creating ---------------------------------------------------------------

TEST_P(RegistryContractTest, OpeningAMissingKeyIsFileNotFound) {
  CreateKey("");
  RegHandle key = 0;
  EXPECT_EQ(platform().RegOpenKey(kHkeyCurrentUser, base() + "\\Missing", kAccess, &key),
            kErrorFileNotFound);
}

TEST_P(RegistryContractTest, CreateMakesEveryMissingKeyAndOpenFindsThem) {
  CreateKey("a\\b\\c");
  for (const char* path : {"a", "a\\b", "a\\b\\c", "A\\B"}) {
    SCOPED_TRACE(path);
    RegHandle key = 0;
    ASSERT_EQ(platform().RegOpenKey(kHkeyCurrentUser, base() + "\\" + path, kAccess, &key),
              kErrorSuccess);
    EXPECT_EQ(platform().RegCloseKey(key), kErrorSuccess);
  }
}

TEST_P(RegistryContractTest, CreateOpensAnExistingKeyWithItsValues) {
  ASSERT_EQ(Set(CreateKey("k"), "v", kRegDword, Bytes("\x01\x02\x03\x04")), kErrorSuccess);
  const RegHandle again = CreateKey("K");
  std::uint32_t type = 0, size = 0;
  std::string bytes;
  ASSERT_EQ(Query(again, "v", 16, &type, &bytes, &size), kErrorSuccess);
  EXPECT_EQ(bytes.substr(0, size), "\x01\x02\x03\x04");
}

TEST_P(RegistryContractTest, OpensWithReadControlRightsToo) {
  CreateKey("k");
  RegHandle key = 0;
  ASSERT_EQ(platform().RegOpenKey(kHkeyCurrentUser, base() + "\\k", 0x2003F, &key), kErrorSuccess);
  platform().RegCloseKey(key);
}

// ---- Setting and querying -----------------------------------------------------------------

TEST_P(RegistryContractTest, ValuesComeBackWithTheirTypeAndBytes) {
  struct Case {
    const char* name;
    std::uint32_t type;
    std::string bytes;
  };
  const Case cases[] = {
      {"text", kRegSz, Bytes(std::string_view("abc\0", 4))},
      {"empty text", kRegSz, Bytes(std::string_view("\0", 1))},
      {"japanese", kRegSz, Bytes(std::string_view("\x93\xfa\x96\x7b\xb1\0", 6))},  // 日本ｱ
      {"expandable", kRegExpandSz, Bytes(std::string_view("%HOME%\\x\0", 9))},
      {"multi", kRegMultiSz, Bytes(std::string_view("a\0bc\0\0", 6))},
      {"number", kRegDword, Bytes("\xff\xff\xff\xff")},
      {"bytes", kRegBinary, Bytes(std::string_view("\x00\x01\xfe\xff", 4))},
      {"no bytes", kRegBinary, ""},
      {"", kRegSz, Bytes(std::string_view("default\0", 8))},
      {"odd type", 0x100, Bytes("xyz")},
  };
  const RegHandle key = CreateKey("k");
  for (const Case& c : cases) ASSERT_EQ(Set(key, c.name, c.type, c.bytes), kErrorSuccess);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint32_t type = 0, size = 0;
    std::string bytes;
    ASSERT_EQ(Query(key, c.name, 64, &type, &bytes, &size), kErrorSuccess);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(bytes.substr(0, size), c.bytes);
  }
}

TEST_P(RegistryContractTest, QueryingAMissingValueIsFileNotFound) {
  const RegHandle key = CreateKey("k");
  std::uint32_t type = 0, size = 0;
  std::string bytes;
  EXPECT_EQ(Query(key, "missing", 16, &type, &bytes, &size), kErrorFileNotFound);
}

TEST_P(RegistryContractTest, TooSmallABufferIsMoreDataWithTheNeededSize) {
  const RegHandle key = CreateKey("k");
  ASSERT_EQ(Set(key, "text", kRegSz, Bytes(std::string_view("abc\0", 4))), kErrorSuccess);
  ASSERT_EQ(Set(key, "big", kRegBinary, std::string(5000, 'x')), kErrorSuccess);
  std::uint32_t type = 0, size = 0;
  std::string bytes;
  EXPECT_EQ(Query(key, "text", 3, &type, &bytes, &size), kErrorMoreData);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(Query(key, "big", 4096, &type, &bytes, &size), kErrorMoreData);
  EXPECT_EQ(size, 5000u);
}

TEST_P(RegistryContractTest, StringWithoutNulFitsExactlyAndGetsOneWhenThereIsRoom) {
  const RegHandle key = CreateKey("k");
  // The byte after the counted ones is not NUL, so no platform may take a NUL from it.
  const std::string data = "abcX";
  ASSERT_EQ(platform().RegSetValue(key, "t", kRegSz,
                                   reinterpret_cast<const std::uint8_t*>(data.data()), 3),
            kErrorSuccess);
  std::uint32_t type = 0, size = 0;
  std::string bytes;
  ASSERT_EQ(Query(key, "t", 3, &type, &bytes, &size), kErrorSuccess);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(bytes, "abc");
  ASSERT_EQ(Query(key, "t", 8, &type, &bytes, &size), kErrorSuccess);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("abc\0", 4));
}

TEST_P(RegistryContractTest, SettingAgainReplacesDataAndType) {
  const RegHandle key = CreateKey("k");
  ASSERT_EQ(Set(key, "v", kRegSz, Bytes(std::string_view("long text\0", 10))), kErrorSuccess);
  ASSERT_EQ(Set(key, "V", kRegDword, Bytes(std::string_view("\x07\0\0\0", 4))), kErrorSuccess);
  std::uint32_t type = 0, size = 0;
  std::string bytes;
  ASSERT_EQ(Query(key, "v", 64, &type, &bytes, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(bytes.substr(0, size), Bytes(std::string_view("\x07\0\0\0", 4)));
}

TEST_P(RegistryContractTest, AValueSetThroughOneHandleIsSeenThroughAnother) {
  const RegHandle first = CreateKey("k");
  RegHandle second = 0;
  ASSERT_EQ(platform().RegOpenKey(kHkeyCurrentUser, base() + "\\k", kAccess, &second),
            kErrorSuccess);
  ASSERT_EQ(Set(first, "v", kRegBinary, "x"), kErrorSuccess);
  std::uint32_t type = 0, size = 0;
  std::string bytes;
  EXPECT_EQ(Query(second, "v", 8, &type, &bytes, &size), kErrorSuccess);
  platform().RegCloseKey(second);
}

// ---- Deleting ------------------------------------------------------------------------------

TEST_P(RegistryContractTest, DeletingAValueRemovesIt) {
  const RegHandle key = CreateKey("k");
  ASSERT_EQ(Set(key, "Name", kRegBinary, "x"), kErrorSuccess);
  EXPECT_EQ(platform().RegDeleteValue(key, "NAME"), kErrorSuccess);
  std::uint32_t type = 0, size = 0;
  std::string bytes;
  EXPECT_EQ(Query(key, "Name", 8, &type, &bytes, &size), kErrorFileNotFound);
  EXPECT_EQ(platform().RegDeleteValue(key, "Name"), kErrorFileNotFound);
}

TEST_P(RegistryContractTest, DeletingAKeyWithSubKeysIsRefused) {
  const RegHandle base_key = CreateKey("");
  CreateKey("parent\\child");
  EXPECT_EQ(platform().RegDeleteKey(base_key, "parent"), kErrorAccessDenied);
  EXPECT_EQ(platform().RegDeleteKey(base_key, "parent\\child"), kErrorSuccess);
  EXPECT_EQ(platform().RegDeleteKey(base_key, "PARENT"), kErrorSuccess);
  EXPECT_EQ(platform().RegDeleteKey(base_key, "parent"), kErrorFileNotFound);
  RegHandle key = 0;
  EXPECT_EQ(platform().RegOpenKey(kHkeyCurrentUser, base() + "\\parent", kAccess, &key),
            kErrorFileNotFound);
}

TEST_P(RegistryContractTest, AHandleToADeletedKeyNoLongerReads) {
  const RegHandle base_key = CreateKey("");
  const RegHandle doomed = CreateKey("doomed");
  ASSERT_EQ(Set(doomed, "v", kRegBinary, "x"), kErrorSuccess);
  ASSERT_EQ(platform().RegDeleteKey(base_key, "doomed"), kErrorSuccess);
  std::uint32_t type = 0, size = 0;
  std::string bytes;
  EXPECT_NE(Query(doomed, "v", 8, &type, &bytes, &size), kErrorSuccess);
}

// ---- Enumerating ---------------------------------------------------------------------------

TEST_P(RegistryContractTest, EnumeratesValueNamesThenNoMoreItems) {
  const RegHandle key = CreateKey("k");
  std::string name;
  EXPECT_EQ(platform().RegEnumValue(key, 0, 80, &name), kErrorNoMoreItems);
  // Created in name order: every platform then enumerates them in this order.
  for (const char* value : {"", "alpha", "beta"}) {
    ASSERT_EQ(Set(key, value, kRegBinary, "x"), kErrorSuccess);
  }
  const char* expected[] = {"", "alpha", "beta"};
  for (std::uint32_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(platform().RegEnumValue(key, i, 80, &name), kErrorSuccess);
    EXPECT_EQ(name, expected[i]);
  }
  EXPECT_EQ(platform().RegEnumValue(key, 3, 80, &name), kErrorNoMoreItems);
}

TEST_P(RegistryContractTest, EnumeratesSubKeysSortedWithoutRegardToCase) {
  const RegHandle key = CreateKey("k");
  for (const char* sub : {"Gamma", "alpha", "Beta"}) CreateKey(std::string("k\\") + sub);
  const char* expected[] = {"alpha", "Beta", "Gamma"};
  std::string name;
  for (std::uint32_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(platform().RegEnumKey(key, i, 80, &name), kErrorSuccess);
    EXPECT_EQ(name, expected[i]);
  }
  EXPECT_EQ(platform().RegEnumKey(key, 3, 80, &name), kErrorNoMoreItems);
}

TEST_P(RegistryContractTest, ANameNeedsRoomForItsNul) {
  const RegHandle key = CreateKey("k");
  ASSERT_EQ(Set(key, "abcd", kRegBinary, "x"), kErrorSuccess);
  CreateKey("k\\\xe6\x97\xa5\xe6\x9c\xac");  // 日本: four bytes in code page 932
  struct Case {
    std::uint32_t size;
    long status;
  };
  for (const Case& c : {Case{4, kErrorMoreData}, Case{5, kErrorSuccess}}) {
    SCOPED_TRACE(c.size);
    std::string name;
    EXPECT_EQ(platform().RegEnumValue(key, 0, c.size, &name), c.status);
    EXPECT_EQ(platform().RegEnumKey(key, 0, c.size, &name), c.status);
    if (c.status == kErrorSuccess) {
      EXPECT_EQ(name, "\xe6\x97\xa5\xe6\x9c\xac");
    }
  }
}

}  // namespace zorvane::testing
