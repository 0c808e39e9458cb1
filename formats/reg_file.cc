// Sections: text decoding and line splitting; small scanners; the line-by-line parser
// (a state machine: header, key and value lines, hex continuation lines); the serializer.
#include "formats/reg_file.h"

#include <cstddef>
#include <cstdio>
#include <optional>
#include <utility>

#include "base/text.h"
#include "formats/utf16.h"

namespace zorvane::regfile {
namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::size_t kHexWrapColumn = 77;

// ---- Text decoding and line splitting -------------------------------------------------

std::string_view TrimLeft(std::string_view s) { return text::TrimStart(s, text::kSpaceTab); }

std::string_view TrimRight(std::string_view s) { return text::TrimEnd(s, text::kSpaceTab); }

// Splits `text` at CR, LF and CR LF; a final line without a line end counts.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// ---- Scanners ---------------------------------------------------------------------------

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && text::EqualsIgnoringAsciiCase(s.substr(0, prefix.size()), prefix);
}

// Whether s[pos...] holds nothing but blanks and, optionally, a `;` comment.
bool RestIsBlank(std::string_view s, std::size_t pos) {
  const std::string_view rest = TrimLeft(s.substr(pos));
  return rest.empty() || rest.front() == ';';
}

// Reads 1 to 8 hex digits at s[*pos]; advances past them.
std::optional<std::uint32_t> ReadHexNumber(std::string_view s, std::size_t* pos) {
  std::uint32_t value = 0;
  std::size_t digits = 0;
  while (*pos < s.size() && HexDigit(s[*pos]) >= 0) {
    if (++digits > 8) return std::nullopt;
    value = (value << 4) | static_cast<std::uint32_t>(HexDigit(s[*pos]));
    ++*pos;
  }
  if (digits == 0) return std::nullopt;
  return value;
}

// Reads a double-quoted string at s[*pos] (which is '"') with the escapes `\\` and `\"`;
// a backslash before any other character stands for itself. Advances past the closing
// quote.
std::optional<std::string> ReadQuoted(std::string_view s, std::size_t* pos) {
  std::string out;
  std::size_t i = *pos + 1;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '"') {
      *pos = i + 1;
      return out;
    }
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
      out.push_back(s[i + 1]);
      i += 2;
      continue;
    }
    out.push_back(c);
    ++i;
  }
  return std::nullopt;
}

// Reads a comma-separated list of bytes (one or two hex digits each, a trailing comma
// allowed) from s[pos...]; a `\` after the list's final comma asks for a continuation
// line; a `;` comment may end the line. False when the list is malformed, and for a `\`
// after anything but a comma ("7\" before "5,00" is no byte 0x75), as regedit rules.
// With `opens_value` the list is the one right after "hex:" or "hex(N):", where a `\`
// may also stand alone: regedit puts every byte on the following lines when a long value
// name leaves no room for one.
bool ReadHexList(std::string_view s, std::size_t pos, bool opens_value, std::string* bytes,
                 bool* continues) {
  const auto skip_blanks = [&] {
    while (pos < s.size() && text::IsOneOf(s[pos], text::kSpaceTab)) ++pos;
  };
  *continues = false;
  bool after_comma = opens_value;
  skip_blanks();
  while (pos < s.size() && HexDigit(s[pos]) >= 0) {
    int byte = HexDigit(s[pos++]);
    if (pos < s.size() && HexDigit(s[pos]) >= 0) byte = (byte << 4) | HexDigit(s[pos++]);
    bytes->push_back(static_cast<char>(byte));
    after_comma = false;
    skip_blanks();
    if (pos == s.size() || s[pos] != ',') break;
    ++pos;
    after_comma = true;
    skip_blanks();
  }
  if (pos < s.size() && s[pos] == '\\') {
    if (!after_comma) return false;
    *continues = true;
    ++pos;
  }
  return RestIsBlank(s, pos);
}

bool IsStringType(std::uint32_t type) { return type == 1 || type == 2 || type == 7; }

std::optional<Root> RootByName(std::string_view name) {
  const std::string lower = text::AsciiLower(name);
  if (lower == "hkey_current_user" || lower == "hkcu") return Root::kCurrentUser;
  if (lower == "hkey_local_machine" || lower == "hklm") return Root::kLocalMachine;
  return std::nullopt;
}

// ---- Parser -------------------------------------------------------------------------------

class Parser {
 public:
  Parser(Document* document, const AnsiToUtf8& ansi_to_utf8)
      : document_(document), ansi_to_utf8_(ansi_to_utf8) {}

  void Line(std::string_view line, int number) {
    if (!text::IsValidUtf8(line)) {
      Fail(number, "not UTF-8 text");
      return;
    }
    switch (state_) {
      case State::kHeader:
        HeaderLine(line, number);
        break;
      case State::kBody:
        BodyLine(line, number);
        break;
      case State::kHexContinuation:
        ContinuationLine(line, number);
        break;
    }
  }

  // A file may end on a continuation request; the value then holds what was read.
  void Finish() {
    if (state_ == State::kHexContinuation) CommitPending();
  }

