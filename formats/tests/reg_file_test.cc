#include "formats/reg_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/utf16.h"

namespace zorvane::regfile {
namespace {

// The UTF-16LE form of `text` followed by a NUL, as a string value is stored.
std::string Sz(std::string_view text) { return utf16::FromUtf8(text) + std::string(2, '\0'); }

std::vector<int> ErrorLines(const Document& document) {
  std::vector<int> lines;
  for (const Error& error : document.errors) lines.push_back(error.line);
  return lines;
}

// ---- Reading ------------------------------------------------------------------------------

TEST(RegFileParseTest, LineEndsBomsAndEncodingsGiveTheSameDocument) {
  const std::vector<std::string> lines = {"Windows Registry Editor Version 5.00",
                                          "",
                                          "[HKEY_CURRENT_USER\\Software\\A]",
                                          "\"name\"=\"日本語\"",
                                          "\"bin\"=hex:01,02,\\",
                                          "  03",
                                          "@=dword:0000002a"};
  const auto join = [&](const std::string& end, bool final_end) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      text += lines[i];
      if (i + 1 < lines.size() || final_end) text += end;
    }
    return text;
  };
  const std::string expected = Serialize(Parse(join("\r\n", true)).blocks);
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"LF", join("\n", true)},
      {"CR", join("\r", true)},
      {"CR LF without final line end", join("\r\n", false)},
      {"LF without final line end", join("\n", false)},
      {"UTF-8 BOM", "\xEF\xBB\xBF" + join("\n", true)},
      {"UTF-16LE BOM", "\xFF\xFE" + utf16::FromUtf8(join("\r\n", true))},
      {"blank lines around", "\n\n" + join("\n\n", true) + "\n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Document document = Parse(c.bytes);
    EXPECT_TRUE(document.errors.empty());
    EXPECT_EQ(Serialize(document.blocks), expected);
  }
  const Document document = Parse(join("\n", true));
  ASSERT_EQ(document.blocks.size(), 1u);
  ASSERT_EQ(document.blocks[0].values.size(), 3u);
  EXPECT_EQ(document.blocks[0].values[0].data, Sz("日本語"));
  EXPECT_EQ(document.blocks[0].values[1].data, "\x01\x02\x03");
  EXPECT_EQ(document.blocks[0].values[2].name, "");
}

TEST(RegFileParseTest, ReadsEveryKindOfValueLine) {
  struct Case {
    std::string line;
    std::string name;
    bool deleted;
    std::uint32_t type;
    std::string data;
  };
  const Case cases[] = {
      {R"("s"="text")", "s", false, 1, Sz("text")},
      {R"("s"="")", "s", false, 1, Sz("")},
      {R"("s"="a\\b\"c")", "s", false, 1, Sz("a\\b\"c")},
      {R"("s"="C:\dir")", "s", false, 1, Sz("C:\\dir")},  // a lone backslash stands for itself
      {R"("s"="x;y#z" ; comment)", "s", false, 1, Sz("x;y#z")},
      {R"("q\"n\\"="v")", "q\"n\\", false, 1, Sz("v")},
      {R"(@="d")", "", false, 1, Sz("d")},
      {R"(""="d")", "", false, 1, Sz("d")},
      {R"("日本"="語")", "日本", false, 1, Sz("語")},
      {"\"n\"=dword:00000100", "n", false, 4, std::string("\x00\x01\x00\x00", 4)},
      {"\"n\" = DWORD:FF\t;c", "n", false, 4, std::string("\xff\x00\x00\x00", 4)},
      // Blanks and tabs wherever regedit takes them: after "dword:", around "@" and "=".
      {"\"n\"=dword:  00000008", "n", false, 4, std::string("\x08\x00\x00\x00", 4)},
      {"\"n\"=dword:\t00000008", "n", false, 4, std::string("\x08\x00\x00\x00", 4)},
      {"\t\"n\"\t=\tdword:\t8\t", "n", false, 4, std::string("\x08\x00\x00\x00", 4)},
      {" @ \t= \"d\" ", "", false, 1, Sz("d")},
      {"@\t=\tdword: 1", "", false, 4, std::string("\x01\x00\x00\x00", 4)},
      {"\"b\"=hex:11,22,33", "b", false, 3, "\x11\x22\x33"},
      {"\"b\"=hex:", "b", false, 3, ""},
      {"\"b\"=hex:1, 2 ,", "b", false, 3, "\x01\x02"},
      {"\"b\"=hex:ab ;comment", "b", false, 3, "\xab"},
      {"\"x\"=hex(2):25,00,00,00", "x", false, 2, std::string("%\0\0\0", 4)},
      {"\"x\"=hex(0):", "x", false, 0, ""},
      {"\"x\"=HEX(abcd):ff", "x", false, 0xabcd, "\xff"},
      // Every byte on the following lines, as regedit writes a value with a long name.
      {"\"x\"=hex(2):\\\n  41,00,42,00,00,00", "x", false, 2, std::string("A\0B\0\0\0", 6)},
      {"\"b\"=hex:\\\n  01,02", "b", false, 3, "\x01\x02"},
      {"\"b\"=hex: \\ ; bytes below\n  01,\\\n  02", "b", false, 3, "\x01\x02"},
      {"\"gone\"=-", "gone", true, 0, ""},
      {"\"gone\" = - ;why", "gone", true, 0, ""},
      {"@=-", "", true, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const Document document =
        Parse("Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\K]\r\n" + c.line);
    EXPECT_TRUE(document.errors.empty());
    ASSERT_EQ(document.blocks.size(), 1u);
    ASSERT_EQ(document.blocks[0].values.size(), 1u);
    const Value& value = document.blocks[0].values[0];
    EXPECT_EQ(value.name, c.name);
    EXPECT_EQ(value.deleted, c.deleted);
    if (!c.deleted) {
      EXPECT_EQ(value.type, c.type);
      EXPECT_EQ(value.data, c.data);
    }
  }
}

