#include "share/mail_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorvane::share {
namespace {

constexpr char kRecipient[] = "ranking@zorvane.example";
constexpr char kPrefix[] = "mailto:ranking@zorvane.example?subject=Webで公開してOKです&body=";

TEST(MailRequestTest, EmptyListGivesThePrefixOnly) {
  EXPECT_EQ(MailBody({}), "");
  EXPECT_EQ(MailRequest(kRecipient, MailBody({})), kPrefix);
}

TEST(MailRequestTest, BodyHoldsFourFieldsPerRowEachEndedBySemicolon) {
  const std::vector<MailRow> rows = {
      {"天気", "12.5%", "http://tenki.example/", "40"},
      {"News", "3%", "http://news.example/", "9"},
  };
  EXPECT_EQ(MailBody(rows), "天気;12.5%;http://tenki.example/;40;News;3%;http://news.example/;9;");
}

TEST(MailRequestTest, EmptyFieldsStillGetTheirSeparator) {
  const std::vector<MailRow> rows = {{"", "", "", ""}};
  EXPECT_EQ(MailBody(rows), ";;;;");
}

TEST(MailRequestTest, EncodingTable) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"", ""},
      {"plain", "plain"},
      {"a;b", "a;b"},
      {"a b", "a%20b"},
      {"100%", "100%25"},
      {"%20", "%2520"},
      {"http://x.example/?q=1&r=2#top", "http://x.example/%3Fq%3D1%26r%3D2%23top"},
      {"a+b", "a%2Bb"},
      {"\"<>\\^`{|}", "%22%3C%3E%5C%5E%60%7B%7C%7D"},
      {"line\r\nnext", "line%0D%0Anext"},
      {"tab\t", "tab%09"},
      {std::string("nul\0", 4), "nul%00"},
      {"del\x7f", "del%7F"},
      {"天気 予報", "天気%20予報"},
      {"café", "café"},
      {"'()*!~-_.:/@,$[]", "'()*!~-_.:/@,$[]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("text \"" + c.text + "\"");
    EXPECT_EQ(EncodeMailText(c.text), c.expected);
  }
}

TEST(MailRequestTest, RequestEncodesTheBodyAfterTheFixedPrefix) {
  const std::vector<MailRow> rows = {
      {"Q&A #1", "50%", "http://qa.example/?a=1&b=2", "7"},
      {"改行\r\nあり", "50%", "http://x.example/a b", "7"},
  };
  EXPECT_EQ(MailRequest(kRecipient, MailBody(rows)),
            std::string(kPrefix) +
                "Q%26A%20%231;50%25;http://qa.example/%3Fa%3D1%26b%3D2;7;"
                "改行%0D%0Aあり;50%25;http://x.example/a%20b;7;");
}

}  // namespace
}  // namespace zorvane::share