 private:
  enum class State { kHeader, kBody, kHexContinuation };
  enum class Format { kVersion5, kRegedit4 };

  struct PendingHex {
    Value value;
    int line = 0;
  };

  void Fail(int line, std::string reason) {
    document_->errors.push_back(Error{line, std::move(reason)});
  }

  void HeaderLine(std::string_view line, int number) {
    const std::string_view trimmed = TrimRight(TrimLeft(line));
    if (trimmed.empty()) return;
    state_ = State::kBody;
    if (trimmed == kHeader5) return;
    if (trimmed == kHeader4) {
      format_ = Format::kRegedit4;
      return;
    }
    Fail(number, "missing header \"Windows Registry Editor Version 5.00\"");
    // A headless file is still read from its first key or value line on.
    if (trimmed.front() == '[' || trimmed.front() == '"' || trimmed.front() == '@') {
      BodyLine(line, number);
    }
  }

  void BodyLine(std::string_view raw, int number) {
    const std::string_view line = TrimLeft(raw);
    if (line.empty() || line.front() == ';' || line.front() == '#') return;
    if (line.front() == '[') {
      KeyLine(line, number);
    } else if (line.front() == '"' || line.front() == '@') {
      ValueLine(line, number);
    } else {
      Fail(number, "neither a key nor a value line");
    }
  }

  void KeyLine(std::string_view line, int number) {
    values_go_nowhere_ = true;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) return Fail(number, "key line without ']'");
    if (!RestIsBlank(line, close + 1)) return Fail(number, "text after ']'");
    std::string_view inner = line.substr(1, close - 1);
    Block block;
    if (!inner.empty() && inner.front() == '-') {
      block.deleted = true;
      inner.remove_prefix(1);
    }
    const std::size_t slash = inner.find('\\');
    const std::optional<Root> root = RootByName(inner.substr(0, slash));
    if (!root) return Fail(number, "unknown root key");
    block.root = *root;
    if (slash != std::string_view::npos) {
      std::string_view rest = inner.substr(slash + 1);
      while (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
      while (!rest.empty()) {
        const std::size_t next = rest.find('\\');
        const std::string_view name = rest.substr(0, next);
        if (name.empty()) return Fail(number, "empty key name");
        block.path.emplace_back(name);
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 1);
      }
    }
    values_go_nowhere_ = block.deleted;
    document_->blocks.push_back(std::move(block));
  }

  void ValueLine(std::string_view line, int number) {
    Value value;
    std::size_t pos = 0;
    if (line.front() == '@') {
      pos = 1;
    } else {
      std::optional<std::string> name = ReadQuoted(line, &pos);
      if (!name) return Fail(number, "value name without closing '\"'");
      value.name = std::move(*name);
    }
    while (pos < line.size() && text::IsOneOf(line[pos], text::kSpaceTab)) ++pos;
    if (pos == line.size() || line[pos] != '=') return Fail(number, "value without '='");
    ++pos;
    while (pos < line.size() && text::IsOneOf(line[pos], text::kSpaceTab)) ++pos;
    const std::string_view data = line.substr(pos);

    if (!data.empty() && data.front() == '-') {
      if (!RestIsBlank(data, 1)) return Fail(number, "text after '-'");
      value.deleted = true;
    } else if (!data.empty() && data.front() == '"') {
      std::size_t end = 0;
      std::optional<std::string> text = ReadQuoted(data, &end);
      if (!text) return Fail(number, "string without closing '\"'");
      if (!RestIsBlank(data, end)) return Fail(number, "text after the string");
      value.type = 1;
      value.data = utf16::FromUtf8(*text);
      value.data.append(2, '\0');
    } else if (StartsWithNoCase(data, "dword:")) {
      std::size_t end = 6;
      while (end < data.size() && text::IsOneOf(data[end], text::kSpaceTab)) ++end;  // regedit allows blanks here
      const std::optional<std::uint32_t> number_value = ReadHexNumber(data, &end);
      if (!number_value || !RestIsBlank(data, end)) return Fail(number, "malformed dword");
      value.type = 4;
      for (int shift = 0; shift < 32; shift += 8) {
        value.data.push_back(static_cast<char>((*number_value >> shift) & 0xFF));
      }
    } else if (StartsWithNoCase(data, "hex")) {
      std::size_t end = 3;
      value.type = 3;
      if (end < data.size() && data[end] == '(') {
        ++end;
        const std::optional<std::uint32_t> type = ReadHexNumber(data, &end);
        if (!type || end >= data.size() || data[end] != ')') return Fail(number, "malformed hex(");
        value.type = *type;
        ++end;
      }
      if (end >= data.size() || data[end] != ':') return Fail(number, "hex without ':'");
      bool continues = false;
      if (!ReadHexList(data, end + 1, /*opens_value=*/true, &value.data, &continues)) {
        return Fail(number, "malformed hex data");
      }
      if (values_go_nowhere_) return Fail(number, "value outside a key");
      pending_ = PendingHex{std::move(value), number};
      if (continues) {
        state_ = State::kHexContinuation;
      } else {
        CommitPending();
      }
      return;
    } else {
      return Fail(number, "unknown value data");
    }
    if (values_go_nowhere_) return Fail(number, "value outside a key");
    document_->blocks.back().values.push_back(std::move(value));
  }

  void ContinuationLine(std::string_view raw, int number) {
    const std::string_view line = TrimLeft(raw);
    if (line.empty() || line.front() == ';') return;
    bool continues = false;
    std::string more;
    if (line.front() == '#' || !ReadHexList(line, 0, /*opens_value=*/false, &more, &continues)) {
      // The value is cut short: drop it, and read this line afresh.
      Fail(pending_.line, "hex data continued by a line that is not hex data");
      state_ = State::kBody;
      BodyLine(line, number);
      return;
    }
    pending_.value.data += more;
    if (!continues) CommitPending();
  }

  void CommitPending() {
    state_ = State::kBody;
    Value& value = pending_.value;
    if (format_ == Format::kRegedit4 && IsStringType(value.type)) {
      value.data = utf16::FromUtf8(ansi_to_utf8_ ? ansi_to_utf8_(value.data) : value.data);
    }
    document_->blocks.back().values.push_back(std::move(value));
  }

  Document* document_;
  const AnsiToUtf8& ansi_to_utf8_;
  State state_ = State::kHeader;
  Format format_ = Format::kVersion5;
  // No key line yet, or the last one was bad or a deletion; otherwise values go to the
  // last block.
  bool values_go_nowhere_ = true;
  PendingHex pending_;
};

