#include "formats/file_name.h"
#include "formats/internet_shortcut.h"

#include <gtest/gtest.h>

#include <string>

namespace zorvane::formats {
namespace {

struct NameCase {
  std::string name;
  std::string expected;
};

void ExpectSafeNames(const std::vector<NameCase>& cases, FileNameRule rule) {
  for (const NameCase& c : cases) {
    SCOPED_TRACE("name \"" + c.name + "\"");
    EXPECT_EQ(SafeFileName(c.name, rule), c.expected);
  }
}

TEST(SafeFileNameTest, ValidNamesStayUnchangedUnderBothRules) {
  const std::vector<std::string> valid = {
      "Zorvane",  "ニュース速報", "a b c",     "Yahoo! JAPAN",  "x.y.z",          ".hidden", "...a",
      "name (2)", "100% 天気",    "a;b,c=d+e", "[news] #1",     "ＣＯＮ",         "con1",    "coma",
      "lpt10",    "console",      "nul-byte",  "auxiliary.txt", " leading space", "é~'@$",
  };
  for (const std::string& name : valid) {
    SCOPED_TRACE("name \"" + name + "\"");
    EXPECT_EQ(SafeFileName(name, FileNameRule::kWindows), name);
    EXPECT_EQ(SafeFileName(name, FileNameRule::kPosix), name);
  }
}

TEST(SafeFileNameTest, WindowsRule) {
  ExpectSafeNames(
      {
          {"", "_"},
          {".", "_"},
          {"..", "__"},
          {"../x", ".._x"},
          {"..\\x", ".._x"},
          {"a/b", "a_b"},
          {"a\\b", "a_b"},
          {"C:\\Windows\\win.ini", "C__Windows_win.ini"},
          {"what?", "what_"},
          {"a*b:c\"d<e>f|g", "a_b_c_d_e_f_g"},
          {"tab\there", "tab_here"},
          {"line\r\nbreak", "line__break"},
          {std::string("nul\0byte", 8), "nul_byte"},
          {"\x1f\x7f", "_\x7f"},
          {"trailing.", "trailing_"},
          {"trailing. .", "trailing___"},
          {"space ", "space_"},
          {"CON", "_CON"},
          {"con", "_con"},
          {"Con.txt", "_Con.txt"},
          {"con.txt.bak", "_con.txt.bak"},
          {"CON .txt", "_CON .txt"},
          {"PRN", "_PRN"},
          {"aux", "_aux"},
          {"NUL", "_NUL"},
          {"COM1", "_COM1"},
          {"com9.log", "_com9.log"},
          {"COM0", "_COM0"},
          {"COM¹", "_COM¹"},
          {"lpt1", "_lpt1"},
          {"LPT9", "_LPT9"},
          {"lpt³.x", "_lpt³.x"},
          {"CONIN$", "_CONIN$"},
          {"conout$", "_conout$"},
          {"con.", "con_"},
          {"con:", "con_"},
          {"天気/ニュース", "天気_ニュース"},
      },
      FileNameRule::kWindows);
}

TEST(SafeFileNameTest, PosixRule) {
  ExpectSafeNames(
      {
          {"", "_"},
          {".", "_"},
          {"..", "__"},
          {"../x", ".._x"},
          {"/etc/passwd", "_etc_passwd"},
          {"a/b", "a_b"},
          {"a\\b", "a\\b"},
          {"what?", "what?"},
          {"a*b:c\"d<e>f|g", "a*b:c\"d<e>f|g"},
          {"tab\there", "tab\there"},
          {std::string("nul\0byte", 8), "nul_byte"},
          {"trailing.", "trailing."},
          {"space ", "space "},
          {"CON", "CON"},
          {"com1.txt", "com1.txt"},
          {"天気/ニュース", "天気_ニュース"},
      },
      FileNameRule::kPosix);
}

TEST(SafeFileNameTest, ResultIsNeverADirectoryReferenceOrPath) {
  const std::vector<std::string> hostile = {
      "", ".", "..", "/", "\\", "../..", "..\\..", "./", "a/../..", "C:", "\\\\server\\share"};
  for (FileNameRule rule : {FileNameRule::kWindows, FileNameRule::kPosix}) {
    for (const std::string& name : hostile) {
      SCOPED_TRACE("name \"" + name + "\"");
      const std::string safe = SafeFileName(name, rule);
      EXPECT_FALSE(safe.empty());
      EXPECT_NE(safe, ".");
      EXPECT_NE(safe, "..");
      EXPECT_EQ(safe.find('/'), std::string::npos);
      if (rule == FileNameRule::kWindows) {
        EXPECT_EQ(safe.find('\\'), std::string::npos);
        EXPECT_EQ(safe.find(':'), std::string::npos);
      }
    }
  }
}

TEST(SafeFileNameTest, RuleFollowsTheSeparator) {
  EXPECT_EQ(FileNameRuleForSeparator('\\'), FileNameRule::kWindows);
  EXPECT_EQ(FileNameRuleForSeparator('/'), FileNameRule::kPosix);
}

TEST(InternetShortcutTextTest, ExactBytes) {
  EXPECT_EQ(InternetShortcutText("http://zorvane.example/"),
            "[InternetShortcut]\r\nURL=http://zorvane.example/\r\n");
  EXPECT_EQ(InternetShortcutText(""), "[InternetShortcut]\r\nURL=\r\n");
  EXPECT_EQ(InternetShortcutText("http://例え.example/天気?a=1&b=%20"),
            "[InternetShortcut]\r\nURL=http://例え.example/天気?a=1&b=%20\r\n");
}

}  // namespace
}  // namespace zorvane::formats
