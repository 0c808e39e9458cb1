#include "formats/reg_tree.h"

#include <algorithm>
#include <cstddef>

#include "formats/utf16.h"

namespace zorvane::regtree {
namespace {

char16_t UpperCase(char16_t c) {
  if (c >= u'a' && c <= u'z') return c - 0x20;
  if (c >= 0x00E0 && c <= 0x00FE && c != 0x00F7) return c - 0x20;  // Latin-1
  if (c == 0x00FF) return 0x0178;
  if (c == 0x03C2) return 0x03A3;  // final sigma
  if ((c >= 0x03B1 && c <= 0x03C1) || (c >= 0x03C3 && c <= 0x03C9)) return c - 0x20;
  if (c >= 0x0430 && c <= 0x044F) return c - 0x20;  // Cyrillic
  if (c >= 0x0450 && c <= 0x045F) return c - 0x50;
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;  // full-width Latin
  return c;
}

bool SamePath(const Path& a, const Path& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldName(a[i]) != FoldName(b[i])) return false;
  }
  return true;
}

// Whether `prefix` names `path` or a key above it.
bool IsPrefix(const Path& prefix, const Path& path) {
  if (prefix.size() > path.size()) return false;
  return SamePath(prefix,
                  Path(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(prefix.size())));
}

// Appends the blocks for `key` and its sub-keys, depth first. A key that exists only
// for a default below it, and a root, get a block only when they hold something to write.
void CollectBlocks(const Key& key, Root root, Path* path, bool is_root,
                   std::vector<regfile::Block>* blocks) {
  regfile::Block block;
  block.root = root;
  block.path = *path;
  for (const Value& value : key.values) {
    if (value.from_default) continue;
    block.values.push_back(regfile::Value{value.name, value.deleted, value.type, value.data});
  }
  if ((!is_root && !key.from_default) || !block.values.empty()) {
    blocks->push_back(std::move(block));
  }
  for (const auto& sub_key : key.sub_keys) {
    path->push_back(sub_key->name);
    CollectBlocks(*sub_key, root, path, false, blocks);
    path->pop_back();
  }
}

}  // namespace

std::string FoldName(std::string_view name) {
  const std::string units = utf16::FromUtf8(name);
  std::string folded;
  folded.reserve(units.size());
  for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(units[i]) |
                                            (static_cast<unsigned char>(units[i + 1]) << 8));
    const char16_t upper = UpperCase(unit);
    folded.push_back(static_cast<char>(upper >> 8));
    folded.push_back(static_cast<char>(upper & 0xFF));
  }
  return folded;
}

Key::Key(std::string key_name) : name(std::move(key_name)), folded(FoldName(name)) {}

Value* Key::FindEntry(std::string_view value_name) {
  const std::string wanted = FoldName(value_name);
  for (Value& value : values) {
    if (FoldName(value.name) == wanted) return &value;
  }
  return nullptr;
}

const Value* Key::FindValue(std::string_view value_name) const {
  const std::string wanted = FoldName(value_name);
  for (const Value& value : values) {
    if (!value.deleted && FoldName(value.name) == wanted) return &value;
  }
  return nullptr;
}

const Value* Key::ValueAt(std::size_t index) const {
  for (const Value& value : values) {
    if (value.deleted) continue;
    if (index-- == 0) return &value;
  }
  return nullptr;
}

Key* Key::FindSubKey(std::string_view key_name) const {
  const std::string wanted = FoldName(key_name);
  const auto found =
      std::lower_bound(sub_keys.begin(), sub_keys.end(), wanted,
                       [](const std::unique_ptr<Key>& key, const std::string& folded) {
                         return key->folded < folded;
                       });
  return found != sub_keys.end() && (*found)->folded == wanted ? found->get() : nullptr;
}

KeyTree::KeyTree(std::vector<DefaultValue> defaults)
    : defaults_(std::move(defaults)),
      roots_{Key(regfile::RootName(Root::kCurrentUser)),
             Key(regfile::RootName(Root::kLocalMachine))} {
  ApplyDefaults();
}

void KeyTree::Load(const regfile::Document& document) {
  for (Key& root : roots_) {
    root.values.clear();
    root.sub_keys.clear();
  }
  deleted_keys_.clear();
  for (const regfile::Block& block : document.blocks) {
    if (block.deleted) {
      RemoveKey(block.root, block.path);
      deleted_keys_.emplace_back(block.root, block.path);
      continue;
    }
    Key* key = Create(block.root, block.path);
    for (const regfile::Value& value : block.values) {
      if (!value.deleted) {
        SetValue(block.root, block.path, value.name, value.type, value.data);
        continue;
      }
      if (Value* entry = key->FindEntry(value.name)) {
        entry->deleted = true;
        entry->data.clear();
      } else {
        key->values.push_back(Value{value.name, 0, {}, true, false});
      }
    }
  }
  ApplyDefaults();
}

