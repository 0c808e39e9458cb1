// The POSIX registry store: the registry contract over it (in a file and in memory), and
// what only a file-backed store has (persistence, hand edits, defaults, refusing to overwrite what
// it cannot read, atomic replacement).
#include "platform/posix/posix_registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/memory/memory_platform.h"
#include "platform/tests/registry_contract.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;

using testing::RegistryContractTest;

// The store as the program uses it (a file in the tests' own home folder), and the same
// engine over the store the test platform keeps in memory.
INSTANTIATE_TEST_SUITE_P(
    Posix, RegistryContractTest,
    ::testing::Values(testing::RegistryContractParam{"PosixFile",
                                                     [] { return CreateDefaultPlatform(); }},
                      testing::RegistryContractParam{
                          "Memory", [] { return std::make_unique<MemoryPlatform>(); }}),
    testing::RegistryContractParamName);

constexpr std::uint32_t kAccess = 0x3F;
constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

class PosixRegistryTest : public ::testing::Test {
 protected:
  PosixRegistryTest() {
    std::string pattern = (fs::temp_directory_path() / "zorvane-store-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    store_ = folder_ + "/registry.reg";
    home_ = folder_ + "/home";
  }
  ~PosixRegistryTest() override { fs::remove_all(folder_); }

  std::unique_ptr<PosixRegistry> Make() { return std::make_unique<PosixRegistry>(store_, home_); }

  void WriteStore(const std::string& bytes) { std::ofstream(store_, std::ios::binary) << bytes; }
  std::optional<std::string> ReadStore() {
    std::ifstream in(store_, std::ios::binary);
    if (!in) return std::nullopt;
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  static RegHandle Create(PosixRegistry& reg, std::uint32_t root, const std::string& path) {
    RegHandle key = 0;
    EXPECT_EQ(reg.RegCreateKey(root, path, kAccess, &key), kErrorSuccess);
    return key;
  }
  static std::optional<RegHandle> Open(PosixRegistry& reg, const std::string& path) {
    RegHandle key = 0;
    if (reg.RegOpenKey(kHkeyCurrentUser, path, kAccess, &key) != kErrorSuccess) return std::nullopt;
    return key;
  }
  static long Set(PosixRegistry& reg, RegHandle key, const std::string& name, std::uint32_t type,
                  std::string_view bytes) {
    return reg.RegSetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           static_cast<std::uint32_t>(bytes.size()));
  }
  // The value's ANSI bytes, or nullopt when the query fails.
  static std::optional<std::string> Get(PosixRegistry& reg, RegHandle key, const std::string& name,
                                        std::uint32_t* type = nullptr) {
    std::string buffer(8192, '\0');
    std::uint32_t size = 8192, stored_type = 0;
    if (reg.RegQueryValue(key, name, &stored_type, reinterpret_cast<std::uint8_t*>(buffer.data()),
                          &size) != kErrorSuccess) {
      return std::nullopt;
    }
    if (type != nullptr) *type = stored_type;
    return buffer.substr(0, size);
  }
  static std::vector<std::string> ValueNames(PosixRegistry& reg, RegHandle key) {
    std::vector<std::string> names;
    std::string name;
    while (reg.RegEnumValue(key, static_cast<std::uint32_t>(names.size()), 256, &name) ==
           kErrorSuccess) {
      names.push_back(name);
    }
    return names;
  }

  std::string folder_, store_, home_;
};

TEST_F(PosixRegistryTest, WritesAFileThatAnotherInstanceReads) {
  {
    auto reg = Make();
    const RegHandle key = Create(*reg, kHkeyCurrentUser, "Software\\Test");
    ASSERT_EQ(Set(*reg, key, "Text", kRegSz, std::string_view("a\"b\\c\0", 6)), kErrorSuccess);
    ASSERT_EQ(Set(*reg, key, "Num", kRegDword, std::string_view("\x00\x01\x00\x00", 4)),
              kErrorSuccess);
    ASSERT_EQ(Set(*reg, key, "", kRegBinary, "\x11\x22"), kErrorSuccess);
    ASSERT_EQ(Set(*reg, key, "Path", kRegExpandSz, std::string_view("%X%\0", 4)), kErrorSuccess);
    ASSERT_EQ(Set(*reg, key, "Bare", kRegSz, "ab"), kErrorSuccess);
    reg->RegCloseKey(key);
    const RegHandle machine = Create(*reg, kHkeyLocalMachine, "Software\\M");
    ASSERT_EQ(Set(*reg, machine, "j", kRegSz, std::string_view("\x93\xfa\0", 3)), kErrorSuccess);
  }
  EXPECT_EQ(ReadStore(),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
            "\"Text\"=\"a\\\"b\\\\c\"\r\n"
            "\"Num\"=dword:00000100\r\n"
            "@=hex:11,22\r\n"
            "\"Path\"=hex(2):25,00,58,00,25,00,00,00\r\n"
            "\"Bare\"=hex(1):61,00,62,00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\M]\r\n"
            "\"j\"=\"日\"\r\n\r\n");
  auto reg = Make();
  const auto key = Open(*reg, "software\\test");
  ASSERT_TRUE(key);
  std::uint32_t type = 0;
  EXPECT_EQ(Get(*reg, *key, "text", &type), std::string("a\"b\\c\0", 6));
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(Get(*reg, *key, "Bare"), "ab");
  EXPECT_EQ(Get(*reg, *key, "Path", &type), std::string("%X%\0", 4));
  EXPECT_EQ(type, kRegExpandSz);
}

TEST_F(PosixRegistryTest, SeesEditsByHandOnTheNextOpen) {
  WriteStore("Windows Registry Editor Version 5.00\n[HKCU\\A]\n\"v\"=\"one\"\n");
  auto reg = Make();
  auto key = Open(*reg, "A");
  ASSERT_TRUE(key);
  EXPECT_EQ(Get(*reg, *key, "v"), std::string("one\0", 4));
  WriteStore("Windows Registry Editor Version 5.00\n[HKCU\\A]\n\"v\"=\"two\"\n");
  key = Open(*reg, "A");
  ASSERT_TRUE(key);
  EXPECT_EQ(Get(*reg, *key, "v"), std::string("two\0", 4));
}

TEST_F(PosixRegistryTest, AMissingStoreAnswersTheFavoritesFolderAndStaysMissing) {
  auto reg = Make();
  const auto key = Open(*reg, kShellFolders);
  ASSERT_TRUE(key);
  std::uint32_t type = 0;
  EXPECT_EQ(Get(*reg, *key, "Favorites", &type), home_ + "/Favorites" + std::string(1, '\0'));
  EXPECT_EQ(type, kRegExpandSz);
  EXPECT_EQ(ValueNames(*reg, *key), std::vector<std::string>{"Favorites"});
  EXPECT_FALSE(ReadStore());
}

TEST_F(PosixRegistryTest, TheDefaultIsNotWrittenButFollowsTheHomeFolder) {
  {
    auto reg = Make();
    Create(*reg, kHkeyCurrentUser, "Software\\Other");
  }
  const std::optional<std::string> file = ReadStore();
  ASSERT_TRUE(file);
  EXPECT_EQ(file->find("Favorites"), std::string::npos);
  EXPECT_EQ(file->find("Microsoft"), std::string::npos);

  PosixRegistry moved(store_, "/elsewhere");
  RegHandle key = 0;
  ASSERT_EQ(moved.RegOpenKey(kHkeyCurrentUser, kShellFolders, kAccess, &key), kErrorSuccess);
  EXPECT_EQ(Get(moved, key, "Favorites"), std::string("/elsewhere/Favorites\0", 21));
}

TEST_F(PosixRegistryTest, TheStoresOwnValueWinsOverTheDefault) {
  WriteStore(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell "
      "Folders]\r\n\"favorites\"=\"/data/fav\"\r\n");
  auto reg = Make();
  const auto key = Open(*reg, kShellFolders);
  ASSERT_TRUE(key);
  std::uint32_t type = 0;
  EXPECT_EQ(Get(*reg, *key, "Favorites", &type), std::string("/data/fav\0", 10));
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(ValueNames(*reg, *key).size(), 1u);
}

TEST_F(PosixRegistryTest, DeletingTheDefaultLasts) {
  {
    auto reg = Make();
    const auto key = Open(*reg, kShellFolders);
    ASSERT_TRUE(key);
    EXPECT_EQ(reg->RegDeleteValue(*key, "Favorites"), kErrorSuccess);
    EXPECT_FALSE(Get(*reg, *key, "Favorites"));
  }
  EXPECT_NE(ReadStore().value_or("").find("\"Favorites\"=-\r\n"), std::string::npos);
  {
    auto reg = Make();
    const auto key = Open(*reg, kShellFolders);
    ASSERT_TRUE(key);
    EXPECT_FALSE(Get(*reg, *key, "Favorites"));
    // Setting it again makes it the store's own value.
    ASSERT_EQ(Set(*reg, *key, "Favorites", kRegSz, std::string_view("/f\0", 3)), kErrorSuccess);
  }
  auto reg = Make();
  const auto key = Open(*reg, kShellFolders);
  ASSERT_TRUE(key);
  EXPECT_EQ(Get(*reg, *key, "Favorites"), std::string("/f\0", 3));
}

TEST_F(PosixRegistryTest, DeletingTheKeyOfTheDefaultLasts) {
  {
    auto reg = Make();
    const auto explorer = Open(*reg, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer");
    ASSERT_TRUE(explorer);
    EXPECT_EQ(reg->RegDeleteKey(*explorer, "user shell folders"), kErrorSuccess);
  }
  EXPECT_NE(ReadStore().value_or("").find(
                "[-HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\user "
                "shell folders]\r\n"),
            std::string::npos);
  auto reg = Make();
  EXPECT_FALSE(Open(*reg, kShellFolders));
  // Made again, the key is a new, empty key.
  const RegHandle key = Create(*reg, kHkeyCurrentUser, kShellFolders);
  EXPECT_TRUE(ValueNames(*reg, key).empty());
}

TEST_F(PosixRegistryTest, AStoreWithLinesItCannotParseIsNeverWritten) {
  const std::string original =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Keep]\r\n"
      "\"good\"=dword:00000007\r\n"
      "\"bad\"=dword:not a number\r\n"
      "[HKEY_CURRENT_USER\\Keep\\Child]\r\n";
  WriteStore(original);
  auto reg = Make();
  std::vector<std::string> diagnostics;
  reg->SetDiagnose([&](const std::string& line) { diagnostics.push_back(line); });
  const auto key = Open(*reg, "Keep");
  ASSERT_TRUE(key);
  EXPECT_EQ(Get(*reg, *key, "good"), std::string("\x07\0\0\0", 4));  // reads see the rest
  RegHandle created = 0;
  EXPECT_EQ(Set(*reg, *key, "new", kRegBinary, "x"), kErrorWriteFault);
  EXPECT_EQ(reg->RegDeleteValue(*key, "good"), kErrorWriteFault);
  EXPECT_EQ(reg->RegDeleteKey(*key, "Child"), kErrorWriteFault);
  EXPECT_EQ(reg->RegCreateKey(kHkeyCurrentUser, "Keep\\New", kAccess, &created), kErrorWriteFault);
  EXPECT_EQ(Get(*reg, *key, "good"), std::string("\x07\0\0\0", 4));  // the refused delete
  EXPECT_EQ(ReadStore(), original);
  // Opening an existing key changes nothing, so it still works.
  EXPECT_EQ(reg->RegCreateKey(kHkeyCurrentUser, "Keep\\Child", kAccess, &created), kErrorSuccess);
  // The user is told once, however often the store is read.
  ASSERT_EQ(diagnostics.size(), 1u);
  EXPECT_TRUE(diagnostics[0].starts_with(store_ + ": line 5 cannot be parsed (")) << diagnostics[0];
}

TEST_F(PosixRegistryTest, AStoreItCannotReadIsNeverReplaced) {
  fs::create_directory(store_);
  auto reg = Make();
  RegHandle key = 0;
  EXPECT_EQ(reg->RegCreateKey(kHkeyCurrentUser, "A", kAccess, &key), kErrorWriteFault);
  EXPECT_TRUE(fs::is_directory(store_));
}

// A store made read-only is left as it is, as a read-only profile file is.
TEST_F(PosixRegistryTest, AReadOnlyStoreIsNeverReplaced) {
  const std::string original = "Windows Registry Editor Version 5.00\r\n\r\n";
  WriteStore(original);
  ::chmod(store_.c_str(), 0444);
  if (::access(store_.c_str(), W_OK) == 0) GTEST_SKIP() << "this user writes read-only files";
  auto reg = Make();
  RegHandle key = 0;
  EXPECT_EQ(reg->RegCreateKey(kHkeyCurrentUser, "A", kAccess, &key), kErrorWriteFault);
  EXPECT_EQ(ReadStore(), original);
}

TEST_F(PosixRegistryTest, ReplacesTheFileWholeInAFolderItCreates) {
  const std::string nested = folder_ + "/a/b/registry.reg";
  {
    PosixRegistry reg(nested, home_);
    const RegHandle key = Create(reg, kHkeyCurrentUser, "A");
    ASSERT_EQ(Set(reg, key, "v", kRegBinary, "x"), kErrorSuccess);
    ::chmod(nested.c_str(), 0640);
    ASSERT_EQ(Set(reg, key, "w", kRegBinary, "y"), kErrorSuccess);
  }
  struct stat info;
  ASSERT_EQ(::stat(nested.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder_ + "/a/b")) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"registry.reg"});  // no temporary file left
}

