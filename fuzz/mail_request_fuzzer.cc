// The mail request over any row texts: the body inside the request holds no character
// that would end or split a mailto: request (space, CR, LF, "&", "#", a "%" that starts
// no escape), and decoding it gives back exactly the body, field separators included.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "share/mail_request.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // lower-case digits are never written
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zorvane::share;
  FuzzedDataProvider in(data, size);
  std::vector<std::string> texts;
  const int row_count = in.ConsumeIntegralInRange(0, 10);
  for (int i = 0; i < row_count * 4; ++i) texts.push_back(in.ConsumeRandomLengthString(64));
  std::vector<MailRow> rows;
  for (int i = 0; i < row_count; ++i) {
    rows.push_back({texts[4 * i], texts[4 * i + 1], texts[4 * i + 2], texts[4 * i + 3]});
  }

  const std::string body = MailBody(rows);
  const std::string request = MailRequest("someone@example.com", body);
  const std::string marker = "&body=";
  FUZZ_CHECK(request.rfind("mailto:someone@example.com?subject=", 0) == 0);
  const std::size_t at = request.find(marker);
  FUZZ_CHECK(at != std::string::npos);
  FUZZ_CHECK(request.find('&', at + 1) == std::string::npos);
  FUZZ_CHECK(request.find('#') == std::string::npos);
  const std::string_view encoded = std::string_view(request).substr(at + marker.size());

  std::string decoded;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    const char c = encoded[i];
    FUZZ_CHECK(c != ' ' && c != '\r' && c != '\n' && c != '&' && c != '#' && c != '?' && c != '\0');
    if (c == '%') {
      FUZZ_CHECK(i + 2 < encoded.size());
      const int high = HexValue(encoded[i + 1]);
      const int low = HexValue(encoded[i + 2]);
      FUZZ_CHECK(high >= 0 && low >= 0);
      decoded.push_back(static_cast<char>(high * 16 + low));
      i += 2;
    } else {
      decoded.push_back(c);
    }
  }
  FUZZ_CHECK(decoded == body);
  return 0;
}
