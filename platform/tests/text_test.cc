#include "platform/text.h"

#include <gtest/gtest.h>

#include "platform/environment.h"

#include <optional>
#include <string>
#include <string_view>

namespace zorvane::text {
namespace {

TEST(TextTest, CountsCharactersNotBytes) {
  EXPECT_EQ(CharCount(""), 0u);
  EXPECT_EQ(CharCount("abc"), 3u);
  EXPECT_EQ(CharCount("日本語.url"), 7u);
  // A stray byte counts as one character, so nothing is ever split or lost.
  EXPECT_EQ(CharCount("a\xff" "b"), 3u);
  EXPECT_EQ(CharCount("\xe6\x97"), 2u);  // a truncated sequence
}

TEST(TextTest, TakesAndDropsWholeCharacters) {
  struct Case {
    std::string input;
    std::size_t n;
    std::string first, last, dropped;
  };
  const Case cases[] = {
      {"Site.url", 3, "Sit", "url", "Site."},
      {"日本語.url", 3, "日本語", "url", "日本語."},
      {"ニュース.url", 4, "ニュース", ".url", "ニュース"},
      {"url", 4, "url", "url", ""},
      {"", 2, "", "", ""},
      {"a\xff" "bc", 2, "a\xff", "bc", "a\xff"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(FirstChars(c.input, c.n), c.first);
    EXPECT_EQ(LastChars(c.input, c.n), c.last);
    EXPECT_EQ(DropLastChars(c.input, c.n), c.dropped);
  }
}

TEST(TextTest, LowersAsciiOnly) {
  EXPECT_EQ(AsciiLower("HTTP://Cookie:Ä"), "http://cookie:Ä");
}

TEST(TextTest, RecognisesWellFormedUtf8) {
  EXPECT_TRUE(IsValidUtf8("お気に入りZorvane"));
  EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));       // overlong
  EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));   // surrogate
  EXPECT_FALSE(IsValidUtf8("\x82\xa0"));       // CP932 bytes
}

TEST(TextTest, AsciiPrefixAndLineBreaks) {
  struct Case {
    std::string input;
    std::size_t ascii_prefix;
    std::size_t line_break;  // from 0
  };
  const std::size_t none = std::string::npos;
  const Case cases[] = {
      {"", 0, none},
      {"abc", 3, none},
      {"0123456789abcdef0123", 20, none},
      {"01234567\x81" "abc", 8, none},
      {"0123456\xe6\x97\xa5", 7, none},
      {"\xff", 0, none},
      {"abc\r\n", 5, 3},
      {"0123456789\n", 11, 10},
      {"01234567\r", 9, 8},
      {"\n", 1, 0},
      {"日本語\r", 0, 9},
      {"abcdefghijklmnopqrstuvwxyz\rx", 28, 26},
      {std::string(64, 'x') + "\x80" + std::string(7, '\n'), 64, 65},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(AsciiPrefixLength(c.input), c.ascii_prefix);
    EXPECT_EQ(IsAscii(c.input), c.ascii_prefix == c.input.size());
    EXPECT_EQ(FindLineBreak(c.input), c.line_break);
    // From any position: the first CR or LF there or later.
    for (std::size_t from = 0; from <= c.input.size(); ++from) {
      EXPECT_EQ(FindLineBreak(c.input, from), c.input.find_first_of("\r\n", from)) << from;
    }
  }
}

TEST(TextTest, DecodesAndEncodesCodePoints) {
  const std::u32string code_points = {U'a', U'\u00e9', U'\u65e5', U'\U0001F600', U'\u007f'};
  std::string utf8;
  for (char32_t cp : code_points) AppendUtf8(cp, &utf8);
  EXPECT_EQ(utf8, "a\xc3\xa9\xe6\x97\xa5\xf0\x9f\x98\x80\x7f");
  std::size_t i = 0;
  for (char32_t cp : code_points) EXPECT_EQ(DecodeUtf8(utf8, &i), cp);
  EXPECT_EQ(i, utf8.size());

  // Each malformed byte is reported alone and skipped, so decoding always moves on.
  const std::string bad = "\xc0\xaf\xed\xa0\x80\xe6\x97";
  i = 0;
  int malformed = 0;
  while (i < bad.size()) {
    if (DecodeUtf8(bad, &i) == kMalformedUtf8) ++malformed;
  }
  EXPECT_EQ(malformed, 7);
}

// The expansion syntax, with the lookups of both systems: Windows matches names without
// regard to case; the POSIX platform matches exactly and maps USERPROFILE to HOME.
TEST(EnvironmentTest, ExpandsReferencesWithEitherSystemsLookup) {
  const auto windows = [](std::string_view name) -> std::optional<std::string> {
    if (AsciiLower(name) == "userprofile") return "C:\\Users\\me";
    return std::nullopt;
  };
  const auto posix = [](std::string_view name) -> std::optional<std::string> {
    if (name == "HOME" || name == "USERPROFILE") return "/home/me";
    return std::nullopt;
  };
  const struct {
    const char* text;
    const char* windows;
    const char* posix;
  } cases[] = {
      {"%USERPROFILE%\\Favorites", "C:\\Users\\me\\Favorites", "/home/me\\Favorites"},
      {"%userprofile%/x", "C:\\Users\\me/x", "%userprofile%/x"},
      {"%HOME%/%UNKNOWN%/y", "%HOME%/%UNKNOWN%/y", "/home/me/%UNKNOWN%/y"},
      {"100% sure", "100% sure", "100% sure"},
      {"%%", "%%", "%%"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ExpandEnvironmentReferences(c.text, windows), c.windows);
    EXPECT_EQ(ExpandEnvironmentReferences(c.text, posix), c.posix);
  }
}

}  // namespace
}  // namespace zorvane::text
