#include "formats/reg_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorvane::regtree {
namespace {

regfile::Document Read(const std::string& body) {
  const regfile::Document document =
      regfile::Parse("Windows Registry Editor Version 5.00\r\n\r\n" + body);
  EXPECT_TRUE(document.errors.empty());
  return document;
}

// The file text that the tree writes, without its header.
std::string Written(const KeyTree& tree) { return regfile::Serialize(tree.ToBlocks()).substr(40); }

DefaultValue Favorites() {
  return DefaultValue{Root::kCurrentUser, {"Software", "Shell"}, "Favorites", 1, "F\0\0\0"};
}

TEST(RegTreeTest, NamesCompareWithoutRegardToCase) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"Software", "SOFTWARE", true},
      {"\xc3\xa4", "\xc3\x84", true},  // ä Ä
      {"ｆａｖ", "ＦＡＶ", true},
      {"ω", "Ω", true},
      {"д", "Д", true},
      {"a", "b", false},
      {"ß", "SS", false},
      {"日本", "日本", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " " + c.b);
    EXPECT_EQ(FoldName(c.a) == FoldName(c.b), c.same);
  }
}

TEST(RegTreeTest, LoadingAppliesBlocksInFileOrder) {
  KeyTree tree({});
  tree.Load(
      Read("[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"\r\n\"y\"=\"2\"\r\n"
           "[HKEY_CURRENT_USER\\a]\r\n\"X\"=dword:3\r\n\"y\"=-\r\n"
           "[HKEY_CURRENT_USER\\A\\Sub]\r\n"
           "[-HKEY_CURRENT_USER\\A\\SUB]\r\n"));
  Key* key = tree.Find(Root::kCurrentUser, {"A"});
  ASSERT_NE(key, nullptr);
  ASSERT_NE(key->ValueAt(0), nullptr);
  EXPECT_EQ(key->ValueAt(0)->name, "x");  // first spelling and place kept
  EXPECT_EQ(key->ValueAt(0)->type, 4u);
  EXPECT_EQ(key->ValueAt(1), nullptr);
  EXPECT_EQ(key->FindValue("y"), nullptr);
  EXPECT_TRUE(key->sub_keys.empty());
}

TEST(RegTreeTest, WritesKeysDepthFirstInNameOrder) {
  KeyTree tree({});
  for (const char* name : {"b", "A", "C"}) tree.Create(Root::kLocalMachine, {"S", name});
  tree.Create(Root::kCurrentUser, {"Z"});
  tree.SetValue(Root::kCurrentUser, {}, "top", 3, "\x01");
  EXPECT_EQ(Written(tree),
            "[HKEY_CURRENT_USER]\r\n\"top\"=hex:01\r\n\r\n"
            "[HKEY_CURRENT_USER\\Z]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\S]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\S\\A]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\S\\b]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\S\\C]\r\n\r\n");
}

TEST(RegTreeTest, DefaultsAnswerButAreNotWritten) {
  KeyTree tree({Favorites()});
  tree.Load(Read("[HKEY_CURRENT_USER\\Software\\Other]\r\n"));
  const Key* shell = tree.Find(Root::kCurrentUser, {"software", "shell"});
  ASSERT_NE(shell, nullptr);
  ASSERT_NE(shell->FindValue("FAVORITES"), nullptr);
  EXPECT_EQ(Written(tree),
            "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\r\n\r\n");
  // A value set beside the default makes the key the store's own; the default stays out.
  tree.SetValue(Root::kCurrentUser, {"Software", "Shell"}, "Mine", 3, "");
  EXPECT_EQ(Written(tree),
            "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Shell]\r\n\"Mine\"=hex:\r\n\r\n");
}

TEST(RegTreeTest, DeletionsOfDefaultsAreWrittenAndHonoured) {
  struct Case {
    const char* what;
    bool delete_key;
    std::string written;
  };
  const Case cases[] = {
      {"value", false, "[HKEY_CURRENT_USER\\Software\\Shell]\r\n\"Favorites\"=-\r\n\r\n"},
      {"key", true, "[-HKEY_CURRENT_USER\\Software]\r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    KeyTree tree({Favorites()});
    if (c.delete_key) {
      EXPECT_TRUE(tree.DeleteKey(Root::kCurrentUser, {"Software"}));
    } else {
      EXPECT_TRUE(tree.DeleteValue(Root::kCurrentUser, {"Software", "Shell"}, "favorites"));
    }
    EXPECT_EQ(Written(tree), c.written);
    KeyTree again({Favorites()});
    again.Load(regfile::Parse(regfile::Serialize(tree.ToBlocks())));
    const Key* shell = again.Find(Root::kCurrentUser, {"Software", "Shell"});
    EXPECT_TRUE(shell == nullptr || shell->FindValue("Favorites") == nullptr);
  }
}

TEST(RegTreeTest, DeletingAnOrdinaryValueLeavesNoTrace) {
  KeyTree tree({Favorites()});
  tree.SetValue(Root::kCurrentUser, {"K"}, "v", 3, "x");
  EXPECT_TRUE(tree.DeleteValue(Root::kCurrentUser, {"K"}, "V"));
  EXPECT_FALSE(tree.DeleteValue(Root::kCurrentUser, {"K"}, "v"));
  EXPECT_EQ(Written(tree), "[HKEY_CURRENT_USER\\K]\r\n\r\n");
}

}  // namespace
}  // namespace zorvane::regtree