TEST(RegFileParseTest, JoinsHexContinuationLines) {
  const Document document = Parse(
      "Windows Registry Editor Version 5.00\n"
      "[HKEY_CURRENT_USER\\K]\n"
      "\"m\"=hex(7):61,00,\\\n"
      "  62,00, \\ ; more below\n"
      "\n"
      "; a comment between\n"
      "  00,00,00,00\n"
      "\"after\"=dword:1\n");
  EXPECT_TRUE(document.errors.empty());
  ASSERT_EQ(document.blocks.size(), 1u);
  ASSERT_EQ(document.blocks[0].values.size(), 2u);
  EXPECT_EQ(document.blocks[0].values[0].type, 7u);
  EXPECT_EQ(document.blocks[0].values[0].data, std::string("a\0b\0\0\0\0\0", 8));
  EXPECT_EQ(document.blocks[0].values[1].name, "after");
}

// A continuation backslash must follow a comma (or stand alone right after "hex:"): "7\"
// then "5,00" is no byte 0x75, and regedit refuses the value rather than read 07 05.
TEST(RegFileParseTest, RefusesAContinuationWithoutACommaBeforeIt) {
  const std::string cases[] = {
      "\"b\"=hex:01,7\\\n  5,00\n",      // no comma before the backslash
      "\"b\"=hex:01,20\\",               // the same at the end of the file
      "\"b\"=hex:01,20 \\ ; comment\n",  // blanks do not stand for the comma
      "\"b\"=hex:7\\\n  5,00\n",         // the value's first byte before the backslash
      "\"b\"=hex:01,\\\n\\\n  02\n",     // a line holding only a backslash
  };
  for (const std::string& c : cases) {
    SCOPED_TRACE(c);
    const Document document =
        Parse("Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n\"a\"=dword:1\n" + c);
    EXPECT_FALSE(document.errors.empty());
    ASSERT_EQ(document.blocks.size(), 1u);
    for (const Value& value : document.blocks[0].values) EXPECT_NE(value.name, "b");
  }
}

