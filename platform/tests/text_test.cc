#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace zorvane::text
