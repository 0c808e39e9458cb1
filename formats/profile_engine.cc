#include "formats/profile_engine.h"

#include <unordered_map>

#include "base/code_page.h"
#include "base/text.h"

// Sections of this file: walking code page 932 text; lines and their kinds; reading;
// writing.

namespace zorvane::profile {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// ---- Walking code page 932 text ------------------------------------------------------
// A lead byte and the byte after it are one character, whatever that byte is (that is
// how the code page decodes them); a lead byte at the end of the text stands alone. Text
// handed to these helpers never spans a line end, so CR and LF are never swallowed.

bool IsLeadByte(char c) { return IsCp932LeadByte(static_cast<unsigned char>(c)); }

std::size_t CharLength(std::string_view s, std::size_t i) {
  return IsLeadByte(s[i]) && i + 1 < s.size() ? 2 : 1;
}

// The blanks GetPrivateProfileString trims around names and values.
constexpr std::string_view kProfileBlanks = " \t\v";
bool IsBlank(char c) { return text::IsOneOf(c, kProfileBlanks); }

// Where the last character of a non-empty `s` starts.
std::size_t LastCharStart(std::string_view s) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) start = i;
  return start;
}

bool EndsInLoneLeadByte(std::string_view s) {
  // Only a text that ends in a lead byte needs the walk that finds where characters start.
  return !s.empty() && IsLeadByte(s.back()) && LastCharStart(s) == s.size() - 1;
}

// The first single-byte character `c` of `s`, or npos.
std::size_t FindChar(std::string_view s, char c) {
  // The first byte `c`, when nothing before it can start a double-byte character (all
  // ASCII), is the answer without the walk; no byte `c` at all means no character `c`.
  const std::size_t first = s.find(c);
  if (first == std::string_view::npos) return first;
  if (text::AsciiPrefixLength(s.substr(0, first)) == first) return first;
  for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) {
    if (s[i] == c && CharLength(s, i) == 1) return i;
  }
  return std::string_view::npos;
}

// The length of `s` without its trailing single-byte characters for which `strip` holds.
template <typename Pred>
std::size_t LengthWithoutTrailing(std::string_view s, Pred strip) {
  // A last byte that is not stripped ends the text whatever character it belongs to;
  // only otherwise must the walk find where the characters start.
  if (s.empty() || !strip(s.back())) return s.size();
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
      if (text::AsciiLower(a[i]) != text::AsciiLower(b[i])) return false;
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
    folded[i] = text::AsciiLower(folded[i]);
  }
  return folded;
}

// Hashes a name as FoldName would turn it, without making the folded copy: names that
// EqualNames holds for hash alike.
struct FoldedHash {
  std::size_t operator()(std::string_view name) const {
    std::uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
    const auto mix = [&hash](char c) {
      hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    };
    for (std::size_t i = 0; i < name.size();) {
      if (CharLength(name, i) == 2) {
        mix(name[i]);
        mix(name[i + 1]);
        i += 2;
      } else {
        mix(text::AsciiLower(name[i]));
        ++i;
      }
    }
    return static_cast<std::size_t>(hash);
  }
};

struct FoldedEqual {
  bool operator()(std::string_view a, std::string_view b) const { return EqualNames(a, b); }
};

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
    const std::size_t found = text::FindLineBreak(file, start);
    const std::size_t end = found == std::string_view::npos ? file.size() : found;
    std::size_t eol_length = 0;
    if (end < file.size()) {
      eol_length = file[end] == '\r' && end + 1 < file.size() && file[end + 1] == '\n' ? 2 : 1;
    }
    lines.push_back({file.substr(start, end - start), file.substr(end, eol_length)});
    start = end + eol_length;
  }
  return lines;
}

// Calls `visit` with each line of `file` (without its line end) until it returns false.
template <typename Visit>
void ForEachLine(std::string_view file, Visit visit) {
  std::size_t start = 0;
  while (start < file.size()) {
    const std::size_t found = text::FindLineBreak(file, start);
    const std::size_t end = found == std::string_view::npos ? file.size() : found;
    if (!visit(file.substr(start, end - start))) return;
    start = end;
    if (start < file.size()) {
      start += file[start] == '\r' && start + 1 < file.size() && file[start + 1] == '\n' ? 2 : 1;
    }
  }
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
  // Neither blanks nor quotes at its ends: the value reads back as it is.
  if (!IsBlank(first) && first != '"' && first != '\'' && !IsBlank(value.back())) {
    return std::string(value);
  }
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
  std::optional<std::string_view> value;
  ForEachLine(file, [&](std::string_view line) {
    const ParsedLine parsed = Parse(line);
    if (parsed.kind == LineKind::kSection) {
      if (in_section) return false;  // only the first section of the name counts
      in_section = EqualNames(parsed.name, wanted_section);
    } else if (in_section && parsed.kind == LineKind::kEntry) {
      if (const auto match = MatchKey(parsed.body, wanted_key)) {
        value = Unquote(match->raw_value);
        return false;
      }
    }
    return true;
  });
  return value;
}

namespace {

// What the profile functions leave in a buffer of `size` bytes for a lookup that found
// `value`, or none.
std::string BufferText(std::optional<std::string_view> value, std::string_view default_value,
                       std::uint32_t size) {
  if (size == 0) return std::string();
  std::string_view text;
  if (value) {
    text = *value;
  } else {
    // The default loses its trailing spaces (only spaces), as the profile functions do.
    text = default_value.substr(
        0, LengthWithoutTrailing(default_value, [](char c) { return c == ' '; }));
  }
  return std::string(text.substr(0, CutAtCharBoundary(text, std::size_t{size} - 1)));
}

// The group a trimmed `key` belongs to: its folded text before its first "=".
std::string KeyGroup(std::string_view key) {
  return FoldName(Trim(key.substr(0, FindChar(key, '='))));
}

}  // namespace

