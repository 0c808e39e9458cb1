// The mailto: request that posts the ranking to the maker.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace zorvane::share {

// The subject of the posting: permission to publish the ranking on the Web.
inline constexpr char kMailSubject[] = "Webで公開してOKです";

// The four texts of one result row, in column order.
struct MailRow {
  std::string_view title;
  std::string_view rate;
  std::string_view address;
  std::string_view hits;
};

// Every field of every row in order, each followed by ";": title;rate;address;hits; for
// the first row, then the next, with nothing between rows.
std::string MailBody(std::span<const MailRow> rows);

// `text` with the ASCII characters that would end or split a mailto: request
// percent-encoded as %XX (uppercase hex): space " # % & + < = > ? \ ^ ` { | } and the
// control characters U+0000-U+001F and U+007F. Every other byte, ";" and non-ASCII text
// included, is kept, so a receiver that decodes the request reads `text` exactly.
std::string EncodeMailText(std::string_view text);

// "mailto:" + recipient + "?subject=" + subject + "&body=" + body, subject and body
// encoded with EncodeMailText.
std::string MailRequest(std::string_view recipient, std::string_view body);

}  // namespace zorvane::share
