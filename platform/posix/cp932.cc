#include "platform/posix/cp932.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/code_page.h"
#include "base/text.h"

namespace zorvane::cp932 {
namespace {

constexpr char32_t kDefaultChar = 0x30FB;  // KATAKANA MIDDLE DOT, code page 932's default
constexpr char32_t kUnassigned = 0xFFFFFFFF;

bool IsTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// The code page's table, read from iconv once: every single byte and every lead/trail
// pair with the code point iconv gives it, and the reverse map for encoding.
class Table {
 public:
  static const Table& Get() {
    static const Table table;
    return table;
  }

  char32_t Single(unsigned char byte) const { return single_[byte]; }
  char32_t Pair(unsigned char lead, unsigned char trail) const {
    return pairs_[(lead << 8) | trail];
  }
  // Whether the code point below 0x10000 comes back as itself through the code page.
  bool BasicSurvives(char32_t cp) const { return basic_survives_[cp]; }
  // Whether a single byte, or a lead/trail pair, is what encoding its character gives.
  bool SingleCanonical(unsigned char byte) const { return single_canonical_[byte]; }
  bool PairCanonical(unsigned char lead, unsigned char trail) const {
    return pair_canonical_[(lead << 8) | trail];
  }
  // The CP932 bytes (1 or 2) for `cp`, or 0 when the code page cannot hold it.
  std::uint16_t Encode(char32_t cp) const {
    if (cp < basic_.size()) return basic_[cp];
    const auto found = reverse_.find(cp);
    return found == reverse_.end() ? 0 : found->second;
  }

 private:
  Table() : pairs_(65536, kUnassigned) {
    iconv_t cd = iconv_open("UTF-32LE", "CP932");
    for (int b = 0; b < 256; ++b) single_[b] = kUnassigned;
    for (int b = 0; b < 0x80; ++b) single_[b] = static_cast<char32_t>(b);
    if (cd != reinterpret_cast<iconv_t>(-1)) {
      for (int b = 0xA1; b <= 0xDF; ++b) {
        const char in[1] = {static_cast<char>(b)};
        single_[b] = Convert(cd, in, 1);
      }
      for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
          if (!IsTrailByte(static_cast<unsigned char>(trail))) continue;
          const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
          pairs_[(lead << 8) | trail] = Convert(cd, in, 2);
        }
      }
      iconv_close(cd);
    } else {
      // Without iconv's table only the half-width katakana are known.
      for (int b = 0xA1; b <= 0xDF; ++b) single_[b] = static_cast<char32_t>(0xFF61 + b - 0xA1);
    }
    // Bytes that Windows maps although they are no characters of the code page.
    single_[0x80] = 0x0080;
    single_[0xA0] = 0xF8F0;
    single_[0xFD] = 0xF8F1;
    single_[0xFE] = 0xF8F2;
    single_[0xFF] = 0xF8F3;

    for (int b = 0; b < 256; ++b) {
      if (single_[b] != kUnassigned) reverse_.emplace(single_[b], static_cast<std::uint16_t>(b));
    }
    // Where several pairs give one code point (NEC and IBM duplicates), the first pair in
    // code order is the one Windows writes.
    for (int code = 0x8100; code < 0x10000; ++code) {
      if (pairs_[code] != kUnassigned) {
        reverse_.emplace(pairs_[code], static_cast<std::uint16_t>(code));
      }
    }
    // Windows' best-fit mappings for the JIS forms of a few characters.
    const std::pair<char32_t, std::uint16_t> best_fit[] = {
        {0x00A5, 0x5C},   {0x203E, 0x7E},   {0x301C, 0x8160}, {0x2016, 0x8161},
        {0x2212, 0x817C}, {0x00A2, 0x8191}, {0x00A3, 0x8192}, {0x00AC, 0x81CA}};
    for (const auto& [cp, code] : best_fit) reverse_.emplace(cp, code);
    // The Basic Multilingual Plane, where every character of the code page lies, as a
    // table: encoding then costs one look-up per character.
    basic_.assign(0x10000, 0);
    for (const auto& [cp, code] : reverse_) {
      if (cp < basic_.size()) basic_[cp] = code;
    }
    // The round trips, as tables: a code point survives when its bytes decode to it, bytes
    // are canonical when their code point encodes to them.
    basic_survives_.assign(0x10000, false);
    for (char32_t cp = 0; cp < 0x10000; ++cp) {
      const std::uint16_t code = basic_[cp];
      if (cp < 0x80) {
        basic_survives_[cp] = true;
      } else if (code > 0xFF) {
        basic_survives_[cp] = pairs_[code] == cp;
      } else if (code != 0) {
        basic_survives_[cp] = !IsLeadByte(static_cast<unsigned char>(code)) && single_[code] == cp;
      }
    }
    for (int b = 0; b < 256; ++b) {
      single_canonical_[b] = !IsLeadByte(static_cast<unsigned char>(b)) &&
                             single_[b] != kUnassigned && (b < 0x80 || Encode(single_[b]) == b);
    }
    pair_canonical_.assign(65536, false);
    for (int code = 0x8100; code < 0x10000; ++code) {
      pair_canonical_[code] = pairs_[code] != kUnassigned && Encode(pairs_[code]) == code;
    }
  }

