#include "platform/profile_engine.h"

#include <deque>
#include <unordered_map>

// Sections of this file: walking code page 932 text; lines and their kinds; reading;
// writing.

namespace zorvane::profile {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// ---- Walking code page 932 text ------------------------------------------------------
// A lead byte and the byte after it are one character, whatever that byte is (that is
// how the code page decodes them); a lead byte at the end of the text stands alone. Text
// handed to these helpers never spans a line end, so CR and LF are never swallowed.

bool IsLeadByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::size_t CharLength(std::string_view s, std::size_t i) {
  return IsLeadByte(s[i]) && i + 1 < s.size() ? 2 : 1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }

char AsciiFold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Where the last character of a non-empty `s` starts.
std::size_t LastCharStart(std::string_view s) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) start = i;
  return start;
}

bool EndsInLoneLeadByte(std::string_view s) {
  return !s.empty() && IsLeadByte(s.back()) && LastCharStart(s) == s.size() - 1;
}

// The first single-byte character `c` of `s`, or npos.
std::size_t FindChar(std::string_view s, char c) {
  for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) {
    if (s[i] == c && CharLength(s, i) == 1) return i;
  }
  return std::string_view::npos;
}

// The length of `s` without its trailing single-byte characters for which `strip` holds.
template <typename Pred>
std::size_t LengthWithoutTrailing(std::string_view s, Pred strip) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t length = CharLength(s, i);
    if (length == 2 || !strip(s[i])) end = i + length;
    i += length;
  }
  return end;
}

// `s` without leading and trailing space, TAB and VT.
std::string_view Trim(std::string_view s) {
  std::size_t begin = 0;
  while (begin < s.size() && IsBlank(s[begin])) ++begin;  // always at a character start
  s.remove_prefix(begin);
  return s.substr(0, LengthWithoutTrailing(s, IsBlank));
}

// Whether two names are equal, A-Z and a-z alike; trail bytes are compared as they are.
bool EqualNames(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    if (CharLength(a, i) == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      i += 2;
    } else {
      if (AsciiFold(a[i]) != AsciiFold(b[i])) return false;
      ++i;
    }
  }
  return true;
}

// `name` with A-Z turned into a-z outside double-byte characters: equal for two names
// exactly when EqualNames holds.
std::string FoldName(std::string_view name) {
  std::string folded(name);
  for (std::size_t i = 0; i < folded.size(); i += CharLength(folded, i)) {
    folded[i] = AsciiFold(folded[i]);
  }
  return folded;
}

// A value as the reader returns it: trimmed, then one outer pair of equal quotes removed.
std::string_view Unquote(std::string_view raw) {
  const std::string_view value = Trim(raw);
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0] &&
      LastCharStart(value) == value.size() - 1) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// ---- Lines and their kinds -----------------------------------------------------------

struct Line {
  std::string_view text;  // without its terminator
  std::string_view eol;   // "\r\n", "\n", "\r", or "" for a last line without one
};

std::vector<Line> SplitLines(std::string_view file) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < file.size()) {
    std::size_t end = start;
    while (end < file.size() && file[end] != '\r' && file[end] != '\n') ++end;
    std::size_t eol_length = 0;
    if (end < file.size()) {
      eol_length = file[end] == '\r' && end + 1 < file.size() && file[end + 1] == '\n' ? 2 : 1;
    }
    lines.push_back({file.substr(start, end - start), file.substr(end, eol_length)});
    start = end + eol_length;
  }
  return lines;
}

enum class LineKind { kBlank, kComment, kSection, kEntry };

struct ParsedLine {
  LineKind kind;
  std::string_view name;  // kSection: the section name
  std::string_view body;  // kEntry: the line without its leading blanks
};

ParsedLine Parse(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  const std::string_view body = text.substr(begin);
  if (body.empty()) return {LineKind::kBlank, {}, {}};
  if (body[0] == ';') return {LineKind::kComment, {}, {}};
  if (body[0] == '[') {
    const std::string_view inside = body.substr(1);
    return {LineKind::kSection, Trim(inside.substr(0, FindChar(inside, ']'))), {}};
  }
  return {LineKind::kEntry, {}, body};
}

