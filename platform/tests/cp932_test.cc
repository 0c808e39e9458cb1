#include "platform/posix/cp932.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/text.h"

namespace zorvane::cp932 {
namespace {

TEST(Cp932Test, DecodesValidText) {
  struct Case {
    std::string bytes, utf8;
  };
  const Case cases[] = {
      {"http://a/b?c=d", "http://a/b?c=d"},
      {"\x5c\x7e", "\\~"},                               // not yen, not overline
      {"\xbc\xbd\xc3\xd1\x8f\xee\x95\xf1", "ｼｽﾃﾑ情報"},  // half-width katakana + kanji
      {"\x95\x5c", "表"},                                // trail byte 0x5C
      {"\x81\x60\x81\x7c", "～－"},                      // Microsoft's mappings
      {"\x87\x40", "①"},                                 // NEC row 13
      {"\xf0\x40", "\xee\x80\x80"},                      // user-defined: U+E000
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(ToUtf8(c.bytes), c.utf8);
    EXPECT_EQ(FromUtf8(c.utf8), c.bytes);
  }
}

TEST(Cp932Test, DecodesInvalidInputAsWindowsDoes) {
  EXPECT_EQ(ToUtf8("\x80"), "\xc2\x80");      // U+0080
  EXPECT_EQ(ToUtf8("\xa0"), "\xef\xa3\xb0");  // U+F8F0
  EXPECT_EQ(ToUtf8("\xfd\xfe\xff"), "\xef\xa3\xb1\xef\xa3\xb2\xef\xa3\xb3");
  EXPECT_EQ(ToUtf8("a\x82"), "a・");      // dangling lead byte
  EXPECT_EQ(ToUtf8("\x82\x20z"), "・z");  // bad trail: both bytes consumed
  EXPECT_EQ(ToUtf8(std::string("\x82\0x", 3)), std::string("・\0x", 5));
  // Private-use decodings round-trip.
  EXPECT_EQ(FromUtf8(ToUtf8("\x80\xa0\xfd\xfe\xff")), "\x80\xa0\xfd\xfe\xff");
}

TEST(Cp932Test, EncodesUnmappableAsQuestionMark) {
  EXPECT_EQ(FromUtf8("café"), "caf?");
  EXPECT_EQ(FromUtf8("😀"), "?");
  EXPECT_EQ(FromUtf8("a\xff"
                     "b"),
            "a?b");                  // malformed UTF-8
  EXPECT_EQ(FromUtf8("¥"), "\x5c");  // best fit
}

TEST(Cp932Test, CutsOnlyAtCharacterBoundaries) {
  const std::string text = "ab\x93\xfa\x96\x7b";  // "ab日本"
  EXPECT_EQ(CutAtCharBoundary(text, 2), 2u);
  EXPECT_EQ(CutAtCharBoundary(text, 3), 2u);
  EXPECT_EQ(CutAtCharBoundary(text, 4), 4u);
  EXPECT_EQ(CutAtCharBoundary(text, 5), 4u);
  EXPECT_EQ(CutAtCharBoundary(text, 99), 6u);
  EXPECT_EQ(CutAtCharBoundary("\xb1\xb2", 1), 1u);  // half-width katakana are single bytes
}

// The round-trip tests give what converting there and back gives, for every character
// the code page can meet: every code point of the Basic Multilingual Plane, one beyond,
// malformed UTF-8, and every single byte and byte pair (with a dangling lead byte).
TEST(Cp932Test, RoundTripTestsAgreeWithConverting) {
  std::size_t survivors = 0;
  for (char32_t cp = 1; cp < 0x10000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    std::string utf8;
    text::AppendUtf8(cp, &utf8);
    utf8 = "a" + utf8 + "b";
    const bool survives = ToUtf8(FromUtf8(utf8)) == utf8;
    ASSERT_EQ(SurvivesRoundTrip(utf8), survives) << std::hex << static_cast<std::uint32_t>(cp);
    survivors += survives;
  }
  EXPECT_GT(survivors, 7000u);
  EXPECT_FALSE(SurvivesRoundTrip("\xF0\x9F\x98\x80"));  // U+1F600
  EXPECT_FALSE(SurvivesRoundTrip("a\xFF"));
  EXPECT_FALSE(SurvivesRoundTrip("\xE6\x97"));  // cut short

  std::size_t canonical = 0;
  for (int first = 0x80; first < 0x100; ++first) {
    const std::string single = {'a', static_cast<char>(first)};
    ASSERT_EQ(IsCanonical(single), FromUtf8(ToUtf8(single)) == single) << first;
    for (int second = 0; second < 0x100; ++second) {
      const std::string pair = {static_cast<char>(first), static_cast<char>(second), 'z'};
      const bool expected = FromUtf8(ToUtf8(pair)) == pair;
      ASSERT_EQ(IsCanonical(pair), expected) << first << " " << second;
      canonical += expected;
    }
  }
  EXPECT_GT(canonical, 7000u);
}

}  // namespace
}  // namespace zorvane::cp932