// ---- Serializer ---------------------------------------------------------------------------

std::string Escape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

// The text of a type-1 value when `"text"` gives back exactly its bytes: UTF-16LE that
// converts losslessly, one terminating NUL and no other, and no line breaks.
std::optional<std::string> AsQuotableText(std::string_view data) {
  if (data.size() < 2 || data.size() % 2 != 0) return std::nullopt;
  if (data.substr(data.size() - 2) != std::string_view("\0\0", 2)) return std::nullopt;
  if (!utf16::RoundTrips(data)) return std::nullopt;
  std::string text = utf16::ToUtf8(data.substr(0, data.size() - 2));
  if (text.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos) return std::nullopt;
  return text;
}

void AppendHex(std::string_view prefix, std::string_view data, std::string* out) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out->append(prefix);
  std::size_t column = text::CharCount(prefix);
  for (std::size_t i = 0; i < data.size(); ++i) {
    const auto byte = static_cast<unsigned char>(data[i]);
    out->push_back(kDigits[byte >> 4]);
    out->push_back(kDigits[byte & 0xF]);
    if (i + 1 == data.size()) break;
    out->push_back(',');
    column += 3;
    if (column >= kHexWrapColumn) {
      out->append("\\\r\n  ");
      column = 2;
    }
  }
}

void AppendValue(const Value& value, std::string* out) {
  std::string prefix = value.name.empty() ? "@=" : "\"" + Escape(value.name) + "\"=";
  if (value.deleted) {
    out->append(prefix).append("-");
    return;
  }
  if (value.type == 1) {
    if (const std::optional<std::string> text = AsQuotableText(value.data)) {
      out->append(prefix).append("\"").append(Escape(*text)).append("\"");
      return;
    }
  }
  if (value.type == 4 && value.data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) {
      number = (number << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
    }
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", number);
    out->append(prefix).append("dword:").append(digits);
    return;
  }
  if (value.type == 3) {
    prefix += "hex:";
  } else {
    char type[16];
    std::snprintf(type, sizeof type, "hex(%x):", value.type);
    prefix += type;
  }
  AppendHex(prefix, value.data, out);
}

}  // namespace

const char* RootName(Root root) {
  return root == Root::kCurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

Document Parse(std::string_view bytes, const AnsiToUtf8& ansi_to_utf8) {
  Document document;
  std::string decoded;
  std::string_view text = bytes;
  if (text.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
    const std::string_view body = text.substr(kUtf16LeBom.size());
    if (!utf16::RoundTrips(body)) {
      document.errors.push_back(Error{0, "not valid UTF-16LE text"});
    }
    decoded = utf16::ToUtf8(body);
    text = decoded;
  } else if (text.substr(0, kUtf16BeBom.size()) == kUtf16BeBom) {
    document.errors.push_back(Error{0, "UTF-16BE files are not read"});
    return document;
  } else if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    text.remove_prefix(kUtf8Bom.size());
  }

  Parser parser(&document, ansi_to_utf8);
  int number = 0;
  for (const std::string_view line : SplitLines(text)) parser.Line(line, ++number);
  parser.Finish();
  return document;
}

std::string Serialize(const std::vector<Block>& blocks) {
  std::string out(kHeader5);
  out.append("\r\n\r\n");
  for (const Block& block : blocks) {
    out.append(block.deleted ? "[-" : "[").append(RootName(block.root));
    for (const std::string& name : block.path) out.append("\\").append(name);
    out.append("]\r\n");
    for (const Value& value : block.values) {
      AppendValue(value, &out);
      out.append("\r\n");
    }
    out.append("\r\n");
  }
  return out;
}

}  // namespace zorvane::regfile
