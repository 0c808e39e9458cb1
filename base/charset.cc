#include "base/charset.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#include "base/text.h"

namespace zorvane::charset {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The labels of the sets, as browsers know them, plus "cp932" and "latin-1" that
// people write too.
constexpr std::pair<std::string_view, Id> kLabels[] = {
    {"utf-8", Id::kUtf8},
    {"utf8", Id::kUtf8},
    {"unicode-1-1-utf-8", Id::kUtf8},
    {"unicode11utf8", Id::kUtf8},
    {"unicode20utf8", Id::kUtf8},
    {"x-unicode20utf8", Id::kUtf8},
    {"utf-16le", Id::kUtf16Le},
    {"utf-16", Id::kUtf16Le},
    {"unicode", Id::kUtf16Le},
    {"unicodefeff", Id::kUtf16Le},
    {"ucs-2", Id::kUtf16Le},
    {"iso-10646-ucs-2", Id::kUtf16Le},
    {"csunicode", Id::kUtf16Le},
    {"utf-16be", Id::kUtf16Be},
    {"unicodefffe", Id::kUtf16Be},
    {"windows-1252", Id::kWindows1252},
    {"cp1252", Id::kWindows1252},
    {"x-cp1252", Id::kWindows1252},
    {"iso-8859-1", Id::kWindows1252},
    {"iso8859-1", Id::kWindows1252},
    {"iso88591", Id::kWindows1252},
    {"iso_8859-1", Id::kWindows1252},
    {"iso_8859-1:1987", Id::kWindows1252},
    {"iso-ir-100", Id::kWindows1252},
    {"csisolatin1", Id::kWindows1252},
    {"latin1", Id::kWindows1252},
    {"latin-1", Id::kWindows1252},
    {"l1", Id::kWindows1252},
    {"cp819", Id::kWindows1252},
    {"ibm819", Id::kWindows1252},
    {"us-ascii", Id::kWindows1252},
    {"ascii", Id::kWindows1252},
    {"ansi_x3.4-1968", Id::kWindows1252},
    {"shift_jis", Id::kShiftJis},
    {"shift-jis", Id::kShiftJis},
    {"sjis", Id::kShiftJis},
    {"x-sjis", Id::kShiftJis},
    {"windows-31j", Id::kShiftJis},
    {"cp932", Id::kShiftJis},
    {"ms932", Id::kShiftJis},
    {"ms_kanji", Id::kShiftJis},
    {"csshiftjis", Id::kShiftJis},
    {"euc-jp", Id::kEucJp},
    {"x-euc-jp", Id::kEucJp},
    {"cseucpkdfmtjapanese", Id::kEucJp},
};

}  // namespace

Id FromName(std::string_view name) {
  const std::string lower = text::AsciiLower(text::Trim(name, text::kHtmlWhitespace));
  for (const auto& [label, id] : kLabels) {
    if (lower == label) return id;
  }
  return Id::kUnknown;
}

std::uint32_t CodePage(Id id) {
  switch (id) {
    case Id::kUtf8:
      return 65001;
    case Id::kUtf16Le:
      return 1200;
    case Id::kUtf16Be:
      return 1201;
    case Id::kWindows1252:
      return 1252;
    case Id::kShiftJis:
      return 932;
    case Id::kEucJp:
      return 20932;
    case Id::kUnknown:
      break;
  }
  return 0;
}

std::string Utf8Lossy(std::string_view bytes) {
  // Most text is well formed and passes whole.
  if (text::IsValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + 16);
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t start = i;
    const char32_t cp = text::DecodeUtf8(bytes, &i);
    if (cp == text::kMalformedUtf8) {
      text::AppendUtf8(kReplacement, &out);
    } else {
      out.append(bytes.substr(start, i - start));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool big_endian) {
  const auto unit_at = [&](std::size_t i) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<std::uint16_t>(big_endian ? (first << 8) | second : (second << 8) | first);
  };
  const auto is_high = [](std::uint16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; };
  const auto is_low = [](std::uint16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  const std::size_t end = bytes.size() & ~static_cast<std::size_t>(1);
  for (std::size_t i = 0; i < end; i += 2) {
    const std::uint16_t unit = unit_at(i);
    if (is_high(unit) && i + 2 < end && is_low(unit_at(i + 2))) {
      const std::uint16_t low = unit_at(i + 2);
      text::AppendUtf8(0x10000 + ((static_cast<char32_t>(unit - 0xD800) << 10) | (low - 0xDC00)),
                       &out);
      i += 2;
    } else if (is_high(unit) || is_low(unit)) {
      text::AppendUtf8(kReplacement, &out);
    } else {
      text::AppendUtf8(unit, &out);
    }
  }
  if (end != bytes.size()) text::AppendUtf8(kReplacement, &out);
  return out;
}

}  // namespace zorvane::charset