// A key line that `key` names, with the key as the line spells it and the value as it
// stands after the "=".
struct KeyMatch {
  std::string_view spelling;
  std::string_view raw_value;
};

// Matches an entry line's `body` against a trimmed `key`. A key without "=" must equal
// the trimmed text before the line's first "="; a key with "=" must begin the line and
// be followed by blanks and "=".
std::optional<KeyMatch> MatchKey(std::string_view body, std::string_view key) {
  if (FindChar(key, '=') == std::string_view::npos) {
    const std::size_t equals = FindChar(body, '=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view name = Trim(body.substr(0, equals));
    if (!EqualNames(name, key)) return std::nullopt;
    return KeyMatch{name, body.substr(equals + 1)};
  }
  if (body.size() < key.size() || EndsInLoneLeadByte(key) ||
      !EqualNames(body.substr(0, key.size()), key)) {
    return std::nullopt;
  }
  std::size_t i = key.size();
  while (i < body.size() && IsBlank(body[i])) ++i;
  if (i == body.size() || body[i] != '=') return std::nullopt;
  return KeyMatch{body.substr(0, key.size()), body.substr(i + 1)};
}


}  // namespace

std::string EncodeValue(std::string_view value) {
  if (value.empty()) return std::string();
  const char first = value[0];
  const std::size_t last_start = LastCharStart(value);
  const bool last_is_single = last_start == value.size() - 1;
  const bool outer_blank = IsBlank(first) || (last_is_single && IsBlank(value.back()));
  const bool outer_quotes = value.size() >= 2 && (first == '"' || first == '\'') &&
                            last_is_single && value.back() == first;
  if (!outer_blank && !outer_quotes) return std::string(value);
  std::string quoted;
  quoted.reserve(value.size() + 2);
  quoted.push_back('"');
  quoted.append(value);
  quoted.push_back('"');
  return quoted;
}

// ---- Reading -------------------------------------------------------------------------

std::size_t CutAtCharBoundary(std::string_view text, std::size_t max_bytes) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t length = CharLength(text, i);
    if (i + length > max_bytes) break;
    i += length;
  }
  return i;
}

std::optional<std::string_view> FindValue(std::string_view file, std::string_view section,
                                          std::string_view key) {
  const std::string_view wanted_section = Trim(section);
  const std::string_view wanted_key = Trim(key);
  bool in_section = false;
  for (const Line& line : SplitLines(file)) {
    const ParsedLine parsed = Parse(line.text);
    if (parsed.kind == LineKind::kSection) {
      if (in_section) return std::nullopt;  // only the first section of the name counts
      in_section = EqualNames(parsed.name, wanted_section);
    } else if (in_section && parsed.kind == LineKind::kEntry) {
      if (const auto match = MatchKey(parsed.body, wanted_key)) return Unquote(match->raw_value);
    }
  }
  return std::nullopt;
}

std::string ReadString(std::string_view file, std::string_view section, std::string_view key,
                       std::string_view default_value, std::uint32_t size) {
  if (size == 0) return std::string();
  std::string_view text;
  if (const auto value = FindValue(file, section, key)) {
    text = *value;
  } else {
    // The default loses its trailing spaces (only spaces), as the profile functions do.
    text = default_value.substr(
        0, LengthWithoutTrailing(default_value, [](char c) { return c == ' '; }));
  }
  return std::string(text.substr(0, CutAtCharBoundary(text, std::size_t{size} - 1)));
}

// ---- Writing -------------------------------------------------------------------------

bool CanWrite(std::string_view section, std::string_view key, std::string_view value) {
  for (const std::string_view s : {section, key, value}) {
    if (s.find_first_of("\r\n") != std::string_view::npos || EndsInLoneLeadByte(s)) return false;
  }
  if (FindChar(Trim(section), ']') != std::string_view::npos) return false;
  const std::string_view trimmed_key = Trim(key);
  return trimmed_key.empty() || (trimmed_key[0] != '[' && trimmed_key[0] != ';');
}