TEST(RegFileParseTest, ReadsKeyLines) {
  struct Case {
    std::string line;
    Root root;
    std::vector<std::string> path;
    bool deleted;
  };
  const Case cases[] = {
      {"[HKEY_CURRENT_USER\\Software\\A]", Root::kCurrentUser, {"Software", "A"}, false},
      {"[hkcu\\A]", Root::kCurrentUser, {"A"}, false},
      {"[HKLM\\A]  ; comment", Root::kLocalMachine, {"A"}, false},
      {"[hkey_local_machine\\A\\\\]", Root::kLocalMachine, {"A"}, false},
      {"[HKEY_CURRENT_USER]", Root::kCurrentUser, {}, false},
      {"[HKEY_CURRENT_USER\\a ]", Root::kCurrentUser, {"a "}, false},
      {"[HKEY_CURRENT_USER\\x]y]", Root::kCurrentUser, {"x]y"}, false},
      {"  [HKEY_CURRENT_USER\\日本]", Root::kCurrentUser, {"日本"}, false},
      {"[-HKEY_CURRENT_USER\\A\\B]", Root::kCurrentUser, {"A", "B"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const Document document = Parse("Windows Registry Editor Version 5.00\n" + c.line);
    EXPECT_TRUE(document.errors.empty());
    ASSERT_EQ(document.blocks.size(), 1u);
    EXPECT_EQ(document.blocks[0].root, c.root);
    EXPECT_EQ(document.blocks[0].path, c.path);
    EXPECT_EQ(document.blocks[0].deleted, c.deleted);
  }
}

TEST(RegFileParseTest, RemembersEveryLineItCannotRead) {
  const Document document = Parse(
      "Windows Registry Editor Version 5.00\n"  // 1
      "\n"                                      // 2
      "\"orphan\"=\"no key yet\"\n"             // 3 error
      "[HKEY_CURRENT_USER\\A]\n"                // 4
      "garbage\n"                               // 5 error
      "\"ok\"=\"fine\"\n"                       // 6
      "\"s\"=\"unterminated\n"                  // 7 error
      "\"d\"=dword:123456789\n"                 // 8 error: nine digits
      "\"d\"=dword:\n"                          // 9 error
      "\"d\"=dword:12 34\n"                     // 10 error
      "\"h\"=hex:1,,2\n"                        // 11 error
      "\"h\"=hex:123\n"                         // 12 error
      "\"s\"=\"a\" b\n"                         // 13 error
      "\"h\"=hex:11,\\\n"                       // 14 error: cut short by line 15
      "# a hash line is no continuation\n"      // 15
      "\"later\"=\"x\"\n"                       // 16
      "[-HKEY_CURRENT_USER\\B]\n"               // 17
      "\"under a deletion\"=\"x\"\n"            // 18 error
      "[HKEY_CLASSES_ROOT\\C]\n"                // 19 error
      "\"under a bad key\"=\"x\"\n"             // 20 error
      "[ HKEY_CURRENT_USER\\D]\n"               // 21 error
      "[HKEY_CURRENT_USER\\E\n"                 // 22 error
      "[HKEY_CURRENT_USER\\F] junk\n"           // 23 error
      "[HKEY_CURRENT_USER\\G\\\\H]\n"           // 24 error
      "[HKEY_CURRENT_USER\\A]\n"                // 25
      "\"x\"=unknown:1\n"                       // 26 error
      "\"x\" \"no equals\"\n"                   // 27 error
      "\"bad\xff\"=\"not UTF-8\"\n"             // 28 error
      "\"last\"=\"x\"");                        // 29
  EXPECT_EQ(ErrorLines(document), (std::vector<int>{3,  5,  7,  8,  9,  10, 11, 12, 13, 14,
                                                    18, 19, 20, 21, 22, 23, 24, 26, 27, 28}));
  std::vector<std::string> kept;
  for (const Block& block : document.blocks) {
    for (const Value& value : block.values) kept.push_back(value.name);
  }
  EXPECT_EQ(kept, (std::vector<std::string>{"ok", "later", "last"}));
}

TEST(RegFileParseTest, ChecksTheHeader) {
  struct Case {
    std::string text;
    std::vector<int> errors;
  };
  const Case cases[] = {
      {"", {}},
      {"\r\n\r\n", {}},
      {"  Windows Registry Editor Version 5.00  \n", {}},
      {"\n\nREGEDIT4\n", {}},
      {"WINDOWS REGISTRY EDITOR VERSION 5.00\n", {1}},
      {"[HKEY_CURRENT_USER\\A]\n\"v\"=\"x\"\n", {1}},
      {"; comment\nWindows Registry Editor Version 5.00\n", {1, 2}},
      {std::string("\xFE\xFF\0W", 4), {0}},
      {std::string("\xFF\xFE\x00\xD8", 4), {0, 1}},  // an unpaired surrogate, no header
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ErrorLines(Parse(c.text)), c.errors);
  }
  // Without a header the rest is still read.
  const Document headless = Parse("[HKEY_CURRENT_USER\\A]\n\"v\"=\"x\"\n");
  ASSERT_EQ(headless.blocks.size(), 1u);
  EXPECT_EQ(headless.blocks[0].values.size(), 1u);
}

TEST(RegFileParseTest, Regedit4HexStringsAreInTheAnsiCodePage) {
  const Document document = Parse(
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n"
      "\"e\"=hex(2):25,50,41,54,48,25,00\r\n"
      "\"j\"=hex(7):93,fa,00,00\r\n"
      "\"b\"=hex:93,fa\r\n"
      "\"s\"=\"日\"\r\n",
      // Code page 932 as far as this file needs it: 0x93 0xFA is 日.
      [](std::string_view ansi) {
        std::string utf8(ansi);
        for (std::size_t at; (at = utf8.find("\x93\xfa")) != std::string::npos;) {
          utf8.replace(at, 2, "日");
        }
        return utf8;
      });
  EXPECT_TRUE(document.errors.empty());
  ASSERT_EQ(document.blocks.size(), 1u);
  const std::vector<Value>& values = document.blocks[0].values;
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[0].data, Sz("%PATH%"));
  EXPECT_EQ(values[1].data, utf16::FromUtf8(std::string("日\0\0", 5)));
  EXPECT_EQ(values[2].data, "\x93\xfa");  // binary stays binary
  EXPECT_EQ(values[3].data, Sz("日"));
}

