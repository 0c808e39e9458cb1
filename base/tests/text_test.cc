#include "base/text.h"

#include <gtest/gtest.h>

#include "base/charset.h"
#include "base/environment.h"
#include "platform/platform.h"

#include <cstdint>
#include <memory>
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
  EXPECT_EQ(CharCount("a\xff"
                      "b"),
            3u);
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
      {"a\xff"
       "bc",
       2, "a\xff", "bc", "a\xff"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(FirstChars(c.input, c.n), c.first);
    EXPECT_EQ(LastChars(c.input, c.n), c.last);
    EXPECT_EQ(DropLastChars(c.input, c.n), c.dropped);
  }
}

TEST(TextTest, FoldsAndTrimsAsciiOnly) {
  EXPECT_EQ(AsciiLower("HTTP://Cookie:Ä"), "http://cookie:Ä");
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Path", "pATH"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("Ä", "ä"));  // letters beyond ASCII are not folded
  EXPECT_FALSE(EqualsIgnoringAsciiCase("Path", "Paths"));
  EXPECT_EQ(FindIgnoringAsciiCase("<DT><A HREF>", "<a"), 4u);
  EXPECT_EQ(FindIgnoringAsciiCase("<a><A>", "<a", 1), 3u);
  EXPECT_EQ(FindIgnoringAsciiCase("<b>", "<a"), std::string_view::npos);
  // Blanks as a set: "日" (E6 97 A5 in UTF-8, 93 FA in code page 932) keeps its bytes.
  EXPECT_EQ(Trim(" \t 日 \t", kSpaceTab), "日");
  EXPECT_EQ(Trim("\n x\r", kSpaceTab), "\n x\r");
  EXPECT_EQ(TrimStart("\f\nx ", kHtmlWhitespace), "x ");
  EXPECT_EQ(TrimEnd(" x\r\n", kHtmlWhitespace), " x");
  EXPECT_EQ(Trim(" \t ", kSpaceTab), "");
}

TEST(TextTest, RecognisesWellFormedUtf8) {
  EXPECT_TRUE(IsValidUtf8("お気に入りZorvane"));
  EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));  // surrogate
  EXPECT_FALSE(IsValidUtf8("\x82\xa0"));      // CP932 bytes
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
      {"01234567\x81"
       "abc",
       8, none},
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

// ---- Character sets ----------------------------------------------------------------------

TEST(CharsetTest, KnowsTheNamesHtmlDeclaresWithoutRegardToCase) {
  using charset::Id;
  const struct {
    const char* name;
    Id id;
    std::uint32_t code_page;
  } cases[] = {
      {"UTF-8", Id::kUtf8, 65001},
      {"utf8", Id::kUtf8, 65001},
      {"Shift_JIS", Id::kShiftJis, 932},
      {"SHIFT-JIS", Id::kShiftJis, 932},
      {"Windows-31J", Id::kShiftJis, 932},
      {"CP932", Id::kShiftJis, 932},
      {"x-sjis", Id::kShiftJis, 932},
      {"EUC-JP", Id::kEucJp, 20932},
      {"x-euc-jp", Id::kEucJp, 20932},
      {"ISO-8859-1", Id::kWindows1252, 1252},  // read as windows-1252, as browsers do
      {"Latin-1", Id::kWindows1252, 1252},
      {"latin1", Id::kWindows1252, 1252},
      {"windows-1252", Id::kWindows1252, 1252},
      {"US-ASCII", Id::kWindows1252, 1252},
      {" utf-16le\t", Id::kUtf16Le, 1200},
      {"UTF-16BE", Id::kUtf16Be, 1201},
      {"x-klingon", Id::kUnknown, 0},
      {"utf-8;", Id::kUnknown, 0},
      {"", Id::kUnknown, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(charset::FromName(c.name), c.id);
    EXPECT_EQ(charset::CodePage(charset::FromName(c.name)), c.code_page);
  }
}

TEST(CharsetTest, DecodesTheUnicodeFormsWithReplacementCharacters) {
  const struct {
    const char* name;
    std::string bytes;
    std::string (*decode)(std::string_view);
    std::string utf8;
  } cases[] = {
      {"UTF-8 passes whole", "表示", charset::Utf8Lossy, "表示"},
      {"UTF-8 stray byte",
       "a\xFF"
       "b",
       charset::Utf8Lossy,
       "a\uFFFD"
       "b"},
      {"UTF-8 cut short", "\xE8\xA1", charset::Utf8Lossy, "\uFFFD\uFFFD"},
      {"UTF-16LE", std::string("\x68\x88\x3A\x79", 4),
       [](std::string_view b) { return charset::Utf16ToUtf8(b, false); }, "表示"},
      {"UTF-16BE pair", std::string("\xD8\x3D\xDE\x00\x00\x61", 6),
       [](std::string_view b) { return charset::Utf16ToUtf8(b, true); }, "\U0001F600a"},
      {"UTF-16LE lone surrogate, odd byte", std::string("\x3D\xD8\x61\x00\x62", 5),
       [](std::string_view b) { return charset::Utf16ToUtf8(b, false); }, "\uFFFDa\uFFFD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.decode(c.bytes), c.utf8);
  }
}

// The same rows for the platform of either build: POSIX on iconv, Win32 (under Wine) on
// the system's code pages.
TEST(DecodeTextTest, ThePlatformReadsTheSetsHtmlFilesDeclare) {
  const std::unique_ptr<Platform> platform = CreateDefaultPlatform();
  const struct {
    const char* charset;
    std::string bytes;
    std::string utf8;
  } cases[] = {
      {"Shift_JIS", "\x95\x5C\x8E\xA6 \xC3\xBD\xC4 \x87\x40\x81\x60", "表示 ﾃｽﾄ ①～"},
      {"windows-31j", "\x95\x5C", "表"},
      {"cp932", "\x95\x5C", "表"},
      {"X-SJIS", "\x95\x5C", "表"},
      {"Shift_JIS", "a\x95<b", "a\uFFFD<b"},      // a lead byte without its trail byte
      {"Shift_JIS", "\x95\x5C\x95", "表\uFFFD"},  // the text ends after a lead byte
      {"EUC-JP", "\xC9\xBD\xBC\xA8 \x8E\xC3", "表示 ﾃ"},
      {"ISO-8859-1", "Caf\xE9 \x80", "Caf\u00E9 \u20AC"},  // windows-1252's euro sign
      {"us-ascii", "a\x81", "a\u0081"},  // unassigned in windows-1252: the control character
      {"utf-8", "a\xFF", "a\uFFFD"},
      {"UTF-16LE", std::string("a\0", 2), "a"},
      {"Shift_JIS", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.charset) + " " + c.utf8);
    std::string utf8 = "before";
    EXPECT_TRUE(platform->DecodeText(c.charset, c.bytes, &utf8));
    EXPECT_EQ(utf8, c.utf8);
  }
  std::string untouched = "before";
  EXPECT_FALSE(platform->DecodeText("x-klingon", "abc", &untouched));
  EXPECT_EQ(untouched, "before");
}

}  // namespace
}  // namespace zorvane::text
