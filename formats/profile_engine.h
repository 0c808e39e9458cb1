// Profile (INI) files as the Windows profile functions read and write them, as pure
// functions over the file's bytes in code page 932. No I/O: the caller reads the file,
// hands its bytes in, and writes back the bytes a write returns.
//
// Reading, as GetPrivateProfileStringA does:
//  - lines end in CR LF, LF or CR; the last line may lack its terminator;
//  - a line whose first non-blank character is "[" is a section header; the name runs to
//    the first "]" (or the end of the line) and is trimmed; the rest of the line is
//    ignored;
//  - a line whose first non-blank character is ";" is a comment;
//  - any other line holding "=" is a key line: key before the first "=", value after it,
//    both trimmed of space, TAB and VT; a value that begins and ends with the same quote
//    character (' or ") loses that one outer pair;
//  - section and key names compare without regard to ASCII case; only the first section
//    of a name is searched and the first key of a name wins; lines before the first
//    section belong to none;
//  - a key that itself holds "=" (web addresses with a query do) cannot be told from the
//    split at the first "=", so it matches a line that begins with it, then blanks and
//    "="; the profile functions would never find such a key again;
//  - double-byte characters are walked whole, so a trail byte is never case-folded or
//    taken for "]", "=", a quote or a blank.
//
// Writing, as WritePrivateProfileStringA does, with CR LF on every line it writes: an
// existing key keeps its line, spelling and place and gets the new value; a new key goes
// after the last entry of its section; a new section goes at the end of the file; every
// other line stays byte for byte. A value that reading would change (outer blanks, an
// outer pair of quotes) is written inside one more pair of quotes, so it reads back
// unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zorvane::profile {

// The value of `key` in `section` of `file`, trimmed and with one outer pair of quotes
// removed; nullopt when the section or the key is missing. `section` and `key` are
// trimmed of blanks before the lookup.
std::optional<std::string_view> FindValue(std::string_view file, std::string_view section,
                                          std::string_view key);

// What GetPrivateProfileStringA leaves in a buffer of `size` bytes, without the final
// NUL: the value of `key` in `section`, else `default_value` without its trailing spaces;
// either cut to at most `size` - 1 bytes, never in the middle of a double-byte character.
// Size 0 gives "". A missing file reads as an empty `file`.
std::string ReadString(std::string_view file, std::string_view section, std::string_view key,
                       std::string_view default_value, std::uint32_t size);

// Whether `section`, `key` and `value` can be written so that a later read finds them:
// no CR or LF anywhere (they would split the line and let a value plant lines of its
// own), no "]" in the section name, no key that would make a header or a comment of its
// line (first character "[" or ";"), and no lead byte without its trail byte at the end
// of any of the three.
bool CanWrite(std::string_view section, std::string_view key, std::string_view value);

// The text to write after "key=" so that a read gives back `value` exactly: `value`
// itself, or `value` inside one more pair of double quotes when it has a blank at either
// end or one outer pair of quotes that a read would take away.
std::string EncodeValue(std::string_view value);

// The file bytes after setting `key` in `section` to `value` in `file` (empty for a file
// that does not exist yet); nullopt, and nothing to write, when CanWrite says no.
std::optional<std::string> WriteString(std::string_view file, std::string_view section,
                                       std::string_view key, std::string_view value);

// The file bytes after setting every entry (key, value) of `entries` in `section`, in
// one pass: the same bytes as one WriteString per entry in order would leave, so entries
// that CanWrite refuses are left out. `*all_written`, when given, tells whether none was.
std::string WriteStrings(std::string_view file, std::string_view section,
                         const std::vector<std::pair<std::string, std::string>>& entries,
                         bool* all_written = nullptr);

// A file read once for many lookups: FindValue and ReadString give the answers of the
// free functions of the same names over the same bytes, without walking the whole file
// for each one. Building it costs about one walk.
class ParsedFile final {
 public:
  explicit ParsedFile(std::string file);
  ParsedFile(const ParsedFile&) = delete;
  ParsedFile& operator=(const ParsedFile&) = delete;

  std::optional<std::string_view> FindValue(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value, std::uint32_t size) const;

 private:
  // Entry lines (without leading blanks) by the folded text before their first "=", in
  // file order: the only lines a key can match (see WriteStrings).
  using KeyGroups = std::unordered_map<std::string, std::vector<std::string_view>>;

  std::string file_;
  // The first section of each folded name; later sections of the name are never read.
  std::unordered_map<std::string, KeyGroups> sections_;
};

// The longest prefix of `text` of at most `max_bytes` bytes that does not end in the
// middle of a double-byte character; returns its length.
std::size_t CutAtCharBoundary(std::string_view text, std::size_t max_bytes);

}  // namespace zorvane::profile
