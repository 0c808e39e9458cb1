// The registry held in memory: two roots, each a tree of keys with typed values, loaded
// from and turned back into the blocks of a `.reg` file.
//
// Key and value names keep their spelling but compare without regard to case. Values
// keep the order in which they were first set; sub-keys are kept sorted by name.
//
// Platform defaults: the tree answers a few values a fresh user profile has (see
// `DefaultValue`) without their being in the file. A default is only an answer, never
// written: the file holds what the store's users set. A default gives way to a value of
// the same name set in the file or through the tree, and to a deletion: deleting a
// default value or a key above it is remembered as a `"name"=-` line or a `[-key]` line,
// so the default does not come back when the file is read again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/reg_file.h"

namespace zorvane::regtree {

using regfile::Root;
using Path = std::vector<std::string>;

// The comparison key of a name: its UTF-16 code units in upper case (ASCII, Latin-1,
// Greek, Cyrillic and full-width Latin letters), big-endian so that byte order is code
// unit order, the order in which the registry sorts keys.
std::string FoldName(std::string_view name);

struct Value {
  std::string name;
  std::uint32_t type = 0;
  std::string data;
  bool deleted = false;       // a remembered deletion, not a value
  bool from_default = false;  // answered by the platform defaults, not stored
};

struct Key {
  explicit Key(std::string key_name);

  // The entry named `value_name`, deletions included, or null.
  Value* FindEntry(std::string_view value_name);
  // The value named `value_name`, or null.
  const Value* FindValue(std::string_view value_name) const;
  // The `index`th value in order, deletions skipped, or null past the last.
  const Value* ValueAt(std::size_t index) const;
  Key* FindSubKey(std::string_view key_name) const;

  std::string name;
  std::string folded;
  std::vector<Value> values;                   // in the order they were first set
  std::vector<std::unique_ptr<Key>> sub_keys;  // sorted by `folded`
  bool from_default = false;                   // exists only for a default below it
};

// A value a fresh profile has.
struct DefaultValue {
  Root root = Root::kCurrentUser;
  Path path;
  std::string name;
  std::uint32_t type = 0;
  std::string data;
};

class KeyTree {
 public:
  explicit KeyTree(std::vector<DefaultValue> defaults);
  KeyTree(const KeyTree&) = delete;
  KeyTree& operator=(const KeyTree&) = delete;

  // Empties the tree and applies `document`'s blocks in order, the way a registry file
  // is imported; then adds the defaults that the document neither sets nor deletes.
  void Load(const regfile::Document& document);
  // The defaults the next Load adds (a default may follow the world, such as whether a
  // folder exists).
  void SetDefaults(std::vector<DefaultValue> defaults) { defaults_ = std::move(defaults); }

  // The key at `path`, or null.
  Key* Find(Root root, const Path& path);
  // The key at `path`, created with every missing key above it.
  Key* Create(Root root, const Path& path);
  // Sets a value of the key at `path` (created when missing): an existing value keeps
  // its place and spelling; a new one goes last.
  void SetValue(Root root, const Path& path, std::string_view name, std::uint32_t type,
                std::string data);
  // Deletes a value; false when the key or the value does not exist.
  bool DeleteValue(Root root, const Path& path, std::string_view name);
  // Deletes the key at `path` (not a root) and everything below it; false when missing.
  bool DeleteKey(Root root, const Path& path);

  // The blocks of the file that, read back, gives this tree: deletions first, then each
  // root's keys depth first in name order. Keys and values that only answer a default
  // are left out.
  std::vector<regfile::Block> ToBlocks() const;

 private:
  Key& RootKey(Root root) { return roots_[root == Root::kCurrentUser ? 0 : 1]; }
  Key* Walk(Root root, const Path& path, bool create, bool from_default);
  void RemoveKey(Root root, const Path& path);
  bool DefaultAtOrBelow(Root root, const Path& path, const std::string* name) const;
  void ApplyDefaults();

  std::vector<DefaultValue> defaults_;
  Key roots_[2];
  std::vector<std::pair<Root, Path>> deleted_keys_;  // remembered `[-key]` lines
};

}  // namespace zorvane::regtree
