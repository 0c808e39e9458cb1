#include "formats/profile_engine.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zorvane::profile {
namespace {

using namespace std::string_literals;  // NUL bytes inside literals

// Code page 932 bytes of a few characters whose trail byte is an ASCII sign.
const std::string kHyou = "\x95\x5C";     // 表, trail "\"
const std::string kKou = "\x8D\x5D";      // 江, trail "]"
const std::string kNichi = "\x93\xFA";    // 日
const std::string kHon = "\x96\x7B";      // 本, trail "{"
const std::string kKataA = "\x83\x41";    // ア, trail "A"
const std::string kKataTsu = "\x83\x61";  // ツ, trail "a"

struct LookupCase {
  const char* name;
  std::string file;
  std::string section;
  std::string key;
  std::optional<std::string> expected;
};

TEST(ProfileEngineTest, FindsValuesAsTheProfileFunctionsDo) {
  const LookupCase cases[] = {
      {"plain", "[Sec]\r\nkey=value\r\n", "Sec", "key", "value"},
      {"names ignore case", "[sEc]\r\nKEY=Value", "SEC", "key", "Value"},
      {"LF line ends", "[a]\nk=v\n", "a", "k", "v"},
      {"CR line ends", "[a]\rk=v\r", "a", "k", "v"},
      {"blank lines and no final newline", "\r\n[a]\r\r\n\nk=v", "a", "k", "v"},
      {"blanks around names and value", " \t[ a \v]\r\n \t k \v= \t v x \t\r\n", "a", "k", "v x"},
      {"lookup names are trimmed", "[a]\r\nk=v\r\n", "  a ", "\tk ", "v"},
      {"one outer pair of double quotes", "[a]\r\nk= \"  v  \" \r\n", "a", "k", "  v  "},
      {"one outer pair of single quotes", "[a]\r\nk='v'\r\n", "a", "k", "v"},
      {"only the outer pair", "[a]\r\nk=\"'v'\"\r\n", "a", "k", "'v'"},
      {"mismatched quotes stay", "[a]\r\nk=\"v'\r\n", "a", "k", "\"v'"},
      {"a lone quote stays", "[a]\r\nk=\"\r\n", "a", "k", "\""},
      {"empty quotes", "[a]\r\nk=\"\"\r\n", "a", "k", ""},
      {"empty value", "[a]\r\nk=\r\n", "a", "k", ""},
      {"empty key", "[a]\r\n=v\r\n", "a", "", "v"},
      {"value splits at the first equals sign", "[a]\r\nk=x=y\r\n", "a", "k", "x=y"},
      {"comment line", "[a]\r\n;k=v\r\n", "a", "k", std::nullopt},
      {"indented comment line", "[a]\r\n \t;k=v\r\n", "a", ";k", std::nullopt},
      {"no comments at the end of a line", "[a]\r\nk=v ;x\r\n", "a", "k", "v ;x"},
      {"hash is no comment", "[a]\r\n#k=v\r\n", "a", "#k", "v"},
      {"first key wins", "[a]\r\nk=1\r\nK=2\r\n", "a", "k", "1"},
      {"only the first section of a name", "[a]\r\nx=1\r\n[b]\r\n[A]\r\nk=2\r\n", "a", "k",
       std::nullopt},
      {"later duplicate section still hides", "[a]\r\n[a]\r\nk=2\r\n", "a", "k", std::nullopt},
      {"text before the first section", "k=v\r\n[a]\r\n", "", "k", std::nullopt},
      {"key in another section", "[a]\r\nk=v\r\n[b]\r\n", "b", "k", std::nullopt},
      {"missing section", "[a]\r\nk=v\r\n", "c", "k", std::nullopt},
      {"header ends at the first bracket", "[a]k=v\r\n", "a", "k", std::nullopt},
      {"text after the header is ignored", "[a]b]\r\nk=v\r\n", "a", "k", "v"},
      {"header without its bracket", "[a  \r\nk=v\r\n", "a", "k", "v"},
      {"line without equals sign", "[a]\r\nk\r\nk=v\r\n", "a", "k", "v"},
      {"line without equals sign alone", "[a]\r\nk\r\n", "a", "k", std::nullopt},
      {"NUL bytes are kept", "[a]\r\nk=v\0w\r\n"s, "a", "k", "v\0w"s},
      {"UTF-8 byte-order mark hides the first header", "\xEF\xBB\xBF[a]\r\nk=v\r\n", "a", "k",
       std::nullopt},
      {"double-byte section name with trail bracket", "[" + kKou + "]\r\nk=v\r\n", kKou, "k", "v"},
      {"double-byte name with trail backslash", "[" + kHyou + "]\r\n" + kHyou + "=v\r\n", kHyou,
       kHyou, "v"},
      {"trail bytes are not case-folded", "[a]\r\n" + kKataA + "=v\r\n", "a", kKataTsu,
       std::nullopt},
      {"double-byte key found", "[a]\r\n" + kKataA + "=v\r\n", "a", kKataA, "v"},
      {"ideographic space is no blank", "[a]\r\nk=\x81\x40x\x81\x40\r\n", "a", "k",
       "\x81\x40x\x81\x40"},
      {"trail byte that looks like a blank", "[a]\r\nk=x\x81 \r\n", "a", "k", "x\x81 "},
      {"key holding equals sign", "[a]\r\nhttp://h/?id=3=Title\r\n", "a", "http://h/?id=3",
       "Title"},
      {"key holding equals sign, blanks", "[a]\r\nHTTP://h/?id=3 \t= T \r\n", "a", "http://h/?id=3",
       "T"},
      {"key holding equals sign is a prefix only up to =", "[a]\r\nx=bc=T\r\n", "a", "x=b",
       std::nullopt},
      {"plain key on a line written for a key with =", "[a]\r\nx=b=T\r\n", "a", "x", "b=T"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto value = FindValue(c.file, c.section, c.key);
    ASSERT_EQ(value.has_value(), c.expected.has_value());
    if (value) {
      EXPECT_EQ(*value, *c.expected);
    }
    const ParsedFile parsed(c.file);
    const auto parsed_value = parsed.FindValue(c.section, c.key);
    ASSERT_EQ(parsed_value.has_value(), c.expected.has_value());
    if (parsed_value) {
      EXPECT_EQ(*parsed_value, *c.expected);
    }
  }
}

// A parsed file answers every lookup as a walk of the same bytes does: each lookup of
// the table above, asked of each file of the table.
TEST(ProfileEngineTest, ParsedFileAnswersAsTheWalkDoes) {
  const std::string files[] = {
      "[Sec]\r\nkey=value\r\n[sec]\r\nkey=other\r\n",
      "k=v\r\n[a]\r\nK=1\r\nk=2\r\nx=b=T\r\nx=bc=U\r\n  x = 3\r\n;k=c\r\n[b]\r\nk=4",
      "[a]\r\nhttp://h/?id=3 = T\r\nHTTP://H/?ID=3=U\r\nhttp://h/=V\r\n[A]\r\nz=1\r\n",
      "[" + kKou + "]\r\n" + kKataA + "=v\r\n" + kKataTsu + "=w\r\n" + kHyou + "=x\r\n",
      "\r\n[a\r\n=empty\r\nk\r\nk=\"q\"\r\n[ a ]\r\nk=later",
      "",
  };
  const std::pair<std::string, std::string> lookups[] = {
      {"sec", "key"},          {"a", "k"},         {"a", "x"},     {"a", "x=b"},
      {"a", "X=BC"},           {"a", ""},          {"b", "k"},     {"", "k"},
      {"a", "http://h/?id=3"}, {"a", "http://h/"}, {" A ", " z "}, {kKou, kKataA},
      {kKou, kKataTsu},        {kKou, kHyou},      {"a", ";k"},
  };
  for (const std::string& file : files) {
    const ParsedFile parsed(file);
    for (const auto& [section, key] : lookups) {
      SCOPED_TRACE(file + " / " + section + " / " + key);
      EXPECT_EQ(parsed.FindValue(section, key), FindValue(file, section, key));
      EXPECT_EQ(parsed.ReadString(section, key, "dflt  ", 3),
                ReadString(file, section, key, "dflt  ", 3));
    }
  }
}

struct ReadCase {
  const char* name;
  std::string file;
  std::string default_value;
  std::uint32_t size;
  std::string expected;
};

TEST(ProfileEngineTest, ReadStringCutsAndFallsBackToTheDefault) {
  const std::string a126(126, 'a');
  const ReadCase cases[] = {
      {"fits", "[s]\r\nk=val1\r\n", "d", 5, "val1"},
      {"one byte short", "[s]\r\nk=val1\r\n", "d", 4, "val"},
      {"size one", "[s]\r\nk=val1\r\n", "d", 1, ""},
      {"size zero", "[s]\r\nk=val1\r\n", "d", 0, ""},
      {"quotes removed before the cut", "[s]\r\nk=\"val2\"\r\n", "d", 5, "val2"},
      {"default when missing", "", "dflt", 10, "dflt"},
      {"default loses trailing spaces only", "", "  d\t  ", 10, "  d\t"},
      {"default of spaces", "", "   ", 10, ""},
      {"default is cut too", "", "default", 4, "def"},
      {"found empty value is not the default", "[s]\r\nk=\r\n", "d", 10, ""},
      {"cut before a double-byte character", "[s]\r\nk=" + kNichi + kHon + "\r\n", "", 4, kNichi},
      {"double-byte characters fit", "[s]\r\nk=" + kNichi + kHon + "\r\n", "", 5, kNichi + kHon},
      {"no room for one", "[s]\r\nk=" + kNichi + "\r\n", "", 2, ""},
      {"single byte then double", "[s]\r\nk=a" + kNichi + "\r\n", "", 3, "a"},
      {"127 bytes at a boundary", "[s]\r\nk=" + a126 + kNichi + "\r\n", "", 128, a126},
      {"127 bytes exactly", "[s]\r\nk=a" + a126 + kNichi + "\r\n", "", 128, "a" + a126},
      {"default cut at a boundary", "", "a" + kHyou, 3, "a"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadString(c.file, "S", "K", c.default_value, c.size), c.expected);
    EXPECT_EQ(ParsedFile(c.file).ReadString("S", "K", c.default_value, c.size), c.expected);
  }
}

struct WriteCase {
  const char* name;
  std::string before;
  std::string section;
  std::string key;
  std::string value;
  std::string after;
};

TEST(ProfileEngineTest, WritesAsTheProfileFunctionsDo) {
  const WriteCase cases[] = {
      {"new file", "", "Section", "key", "value", "[Section]\r\nkey=value\r\n"},
      {"names trimmed", "", " a ", " k\t", "v", "[a]\r\nk=v\r\n"},
      {"value replaced, spelling kept", "[Sec]\r\nKey=old\r\nother=1\r\n", "SEC", "KEY", "new",
       "[Sec]\r\nKey=new\r\nother=1\r\n"},
      {"spaced key rewritten", "[a]\r\n  Key = old \r\n", "a", "key", "new", "[a]\r\nKey=new\r\n"},
      {"first duplicate key replaced", "[a]\r\nk=1\r\nk=2\r\n", "a", "k", "9",
       "[a]\r\nk=9\r\nk=2\r\n"},
      {"new key after the last key of its section", "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n", "a", "z",
       "3", "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n"},
      {"new key before a trailing comment", "; top\r\n[a]\r\n  key = v \r\n;c\r\n", "a", "new", "1",
       "; top\r\n[a]\r\n  key = v \r\nnew=1\r\n;c\r\n"},
      {"new key in an empty section", "[a]\r\n[b]\r\n", "a", "k", "v", "[a]\r\nk=v\r\n[b]\r\n"},
      {"header without line end", "[a]", "a", "k", "v", "[a]\r\nk=v\r\n"},
      {"key line without line end", "[a]\r\nx=1", "a", "k", "v", "[a]\r\nx=1\r\nk=v\r\n"},
      {"line without equals sign is an entry", "[a]\r\nplain\r\n", "a", "k", "v",
       "[a]\r\nplain\r\nk=v\r\n"},
      {"new section at the end", "[a]\r\nx=1\r\n", "b", "k", "v", "[a]\r\nx=1\r\n[b]\r\nk=v\r\n"},
      {"new section after a last line without end", "[a]\r\nx=1", "b", "k", "v",
       "[a]\r\nx=1\r\n[b]\r\nk=v\r\n"},
      {"new section after a last line ending in CR", "[a]\r", "b", "k", "v", "[a]\r[b]\r\nk=v\r\n"},
      {"text before the first section kept", "junk", "a", "k", "v", "junk\r\n[a]\r\nk=v\r\n"},
      {"other line ends kept", "[a]\nx=1\n; note\n\n[b]\ny=2", "a", "x", "9",
       "[a]\nx=9\r\n; note\n\n[b]\ny=2"},
      {"first of duplicate sections", "[a]\r\nx=1\r\n[b]\r\n[a]\r\ny=2\r\n", "A", "y", "3",
       "[a]\r\nx=1\r\ny=3\r\n[b]\r\n[a]\r\ny=2\r\n"},
      {"section found whatever its case", "[SEC]\r\n", "sec", "k", "v", "[SEC]\r\nk=v\r\n"},
      {"double-byte section with trail bracket", "[" + kKou + "]\r\nk=1\r\n", kKou, "k", "2",
       "[" + kKou + "]\r\nk=2\r\n"},
      {"key holding equals sign replaced", "[a]\r\nh/?id=3=Old\r\n", "a", "h/?id=3", "New",
       "[a]\r\nh/?id=3=New\r\n"},
      {"empty value", "", "a", "k", "", "[a]\r\nk=\r\n"},
      {"value with outer blanks quoted", "", "a", "k", "  v ", "[a]\r\nk=\"  v \"\r\n"},
      {"value with outer quotes quoted", "", "a", "k", "'v'", "[a]\r\nk=\"'v'\"\r\n"},
      {"inner blanks and quotes left alone", "", "a", "k", "a \"b\" c", "[a]\r\nk=a \"b\" c\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto after = WriteString(c.before, c.section, c.key, c.value);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(*after, c.after);
  }
}

TEST(ProfileEngineTest, RefusesWhatWouldNotReadBack) {
  struct Refusal {
    const char* name;
    std::string section, key, value;
  };
  const Refusal refusals[] = {
      {"CR LF in value", "a", "k", "x\r\n[evil]"},
      {"LF in value", "a", "k", "x\ny=1"},
      {"CR in value", "a", "k", "x\r"},
      {"line break in key", "a", "k\nz", "v"},
      {"line break in section", "a\r", "k", "v"},
      {"bracket in section", "a]b", "k", "v"},
      {"key would make a header", "a", " [PR] title", "1"},
      {"key would make a comment", "a", ";k", "1"},
      {"lone lead byte ends the value", "a", "k", "x\x81"},
      {"lone lead byte ends the key", "a", "k\x81", "v"},
  };
  const std::string before = "[a]\r\nk=old\r\n";
  for (const auto& r : refusals) {
    SCOPED_TRACE(r.name);
    EXPECT_FALSE(CanWrite(r.section, r.key, r.value));
    EXPECT_FALSE(WriteString(before, r.section, r.key, r.value).has_value());
    // A batch leaves out what it cannot write and keeps the rest.
    bool all_written = true;
    const std::string batch =
        WriteStrings(before, r.section, {{"ok", "1"}, {r.key, r.value}}, &all_written);
    EXPECT_FALSE(all_written);
    const auto ok_only = WriteString(before, r.section, "ok", "1");
    EXPECT_EQ(batch, ok_only ? *ok_only : before);
  }
  EXPECT_TRUE(CanWrite("[a", "a=b", "v\x81\x40"));
  EXPECT_TRUE(CanWrite("", "", ""));
}

TEST(ProfileEngineTest, WrittenValuesReadBackUnchanged) {
  const std::string values[] = {
      "plain",
      "  v  ",
      "\tv",
      "v\v",
      "\"q\"",
      "'q'",
      "'q\"",
      "\"",
      "\"\"",
      "",
      "a;b",
      "x=y",
      kHyou,
      kKou,
      "\x81\x40",
      "\x81 ",
      kNichi + " ",
      "=",
      "\"" + kHyou + "\"",
  };
  std::string file = "[a]\r\n";
  for (const auto& value : values) {
    SCOPED_TRACE(value);
    file = *WriteString(file, "a", "k", value);
    const auto read = FindValue(file, "a", "k");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, value);
  }
}

TEST(ProfileEngineTest, SecondWriteKeepsOneLinePerKey) {
  std::string file;
  for (int i = 0; i < 3; ++i) {
    file = *WriteString(file, "RANK", "Title", std::to_string(i));
    file = *WriteString(file, "rank", "http://h/?a=1&b=2", "T" + std::to_string(i));
    file = *WriteString(file, "RANK", kKou + "]", "x");
  }
  EXPECT_EQ(file, "[RANK]\r\nTitle=2\r\nhttp://h/?a=1&b=2=T2\r\n" + kKou + "]=x\r\n");
}

TEST(ProfileEngineTest, BatchWriteEqualsSingleWritesInOrder) {
  using Entries = std::vector<std::pair<std::string, std::string>>;
  struct BatchCase {
    const char* name;
    std::string before;
    std::string section;
    Entries entries;
  };
  const BatchCase cases[] = {
      {"new file", "", "RANK", {{"a", "1"}, {"b", "2"}, {"c", "3"}}},
      {"no entries", "[x]\r\nk=v", "RANK", {}},
      {"mixed new and existing",
       "[RANK]\r\nb=9\r\n\r\n[T]\r\nz=1",
       "rank",
       {{"a", "1"}, {"B", "2"}, {"c", "3"}}},
      {"same key twice", "[RANK]\r\na=0\r\n", "RANK", {{"a", "1"}, {"x", "2"}, {"A", "3"}}},
      {"new section after unterminated line", "[T]\r\nz=1", "RANK", {{"a", " 1 "}, {"b", "2"}}},
      {"refused entry in the middle", "", "RANK", {{"a", "1"}, {"[b", "2"}, {"c", "3"}}},
      {"every entry refused", "[T]\r\nz=1", "RANK", {{";a", "1"}, {"b", "\n"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string expected = c.before;
    bool expected_all = true;
    for (const auto& [key, value] : c.entries) {
      const auto after = WriteString(expected, c.section, key, value);
      expected_all &= after.has_value();
      if (after) expected = *after;
    }
    bool all_written = !expected_all;
    EXPECT_EQ(WriteStrings(c.before, c.section, c.entries, &all_written), expected);
    EXPECT_EQ(all_written, expected_all);
  }
}

// Many keys in one batch, among them the same key in other letter cases, keys holding
// "=", double-byte keys whose trail bytes are letters, and keys already in the file:
// the same bytes as one write per entry, and each key reads back its last value.
TEST(ProfileEngineTest, LargeBatchEqualsOneWriteEach) {
  const std::string before = "[T]\r\nk0=x\r\n[RANK]\r\nKEY3=old\r\nhttp://h/?a=1=old\r\n" + kKataA +
                             "=old\r\n;KEY4=comment\r\n\r\n[rank]\r\nkey5=hidden\r\n";
  std::vector<std::pair<std::string, std::string>> entries;
  std::vector<std::string> keys;
  for (int i = 0; i < 300; ++i) {
    std::string key;
    switch (i % 6) {
      case 0:
        key = "key" + std::to_string(i % 40);
        break;
      case 1:
        key = "KEY" + std::to_string(i % 40);
        break;
      case 2:
        key = "http://h/?a=" + std::to_string(i % 7) + "&b=" + std::to_string(i % 5);
        break;
      case 3:
        key = (i % 12 == 3 ? kKataA : kKataTsu) + std::to_string(i % 9);
        break;
      case 4:
        key = " spaced " + std::to_string(i % 11) + " ";
        break;
      default:
        key = kHyou + kKou + std::to_string(i % 13);
        break;
    }
    entries.emplace_back(key, i % 10 == 0 ? " padded " : "v" + std::to_string(i));
    keys.push_back(key);
  }
  std::string expected = before;
  for (const auto& [key, value] : entries) expected = *WriteString(expected, "Rank", key, value);
  const std::string batch = WriteStrings(before, "Rank", entries);
  EXPECT_EQ(batch, expected);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    // The last entry whose key the lookup of this one finds.
    std::string last;
    for (const auto& [key, value] : entries) {
      if (FindValue("[x]\r\n" + key + "=1\r\n", "x", entries[i].first)) last = value;
    }
    SCOPED_TRACE(entries[i].first);
    const auto read = FindValue(batch, "RANK", entries[i].first);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, last);
  }
  EXPECT_EQ(*FindValue(batch, "T", "k0"), "x");
}

TEST(ProfileEngineTest, CutAtCharBoundaryNeverSplitsACharacter) {
  const std::string text = "a" + kNichi + "b" + kHon;
  const std::size_t expected[] = {0, 1, 1, 3, 4, 4, 6, 6};
  for (std::size_t max = 0; max < std::size(expected); ++max) {
    SCOPED_TRACE(max);
    EXPECT_EQ(CutAtCharBoundary(text, max), expected[max]);
  }
  EXPECT_EQ(CutAtCharBoundary("ab\x81", 3), 3u);  // a lone lead byte at the end stands alone
}

}  // namespace
}  // namespace zorvane::profile