  static char32_t Convert(iconv_t cd, const char* in, std::size_t in_size) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char out[8];
    char* in_ptr = const_cast<char*>(in);
    char* out_ptr = out;
    std::size_t in_left = in_size;
    std::size_t out_left = sizeof(out);
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1) ||
        in_left != 0 || out_left != 4) {
      return kUnassigned;
    }
    return static_cast<char32_t>(
        static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8) |
        (static_cast<unsigned char>(out[2]) << 16) | (static_cast<unsigned char>(out[3]) << 24));
  }

  std::array<char32_t, 256> single_{};
  std::vector<char32_t> pairs_;
  std::unordered_map<char32_t, std::uint16_t> reverse_;
  std::vector<std::uint16_t> basic_;  // reverse_ for code points below 0x10000
  std::vector<bool> basic_survives_;
  std::array<bool, 256> single_canonical_{};
  std::vector<bool> pair_canonical_;
};

}  // namespace

bool IsLeadByte(unsigned char byte) { return IsCp932LeadByte(byte); }

std::string ToUtf8(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  const Table* table = nullptr;
  for (std::size_t i = 0; i < in.size();) {
    // ASCII is the same in both: copy each run of it whole.
    const std::size_t run = text::AsciiPrefixLength(in.substr(i));
    out.append(in, i, run);
    i += run;
    if (i == in.size()) break;
    const auto byte = static_cast<unsigned char>(in[i]);
    if (table == nullptr) table = &Table::Get();
    if (!IsLeadByte(byte)) {
      const char32_t cp = table->Single(byte);
      text::AppendUtf8(cp == kUnassigned ? kDefaultChar : cp, &out);
      ++i;
      continue;
    }
    if (i + 1 >= in.size() || in[i + 1] == '\0') {
      text::AppendUtf8(kDefaultChar, &out);  // dangling lead byte: only the lead is consumed
      ++i;
      continue;
    }
    const auto trail = static_cast<unsigned char>(in[i + 1]);
    const char32_t cp = IsTrailByte(trail) ? table->Pair(byte, trail) : kUnassigned;
    text::AppendUtf8(cp == kUnassigned ? kDefaultChar : cp, &out);
    i += 2;
  }
  return out;
}

std::string FromUtf8(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  const Table* table = nullptr;
  for (std::size_t i = 0; i < in.size();) {
    const std::size_t run = text::AsciiPrefixLength(in.substr(i));
    out.append(in, i, run);
    i += run;
    if (i == in.size()) break;
    if (table == nullptr) table = &Table::Get();
    const char32_t cp = text::DecodeUtf8(in, &i);
    const std::uint16_t code = cp == text::kMalformedUtf8 ? 0 : table->Encode(cp);
    if (code == 0) {
      out.push_back('?');
    } else if (code > 0xFF) {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    } else {
      out.push_back(static_cast<char>(code));
    }
  }
  return out;
}

bool SurvivesRoundTrip(std::string_view in) {
  const Table* table = nullptr;
  for (std::size_t i = 0; i < in.size();) {
    const auto b0 = static_cast<unsigned char>(in[i]);
    if (b0 < 0x80) {
      i += text::AsciiPrefixLength(in.substr(i));
      continue;
    }
    if (table == nullptr) table = &Table::Get();
    // Most text beyond ASCII here is Japanese: three-byte sequences, decoded in line.
    if (b0 >= 0xE0 && b0 <= 0xEF && i + 2 < in.size()) {
      const auto b1 = static_cast<unsigned char>(in[i + 1]);
      const auto b2 = static_cast<unsigned char>(in[i + 2]);
      if ((b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80) {
        const char32_t cp = ((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
        // Overlong forms and surrogates are malformed, and malformed text never survives.
        if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF) || !table->BasicSurvives(cp)) {
          return false;
        }
        i += 3;
        continue;
      }
    }
    const char32_t cp = text::DecodeUtf8(in, &i);
    if (cp >= 0x10000 || !table->BasicSurvives(cp)) return false;  // malformed included
  }
  return true;
}

bool IsCanonical(std::string_view in) {
  const Table* table = nullptr;
  for (std::size_t i = 0; i < in.size();) {
    const auto byte = static_cast<unsigned char>(in[i]);
    if (byte < 0x80) {
      i += text::AsciiPrefixLength(in.substr(i));
      continue;
    }
    if (table == nullptr) table = &Table::Get();
    if (!IsLeadByte(byte)) {
      if (!table->SingleCanonical(byte)) return false;
      ++i;
      continue;
    }
    // A dangling lead byte decodes to the default character, which encodes to a pair.
    if (i + 1 >= in.size()) return false;
    if (!table->PairCanonical(byte, static_cast<unsigned char>(in[i + 1]))) return false;
    i += 2;
  }
  return true;
}

std::size_t CutAtCharBoundary(std::string_view cp932, std::size_t max_bytes) {
  std::size_t i = 0;
  while (i < cp932.size()) {
    const std::size_t width =
        IsLeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size() ? 2 : 1;
    if (i + width > max_bytes) break;
    i += width;
  }
  return i;
}

AnsiCodePage& CodePage() {
  class Cp932 final : public AnsiCodePage {
   public:
    std::string ToAnsi(std::string_view utf8) override { return FromUtf8(utf8); }
    std::string FromAnsi(std::string_view ansi) override { return ToUtf8(ansi); }
    bool SurvivesAnsi(std::string_view utf8) override { return SurvivesRoundTrip(utf8); }
    bool IsCanonicalAnsi(std::string_view ansi) override { return IsCanonical(ansi); }
  };
  static Cp932 code_page;
  return code_page;
}

}  // namespace zorvane::cp932