Key* KeyTree::Find(Root root, const Path& path) {
  Key* key = &RootKey(root);
  for (const std::string& name : path) {
    key = key->FindSubKey(name);
    if (key == nullptr) return nullptr;
  }
  return key;
}

Key* KeyTree::Create(Root root, const Path& path) { return Walk(root, path, true, false); }

Key* KeyTree::Walk(Root root, const Path& path, bool create, bool from_default) {
  Key* key = &RootKey(root);
  for (const std::string& name : path) {
    Key* next = key->FindSubKey(name);
    if (next == nullptr) {
      if (!create) return nullptr;
      auto fresh = std::make_unique<Key>(name);
      fresh->from_default = from_default;
      next = fresh.get();
      const auto at =
          std::lower_bound(key->sub_keys.begin(), key->sub_keys.end(), next->folded,
                           [](const std::unique_ptr<Key>& k, const std::string& folded) {
                             return k->folded < folded;
                           });
      key->sub_keys.insert(at, std::move(fresh));
    } else if (!from_default) {
      next->from_default = false;
    }
    key = next;
  }
  return key;
}

void KeyTree::SetValue(Root root, const Path& path, std::string_view name, std::uint32_t type,
                       std::string data) {
  Key* key = Create(root, path);
  if (Value* entry = key->FindEntry(name); entry != nullptr && !entry->deleted) {
    entry->type = type;
    entry->data = std::move(data);
    entry->from_default = false;
    return;
  }
  // A value set after its deletion is a new value: it goes last.
  std::erase_if(key->values, [&](const Value& v) { return FoldName(v.name) == FoldName(name); });
  key->values.push_back(Value{std::string(name), type, std::move(data), false, false});
}

bool KeyTree::DeleteValue(Root root, const Path& path, std::string_view name) {
  Key* key = Find(root, path);
  if (key == nullptr) return false;
  Value* entry = key->FindEntry(name);
  if (entry == nullptr || entry->deleted) return false;
  const std::string spelling = entry->name;
  if (DefaultAtOrBelow(root, path, &spelling)) {
    *entry = Value{spelling, 0, {}, true, false};  // remembered, so the default stays away
  } else {
    std::erase_if(key->values, [&](const Value& v) { return &v == entry; });
  }
  return true;
}

bool KeyTree::DeleteKey(Root root, const Path& path) {
  if (path.empty() || Find(root, path) == nullptr) return false;
  RemoveKey(root, path);
  if (DefaultAtOrBelow(root, path, nullptr)) {
    const bool known = std::any_of(deleted_keys_.begin(), deleted_keys_.end(), [&](const auto& d) {
      return d.first == root && SamePath(d.second, path);
    });
    if (!known) deleted_keys_.emplace_back(root, path);
  }
  return true;
}

void KeyTree::RemoveKey(Root root, const Path& path) {
  if (path.empty()) {
    Key& key = RootKey(root);
    key.values.clear();
    key.sub_keys.clear();
    return;
  }
  Key* parent = Find(root, Path(path.begin(), path.end() - 1));
  if (parent == nullptr) return;
  const std::string folded = FoldName(path.back());
  std::erase_if(parent->sub_keys,
                [&](const std::unique_ptr<Key>& k) { return k->folded == folded; });
}

// Whether a default lies in the key at `path` or below it; with `name`, whether the
// default named `name` lies exactly in that key.
bool KeyTree::DefaultAtOrBelow(Root root, const Path& path, const std::string* name) const {
  return std::any_of(defaults_.begin(), defaults_.end(), [&](const DefaultValue& d) {
    if (d.root != root) return false;
    if (name == nullptr) return IsPrefix(path, d.path);
    return SamePath(path, d.path) && FoldName(d.name) == FoldName(*name);
  });
}

void KeyTree::ApplyDefaults() {
  for (const DefaultValue& d : defaults_) {
    const bool key_deleted =
        std::any_of(deleted_keys_.begin(), deleted_keys_.end(),
                    [&](const auto& k) { return k.first == d.root && IsPrefix(k.second, d.path); });
    if (key_deleted) continue;
    Key* key = Walk(d.root, d.path, true, true);
    if (key->FindEntry(d.name) != nullptr) continue;
    key->values.push_back(Value{d.name, d.type, d.data, false, true});
  }
}

std::vector<regfile::Block> KeyTree::ToBlocks() const {
  std::vector<regfile::Block> blocks;
  for (const auto& [root, path] : deleted_keys_) {
    regfile::Block block;
    block.root = root;
    block.path = path;
    block.deleted = true;
    blocks.push_back(std::move(block));
  }
  for (const Root root : {Root::kCurrentUser, Root::kLocalMachine}) {
    Path path;
    CollectBlocks(roots_[root == Root::kCurrentUser ? 0 : 1], root, &path, true, &blocks);
  }
  return blocks;
}

}  // namespace zorvane::regtree
