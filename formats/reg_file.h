// The `.reg` text format: a parser that turns a registry file into key blocks in file
// order, and a serializer that writes key blocks back as "Windows Registry Editor
// Version 5.00" text (UTF-8, CR LF).
//
// Both sides hold value data as the registry stores it: the string types (1, 2, 7) as
// UTF-16LE bytes, everything else as raw bytes. `"name"="text"` becomes the UTF-16LE
// text with its terminating NUL; `hex(2):` and `hex(7):` bytes are taken as written in a
// 5.00 file and converted from the ANSI code page in a REGEDIT4 file. Hex data is stored
// exactly as written: a string type without its final NUL stays without it, so every
// value the serializer writes reads back byte for byte.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane::regfile {

// The two roots a registry file may name.
enum class Root { kCurrentUser, kLocalMachine };

// One value line.
struct Value {
  std::string name;      // UTF-8; "" is the key's default value, written `@`
  bool deleted = false;  // a `"name"=-` line: removes the value
  std::uint32_t type = 0;
  std::string data;
};

// One key line with the value lines that follow it.
struct Block {
  Root root = Root::kCurrentUser;
  std::vector<std::string> path;  // key names below the root, UTF-8; empty for the root
  bool deleted = false;           // a `[-...]` line: removes the key and its sub-keys
  std::vector<Value> values;
};

// A line that could not be parsed. Line 0 stands for the file as a whole.
struct Error {
  int line = 0;
  std::string reason;
};

struct Document {
  std::vector<Block> blocks;  // in file order; a key may have several blocks
  std::vector<Error> errors;
};

// Turns text in the ANSI code page into UTF-8.
using AnsiToUtf8 = std::function<std::string(std::string_view ansi)>;

// Parses a registry file: UTF-8 with or without BOM, or UTF-16LE with BOM; header
// "Windows Registry Editor Version 5.00" or "REGEDIT4"; CR, LF or CR LF line ends. An
// empty file is an empty document. Lines that cannot be parsed are skipped and listed in
// `errors`; everything else is kept. REGEDIT4 files hold their string data in the ANSI
// code page, which `ansi_to_utf8` reads (without it, such data is taken as UTF-8).
Document Parse(std::string_view bytes, const AnsiToUtf8& ansi_to_utf8 = {});

// Writes `blocks` in the given order as a 5.00 file: the header, a blank line, then per
// block its key line, its values and a blank line.
std::string Serialize(const std::vector<Block>& blocks);

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
const char* RootName(Root root);

}  // namespace zorvane::regfile