std::optional<std::string> WriteString(std::string_view file, std::string_view section,
                                       std::string_view key, std::string_view value) {
  if (!CanWrite(section, key, value)) return std::nullopt;
  return WriteStrings(file, section, {{std::string(key), std::string(value)}});
}

std::string WriteStrings(std::string_view file, std::string_view section,
                         const std::vector<std::pair<std::string, std::string>>& entries,
                         bool* all_written) {
  std::vector<std::pair<std::string_view, std::string_view>> writable;
  writable.reserve(entries.size());
  for (const auto& [key, value] : entries) {
    if (CanWrite(section, key, value)) writable.emplace_back(key, value);
  }
  if (all_written != nullptr) *all_written = writable.size() == entries.size();
  if (writable.empty()) return std::string(file);

  const std::string_view wanted_section = Trim(section);
  std::vector<Line> lines = SplitLines(file);
  std::deque<std::string> written;  // text of the lines this write makes; never moves

  std::size_t header = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ParsedLine parsed = Parse(lines[i].text);
    if (parsed.kind == LineKind::kSection && EqualNames(parsed.name, wanted_section)) {
      header = i;
      break;
    }
  }
  if (header == lines.size()) {
    if (!lines.empty() && lines.back().eol.empty()) lines.back().eol = kCrLf;
    written.push_back("[" + std::string(wanted_section) + "]");
    lines.push_back({written.back(), kCrLf});
  }

  // The section's entry lines, grouped by the folded text before their first "=": the
  // only lines that a key can match (a key holding "=" matches a line that begins with
  // it, so that line's text before its first "=" is the key's). Each group keeps section
  // order, new lines last, so its first match is the section's first.
  struct LineRef {
    bool added;  // in `added`, else in `lines`
    std::size_t index;
  };
  std::unordered_map<std::string, std::vector<LineRef>> groups;
  std::vector<Line> added;  // new keys, to go after the section's last entry
  std::size_t last_entry = header;
  for (std::size_t i = header + 1; i < lines.size(); ++i) {
    const ParsedLine parsed = Parse(lines[i].text);
    if (parsed.kind == LineKind::kSection) break;
    if (parsed.kind != LineKind::kEntry) continue;
    last_entry = i;
    const std::size_t equals = FindChar(parsed.body, '=');
    if (equals != std::string_view::npos) {
      groups[FoldName(Trim(parsed.body.substr(0, equals)))].push_back({false, i});
    }
  }

  for (const auto& [raw_key, value] : writable) {
    const std::string_view key = Trim(raw_key);
    std::vector<LineRef>& group = groups[FoldName(Trim(key.substr(0, FindChar(key, '='))))];
    bool replaced = false;
    for (const LineRef& ref : group) {
      Line& line = ref.added ? added[ref.index] : lines[ref.index];
      if (const auto match = MatchKey(Parse(line.text).body, key)) {
        written.push_back(std::string(match->spelling) + "=" + EncodeValue(value));
        line = {written.back(), kCrLf};
        replaced = true;
        break;
      }
    }
    if (!replaced) {
      written.push_back(std::string(key) + "=" + EncodeValue(value));
      group.push_back({true, added.size()});
      added.push_back({written.back(), kCrLf});
    }
  }

  if (!added.empty() && lines[last_entry].eol.empty()) lines[last_entry].eol = kCrLf;
  std::string result;
  result.reserve(file.size() + 64 * writable.size() + 32);
  const auto append = [&result](const Line& line) {
    result.append(line.text);
    result.append(line.eol);
  };
  for (std::size_t i = 0; i <= last_entry; ++i) append(lines[i]);
  for (const Line& line : added) append(line);
  for (std::size_t i = last_entry + 1; i < lines.size(); ++i) append(lines[i]);
  return result;
}

}  // namespace zorvane::profile
