#include "share/mail_request.h"

namespace zorvane::share {
namespace {

bool NeedsEncoding(unsigned char byte) {
  if (byte < 0x20 || byte == 0x7F) return true;
  switch (byte) {
    case ' ':
    case '"':
    case '#':
    case '%':
    case '&':
    case '+':
    case '<':
    case '=':
    case '>':
    case '?':
    case '\\':
    case '^':
    case '`':
    case '{':
    case '|':
    case '}':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string MailBody(std::span<const MailRow> rows) {
  std::string body;
  for (const MailRow& row : rows) {
    for (std::string_view field : {row.title, row.rate, row.address, row.hits}) {
      body.append(field);
      body.push_back(';');
    }
  }
  return body;
}

std::string EncodeMailText(std::string_view text) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (NeedsEncoding(byte)) {
      encoded.push_back('%');
      encoded.push_back(kHexDigits[byte >> 4]);
      encoded.push_back(kHexDigits[byte & 0xF]);
    } else {
      encoded.push_back(c);
    }
  }
  return encoded;
}

std::string MailRequest(std::string_view recipient, std::string_view body) {
  std::string request = "mailto:";
  request.append(recipient);
  request.append("?subject=");
  request.append(EncodeMailText(kMailSubject));
  request.append("&body=");
  request.append(EncodeMailText(body));
  return request;
}

}  // namespace zorvane::share