// ---- Writing ------------------------------------------------------------------------------

TEST(RegFileSerializeTest, WritesTheExportLayout) {
  Block deleted;
  deleted.path = {"Old"};
  deleted.deleted = true;
  Block block;
  block.root = Root::kLocalMachine;
  block.path = {"Software", "Sys"};
  block.values = {
      Value{"", false, 1, Sz("C:\\a \"b\"")},
      Value{"n", false, 4, std::string("\x78\x56\x34\x12", 4)},
      Value{"short", false, 4, "\x01"},
      Value{"b", false, 3, "\x0a\xff"},
      Value{"e", false, 2, Sz("%X%")},
      Value{"gone", true, 0, ""},
  };
  EXPECT_EQ(Serialize({deleted, block}),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[-HKEY_CURRENT_USER\\Old]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Sys]\r\n"
            "@=\"C:\\\\a \\\"b\\\"\"\r\n"
            "\"n\"=dword:12345678\r\n"
            "\"short\"=hex(4):01\r\n"
            "\"b\"=hex:0a,ff\r\n"
            "\"e\"=hex(2):25,00,58,00,25,00,00,00\r\n"
            "\"gone\"=-\r\n\r\n");
}

TEST(RegFileSerializeTest, WrapsLongHexDataAfterColumn77) {
  Block block;
  block.path = {"K"};
  block.values = {Value{"Multiple strings", false, 7, std::string(100, 'a')}};
  const std::string text = Serialize({block});
  const std::size_t start = text.find("\"Multiple");
  std::vector<std::string> lines;
  for (std::size_t at = start; at < text.size();) {
    const std::size_t end = text.find("\r\n", at);
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
    if (lines.back().back() != '\\') break;
  }
  // 26 characters of name and type, then 17 bytes; then 25 bytes per line.
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].size(), 26u + 17 * 3 + 1);
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(lines[i].substr(0, 3), "  6");
    EXPECT_EQ(lines[i].size(), 2u + 25 * 3 + 1);
  }
  EXPECT_EQ(lines.back(), "  61,61,61,61,61,61,61,61");
}

TEST(RegFileSerializeTest, EveryValueReadsBackByteForByte) {
  std::string long_binary;
  for (int i = 0; i < 300; ++i) long_binary.push_back(static_cast<char>(i));
  Block block;
  block.path = {"Key ] with [ odd ; names", "日本"};
  block.values = {
      Value{"plain", false, 1, Sz("text")},
      Value{"without NUL", false, 1, utf16::FromUtf8("ab")},
      Value{"inner NUL", false, 1, utf16::FromUtf8(std::string("a\0b\0", 4))},
      Value{"line break", false, 1, Sz("a\r\nb")},
      Value{"odd length", false, 1, std::string("a\0b", 3)},
      Value{"lone surrogate", false, 1, std::string("\x00\xD8\x00\x00", 4)},
      Value{"no bytes", false, 1, ""},
      Value{"q\"uote\\", false, 1, Sz("\\\\server\\share")},
      Value{"", false, 2, Sz("%USERPROFILE%\\Favorites")},
      Value{"multi", false, 7, utf16::FromUtf8(std::string("a\0b\0\0", 5))},
      Value{"n", false, 4, std::string("\0\0\0\0", 4)},
      Value{"long n", false, 4, "12345"},
      Value{"long", false, 3, long_binary},
      Value{"odd type", false, 0xffffffff, "z"},
      Value{"gone", true, 0, ""},
  };
  Block deleted;
  deleted.root = Root::kLocalMachine;
  deleted.path = {"X"};
  deleted.deleted = true;
  const Document document = Parse(Serialize({block, deleted}));
  EXPECT_TRUE(document.errors.empty());
  ASSERT_EQ(document.blocks.size(), 2u);
  EXPECT_EQ(document.blocks[0].path, block.path);
  ASSERT_EQ(document.blocks[0].values.size(), block.values.size());
  for (std::size_t i = 0; i < block.values.size(); ++i) {
    const Value& want = block.values[i];
    const Value& got = document.blocks[0].values[i];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(got.name, want.name);
    EXPECT_EQ(got.deleted, want.deleted);
    if (want.deleted) continue;
    EXPECT_EQ(got.type, want.type);
    EXPECT_EQ(got.data, want.data);
  }
  EXPECT_TRUE(document.blocks[1].deleted);
  EXPECT_EQ(document.blocks[1].root, Root::kLocalMachine);
}

}  // namespace
}  // namespace zorvane::regfile