std::string ReadString(std::string_view file, std::string_view section, std::string_view key,
                       std::string_view default_value, std::uint32_t size) {
  if (size == 0) return std::string();
  return BufferText(FindValue(file, section, key), default_value, size);
}

ParsedFile::ParsedFile(std::string file) : file_(std::move(file)) {
  KeyGroups* current = nullptr;
  ForEachLine(file_, [&](std::string_view line) {
    const ParsedLine parsed = Parse(line);
    if (parsed.kind == LineKind::kSection) {
      const auto [found, inserted] = sections_.try_emplace(FoldName(parsed.name));
      current = inserted ? &found->second : nullptr;
    } else if (parsed.kind == LineKind::kEntry && current != nullptr &&
               FindChar(parsed.body, '=') != std::string_view::npos) {
      (*current)[KeyGroup(parsed.body)].push_back(parsed.body);
    }
    return true;
  });
}

std::optional<std::string_view> ParsedFile::FindValue(std::string_view section,
                                                      std::string_view key) const {
  const auto found_section = sections_.find(FoldName(Trim(section)));
  if (found_section == sections_.end()) return std::nullopt;
  const std::string_view wanted_key = Trim(key);
  const auto group = found_section->second.find(KeyGroup(wanted_key));
  if (group == found_section->second.end()) return std::nullopt;
  for (const std::string_view body : group->second) {
    if (const auto match = MatchKey(body, wanted_key)) return Unquote(match->raw_value);
  }
  return std::nullopt;
}

std::string ParsedFile::ReadString(std::string_view section, std::string_view key,
                                   std::string_view default_value, std::uint32_t size) const {
  if (size == 0) return std::string();
  return BufferText(FindValue(section, key), default_value, size);
}

// ---- Writing -------------------------------------------------------------------------

bool CanWrite(std::string_view section, std::string_view key, std::string_view value) {
  for (const std::string_view s : {section, key, value}) {
    if (text::FindLineBreak(s) != std::string_view::npos || EndsInLoneLeadByte(s)) return false;
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

  // The text of the lines this write makes, one after the other. Its room is reserved
  // for all of them up front, so it never moves and views into it stay valid: a header,
  // and per entry a key (a replaced line's spelling is as long as the key), "=", and the
  // value in at most one more pair of quotes.
  std::size_t room = wanted_section.size() + 2;
  for (const auto& [key, value] : writable) room += key.size() + value.size() + 3;
  std::string made;
  made.reserve(room);
  const auto make = [&made](std::string_view a, std::string_view b, std::string_view c) {
    const std::size_t start = made.size();
    made.append(a).append(b).append(c);
    return std::string_view(made).substr(start);
  };

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
    lines.push_back({make("[", wanted_section, "]"), kCrLf});
  }

  // The section's entry lines, grouped by the text before their first "=" (names equal
  // without regard to case share a group): the only lines that a key can match (a key
  // holding "=" matches a line that begins with it, so that line's text before its first
  // "=" is the key's). Each group is a list in section order, new lines last, so its
  // first match is the section's first.
  struct Member {
    bool added;  // in `added`, else in `lines`
    std::size_t index;
    std::size_t next;  // the group's next member, or npos
  };
  struct Group {
    std::size_t first;
    std::size_t last;
  };
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<Member> members;
  std::unordered_map<std::string_view, Group, FoldedHash, FoldedEqual> groups;
  const auto join = [&](std::string_view group_key, bool added, std::size_t index) {
    members.push_back({added, index, kNone});
    const auto [found, inserted] =
        groups.try_emplace(group_key, Group{members.size() - 1, members.size() - 1});
    if (!inserted) {
      members[found->second.last].next = members.size() - 1;
      found->second.last = members.size() - 1;
    }
  };
  std::vector<Line> added;  // new keys, to go after the section's last entry
  std::size_t last_entry = header;
  for (std::size_t i = header + 1; i < lines.size(); ++i) {
    const ParsedLine parsed = Parse(lines[i].text);
    if (parsed.kind == LineKind::kSection) break;
    if (parsed.kind != LineKind::kEntry) continue;
    last_entry = i;
    const std::size_t equals = FindChar(parsed.body, '=');
    if (equals != std::string_view::npos) join(Trim(parsed.body.substr(0, equals)), false, i);
  }

  for (const auto& [raw_key, value] : writable) {
    const std::string_view key = Trim(raw_key);
    const std::string_view group_key = Trim(key.substr(0, FindChar(key, '=')));
    bool replaced = false;
    if (const auto group = groups.find(group_key); group != groups.end()) {
      for (std::size_t m = group->second.first; m != kNone && !replaced; m = members[m].next) {
        Line& line = members[m].added ? added[members[m].index] : lines[members[m].index];
        if (const auto match = MatchKey(Parse(line.text).body, key)) {
          line = {make(match->spelling, "=", EncodeValue(value)), kCrLf};
          replaced = true;
        }
      }
    }
    if (!replaced) {
      join(group_key, true, added.size());
      added.push_back({make(key, "=", EncodeValue(value)), kCrLf});
    }
  }

  if (!added.empty() && lines[last_entry].eol.empty()) lines[last_entry].eol = kCrLf;
  std::string result;
  result.reserve(file.size() + made.size() + 2 * (added.size() + 1));
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