// The temporary file beside the store has a name of its own length, so a store whose
// name nearly fills the file system's limit can still be replaced.
TEST_F(PosixRegistryTest, ReplacesAStoreWhoseNameIsNearlyAsLongAsAllowed) {
  const std::string long_store = folder_ + "/" + std::string(250, 'r') + ".reg";
  PosixRegistry reg(long_store, home_);
  const RegHandle key = Create(reg, kHkeyCurrentUser, "A");
  ASSERT_EQ(Set(reg, key, "v", kRegBinary, "x"), kErrorSuccess);
  EXPECT_TRUE(fs::is_regular_file(long_store));
}

TEST_F(PosixRegistryTest, WritesOnlyWhenSomethingChanges) {
  auto reg = Make();
  const RegHandle key = Create(*reg, kHkeyCurrentUser, "A");
  ASSERT_EQ(Set(*reg, key, "v", kRegBinary, "x"), kErrorSuccess);
  struct stat before, after;
  ASSERT_EQ(::stat(store_.c_str(), &before), 0);
  Create(*reg, kHkeyCurrentUser, "a");
  ASSERT_EQ(Set(*reg, key, "V", kRegBinary, "x"), kErrorSuccess);
  ASSERT_EQ(::stat(store_.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
  ASSERT_EQ(Set(*reg, key, "v", kRegBinary, "y"), kErrorSuccess);
  ASSERT_EQ(::stat(store_.c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);
}

TEST_F(PosixRegistryTest, ValuesKeepTheOrderInWhichTheyWereFirstSet) {
  auto reg = Make();
  const RegHandle key = Create(*reg, kHkeyCurrentUser, "A");
  for (const char* name : {"b", "a", "c", "A"}) ASSERT_EQ(Set(*reg, key, name, 3, "x"), 0);
  EXPECT_EQ(ValueNames(*reg, key), (std::vector<std::string>{"b", "a", "c"}));
  ASSERT_EQ(reg->RegDeleteValue(key, "a"), kErrorSuccess);
  ASSERT_EQ(Set(*reg, key, "a", 3, "x"), kErrorSuccess);
  EXPECT_EQ(ValueNames(*reg, key), (std::vector<std::string>{"b", "c", "a"}));
  auto again = Make();
  const auto reopened = Open(*again, "A");
  ASSERT_TRUE(reopened);
  EXPECT_EQ(ValueNames(*again, *reopened), (std::vector<std::string>{"b", "c", "a"}));
}

TEST_F(PosixRegistryTest, NamesAreWhatTheAnsiCodePageCanHold) {
  auto reg = Make();
  const RegHandle key = Create(*reg, kHkeyCurrentUser, "caf\xc3\xa9");  // café
  ASSERT_EQ(Set(*reg, key, "na\xc3\xafve", 3, "x"), kErrorSuccess);
  EXPECT_EQ(ValueNames(*reg, key), std::vector<std::string>{"na?ve"});
  EXPECT_TRUE(Get(*reg, key, "na?ve"));
  EXPECT_TRUE(Open(*reg, "caf?"));
}

TEST_F(PosixRegistryTest, OnlyTheTwoRootsAndOpenKeysAreHandles) {
  auto reg = Make();
  RegHandle key = 0;
  for (const std::uint32_t root : {0u, 0x80000000u, 0x80000003u, 12345u}) {
    SCOPED_TRACE(root);
    EXPECT_EQ(reg->RegOpenKey(root, "", kAccess, &key), kErrorInvalidHandle);
    EXPECT_EQ(reg->RegCreateKey(root, "x", kAccess, &key), kErrorInvalidHandle);
  }
  EXPECT_EQ(reg->RegCloseKey(4711), kErrorInvalidHandle);
  const RegHandle machine = Create(*reg, kHkeyLocalMachine, "Software\\Sys");
  RegHandle child = 0;
  EXPECT_EQ(reg->RegCreateKey(static_cast<std::uint32_t>(machine), "Child", kAccess, &child),
            kErrorSuccess);
  EXPECT_EQ(reg->RegOpenKey(kHkeyLocalMachine, "software\\sys\\child", kAccess, &key),
            kErrorSuccess);
  EXPECT_EQ(reg->RegCloseKey(key), kErrorSuccess);
  EXPECT_EQ(reg->RegCloseKey(key), kErrorInvalidHandle);
  EXPECT_EQ(reg->RegDeleteKey(machine, ""), kErrorAccessDenied);  // it has a sub-key
}

TEST_F(PosixRegistryTest, AQueryWithoutABufferGivesTheSize) {
  auto reg = Make();
  const RegHandle key = Create(*reg, kHkeyCurrentUser, "A");
  ASSERT_EQ(Set(*reg, key, "t", kRegSz, std::string_view("\x93\xfa\x96\x7b\0", 5)), kErrorSuccess);
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(reg->RegQueryValue(key, "t", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(type, kRegSz);
}

TEST(PosixRegistryStorePathTest, FollowsTheEnvironment) {
  struct Case {
    const char* registry;
    const char* xdg;
    const char* home;
    std::string expected;
  };
  const Case cases[] = {
      {"/r/store.reg", "/x", "/h", "/r/store.reg"},
      {nullptr, "/x", "/h", "/x/zorvane/registry.reg"},
      {"", "", "/h", "/h/.config/zorvane/registry.reg"},
      {nullptr, nullptr, "/h/", "/h/.config/zorvane/registry.reg"},
  };
  const auto keep = [](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  };
  const auto put = [](const char* name, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  };
  const auto registry = keep("ZORVANE_REGISTRY"), xdg = keep("XDG_CONFIG_HOME"),
             home = keep("HOME");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    put("ZORVANE_REGISTRY", c.registry ? std::optional<std::string>(c.registry) : std::nullopt);
    put("XDG_CONFIG_HOME", c.xdg ? std::optional<std::string>(c.xdg) : std::nullopt);
    put("HOME", c.home ? std::optional<std::string>(c.home) : std::nullopt);
    EXPECT_EQ(PosixRegistry::DefaultStorePath(), c.expected);
  }
  put("ZORVANE_REGISTRY", registry);
  put("XDG_CONFIG_HOME", xdg);
  put("HOME", home);
}

}  // namespace
}  // namespace zorvane
