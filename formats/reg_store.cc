// Sections: the ANSI boundary (what the "A" registry functions see of names and data);
// the defaults of a fresh profile; the nine operations over a store.
#include "formats/reg_store.h"

#include <cstring>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "formats/reg_file.h"
#include "formats/reg_tree.h"
#include "formats/utf16.h"

namespace zorvane {
namespace {

using regtree::Path;
using regtree::Root;

// ERROR_KEY_DELETED: the key behind an open handle was deleted.
constexpr long kErrorKeyDeleted = 1018;

bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// ---- The ANSI boundary ------------------------------------------------------------------

// A name as the ANSI functions pass it: up to its first NUL, and only what the code page
// can hold (other characters become "?").
std::string AnsiVisible(AnsiCodePage& code_page, std::string_view name) {
  return code_page.FromAnsi(code_page.ToAnsi(name.substr(0, name.find('\0'))));
}

std::size_t AnsiLength(AnsiCodePage& code_page, std::string_view name) {
  return code_page.ToAnsi(name).size();
}

// Stored data as a query through the ANSI function returns it: string types converted
// from UTF-16LE to the code page, NULs included.
std::string AnsiFromStored(AnsiCodePage& code_page, std::uint32_t type, const std::string& data) {
  return IsStringType(type) ? code_page.ToAnsi(utf16::ToUtf8(data)) : data;
}

std::string StoredFromAnsi(AnsiCodePage& code_page, std::uint32_t type, std::string_view bytes) {
  return IsStringType(type) ? utf16::FromUtf8(code_page.FromAnsi(bytes)) : std::string(bytes);
}

// Splits a key path at its backslashes; empty parts (doubled or trailing backslashes)
// are skipped.
Path SplitKeyPath(AnsiCodePage& code_page, std::string_view sub_key) {
  const std::string visible = AnsiVisible(code_page, sub_key);
  Path path;
  std::string_view rest = visible;
  while (!rest.empty()) {
    const std::size_t slash = rest.find('\\');
    if (slash != 0) path.emplace_back(rest.substr(0, slash));
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return path;
}

// The store file keeps one name per line: names with line breaks cannot be stored.
bool Storable(std::string_view name) {
  return name.find_first_of("\r\n") == std::string_view::npos;
}

bool Storable(const Path& path) {
  for (const std::string& name : path) {
    if (!Storable(name)) return false;
  }
  return true;
}

// ---- The defaults of a fresh profile -------------------------------------------------------

std::vector<regtree::DefaultValue> PlatformDefaults(const std::string& favorites_folder) {
  if (favorites_folder.empty()) return {};
  regtree::DefaultValue favorites;
  favorites.root = Root::kCurrentUser;
  favorites.path = {"Software",       "Microsoft", "Windows",
                    "CurrentVersion", "Explorer",  "User Shell Folders"};
  favorites.name = "Favorites";
  favorites.type = kRegExpandSz;
  favorites.data = utf16::FromUtf8(favorites_folder);
  favorites.data.append(2, '\0');
  return {std::move(favorites)};
}

}  // namespace

// ---- The nine operations ------------------------------------------------------------------

class RegStore::Impl {
 public:
  Impl(Store store, FavoritesDefault favorites, AnsiCodePage& code_page)
      : store_(std::move(store)),
        favorites_(std::move(favorites)),
        code_page_(code_page),
        tree_({}) {}

  std::size_t open_keys() const { return handles_.size(); }

  void SetDiagnose(std::function<void(const std::string&)> diagnose) {
    diagnose_ = std::move(diagnose);
  }

  long OpenKey(std::uint32_t root, const std::string& sub_key, bool create, RegHandle* key) {
    if (key == nullptr) return kErrorInvalidParameter;
    Where base;
    if (!Resolve(root, &base)) return kErrorInvalidHandle;
    Path wanted = base.path;
    for (std::string& name : SplitKeyPath(code_page_, sub_key)) wanted.push_back(std::move(name));
    Reload();
    if (tree_.Find(base.root, base.path) == nullptr) return kErrorKeyDeleted;
    if (tree_.Find(base.root, wanted) == nullptr) {
      if (!create) return kErrorFileNotFound;
      if (!Storable(wanted)) return kErrorInvalidParameter;
      if (const long status = Commit([&] { tree_.Create(base.root, wanted); }); status != 0) {
        return status;
      }
    }
    *key = next_handle_++;
    handles_[*key] = Where{base.root, std::move(wanted)};
    return kErrorSuccess;
  }

  long QueryValue(RegHandle handle, const std::string& name, std::uint32_t* type,
                  std::uint8_t* buffer, std::uint32_t* size) {
    const regtree::Value* value = nullptr;
    if (const long status = FindValue(handle, name, &value); status != kErrorSuccess) return status;
    if (type != nullptr) *type = value->type;
    if (size == nullptr) return buffer == nullptr ? kErrorSuccess : kErrorInvalidParameter;
    const std::string ansi = AnsiFromStored(code_page_, value->type, value->data);
    const auto needed = static_cast<std::uint32_t>(ansi.size());
    if (buffer != nullptr) {
      if (needed > *size) {
        *size = needed;
        return kErrorMoreData;
      }
      std::memcpy(buffer, ansi.data(), ansi.size());
      // Like Windows, string data stored without its NUL gets one when there is room.
      if (IsStringType(value->type) && !ansi.empty() && ansi.back() != '\0' && needed < *size) {
        buffer[needed] = 0;
      }
    }
    *size = needed;
    return kErrorSuccess;
  }

  long SetValue(RegHandle handle, const std::string& name, std::uint32_t type,
                const std::uint8_t* data, std::uint32_t size) {
    Where where;
    if (!Resolve(handle, &where)) return kErrorInvalidHandle;
    if (data == nullptr && size > 0) return kErrorInvalidParameter;
    const std::string visible = AnsiVisible(code_page_, name);
    if (!Storable(visible)) return kErrorInvalidParameter;
    Reload();
    const regtree::Key* key = tree_.Find(where.root, where.path);
    if (key == nullptr) return kErrorKeyDeleted;
    std::string stored = StoredFromAnsi(
        code_page_, type,
        std::string_view(reinterpret_cast<const char*>(data), data == nullptr ? 0 : size));
    const regtree::Value* old = key->FindValue(visible);
    if (old != nullptr && !old->from_default && old->type == type && old->data == stored) {
      return kErrorSuccess;  // nothing changes
    }
    return Commit(
        [&] { tree_.SetValue(where.root, where.path, visible, type, std::move(stored)); });
  }

  long DeleteKey(RegHandle handle, const std::string& sub_key) {
    Where where;
    if (!Resolve(handle, &where)) return kErrorInvalidHandle;
    Reload();
    if (tree_.Find(where.root, where.path) == nullptr) return kErrorKeyDeleted;
    Path doomed = where.path;
    for (std::string& name : SplitKeyPath(code_page_, sub_key)) doomed.push_back(std::move(name));
    if (doomed.empty()) return kErrorAccessDenied;  // a root
    const regtree::Key* key = tree_.Find(where.root, doomed);
    if (key == nullptr) return kErrorFileNotFound;
    if (!key->sub_keys.empty()) return kErrorAccessDenied;
    return Commit([&] { tree_.DeleteKey(where.root, doomed); });
  }

  long DeleteValue(RegHandle handle, const std::string& name) {
    Where where;
    if (!Resolve(handle, &where)) return kErrorInvalidHandle;
    Reload();
    const regtree::Key* key = tree_.Find(where.root, where.path);
    if (key == nullptr) return kErrorKeyDeleted;
    const std::string visible = AnsiVisible(code_page_, name);
    if (key->FindValue(visible) == nullptr) return kErrorFileNotFound;
    return Commit([&] { tree_.DeleteValue(where.root, where.path, visible); });
  }

  long EnumName(RegHandle handle, bool values, std::uint32_t index, std::uint32_t buffer_size,
                std::string* name) {
    if (name == nullptr) return kErrorInvalidParameter;
    Where where;
    if (!Resolve(handle, &where)) return kErrorInvalidHandle;
    const regtree::Key* key = tree_.Find(where.root, where.path);
    if (key == nullptr) return kErrorKeyDeleted;
    const std::string* found = nullptr;
    if (values) {
      if (const regtree::Value* value = key->ValueAt(index)) found = &value->name;
    } else if (index < key->sub_keys.size()) {
      found = &key->sub_keys[index]->name;
    }
    if (found == nullptr) return kErrorNoMoreItems;
    std::string visible = AnsiVisible(code_page_, *found);
    if (AnsiLength(code_page_, visible) + 1 > buffer_size) return kErrorMoreData;
    *name = std::move(visible);
    return kErrorSuccess;
  }

  long CloseKey(RegHandle handle) {
    if (handle == kHkeyCurrentUser || handle == kHkeyLocalMachine) return kErrorSuccess;
    return handles_.erase(handle) == 1 ? kErrorSuccess : kErrorInvalidHandle;
  }

 private:
  struct Where {
    Root root = Root::kCurrentUser;
    Path path;
  };

  // The key a handle (a predefined root or an open key) stands for.
  bool Resolve(RegHandle handle, Where* where) const {
    if (handle == kHkeyCurrentUser || handle == kHkeyLocalMachine) {
      *where = Where{handle == kHkeyCurrentUser ? Root::kCurrentUser : Root::kLocalMachine, {}};
      return true;
    }
    const auto found = handles_.find(handle);
    if (found == handles_.end()) return false;
    *where = found->second;
    return true;
  }

  long FindValue(RegHandle handle, const std::string& name, const regtree::Value** value) {
    Where where;
    if (!Resolve(handle, &where)) return kErrorInvalidHandle;
    const regtree::Key* key = tree_.Find(where.root, where.path);
    if (key == nullptr) return kErrorKeyDeleted;
    *value = key->FindValue(AnsiVisible(code_page_, name));
    return *value == nullptr ? kErrorFileNotFound : kErrorSuccess;
  }

  // Reads the file again. A missing file is an empty store; a file that cannot be read,
  // or that has lines which cannot be parsed, is never written over.
  void Reload() {
    std::string bytes;
    const FileRead read = store_.read(&bytes);
    regfile::Document document;
    if (read == FileRead::kRead)
      document = regfile::Parse(
          bytes, [this](std::string_view ansi) { return code_page_.FromAnsi(ansi); });
    tree_.SetDefaults(PlatformDefaults(favorites_ ? favorites_() : std::string()));
    tree_.Load(document);
    writable_ = read != FileRead::kFailed && document.errors.empty();
    if (!document.errors.empty() && diagnose_ && bytes != reported_bytes_) {
      reported_bytes_ = bytes;
      const regfile::Error& first = document.errors.front();
      std::string line = store_.name + ": line " + std::to_string(first.line) +
                         " cannot be parsed (" + first.reason + ")";
      if (document.errors.size() > 1) {
        line += " and " + std::to_string(document.errors.size() - 1) + " more";
      }
      diagnose_(line + "; the registry store is read without them and not written");
    }
  }

  // Applies `change` to the tree just read and writes the store. On failure the tree is
  // read again, so that it shows what the file holds.
  template <typename F>
  long Commit(F change) {
    if (!writable_) return kErrorWriteFault;
    change();
    if (store_.replace(regfile::Serialize(tree_.ToBlocks()))) return kErrorSuccess;
    Reload();
    return kErrorWriteFault;
  }

  Store store_;
  FavoritesDefault favorites_;
  AnsiCodePage& code_page_;
  std::function<void(const std::string&)> diagnose_;
  std::string reported_bytes_;  // the content last reported as unparsable
  regtree::KeyTree tree_;
  bool writable_ = true;
  std::map<RegHandle, Where> handles_;
  RegHandle next_handle_ = 1;
};

RegStore::RegStore(Store store, FavoritesDefault favorites, AnsiCodePage& code_page)
    : impl_(std::make_unique<Impl>(std::move(store), std::move(favorites), code_page)) {}

RegStore::~RegStore() = default;

std::size_t RegStore::open_keys() const { return impl_->open_keys(); }

long RegStore::RegOpenKey(std::uint32_t root, const std::string& sub_key, std::uint32_t,
                          RegHandle* key) {
  return impl_->OpenKey(root, sub_key, false, key);
}

long RegStore::RegCreateKey(std::uint32_t root, const std::string& sub_key, std::uint32_t,
                            RegHandle* key) {
  return impl_->OpenKey(root, sub_key, true, key);
}

long RegStore::RegQueryValue(RegHandle key, const std::string& name, std::uint32_t* type,
                             std::uint8_t* buffer, std::uint32_t* size) {
  return impl_->QueryValue(key, name, type, buffer, size);
}

long RegStore::RegSetValue(RegHandle key, const std::string& name, std::uint32_t type,
                           const std::uint8_t* data, std::uint32_t size) {
  return impl_->SetValue(key, name, type, data, size);
}

long RegStore::RegDeleteKey(RegHandle key, const std::string& sub_key) {
  return impl_->DeleteKey(key, sub_key);
}

long RegStore::RegDeleteValue(RegHandle key, const std::string& name) {
  return impl_->DeleteValue(key, name);
}

long RegStore::RegEnumValue(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                            std::string* name) {
  return impl_->EnumName(key, true, index, name_buffer_size, name);
}

long RegStore::RegEnumKey(RegHandle key, std::uint32_t index, std::uint32_t name_buffer_size,
                          std::string* name) {
  return impl_->EnumName(key, false, index, name_buffer_size, name);
}

long RegStore::RegCloseKey(RegHandle key) { return impl_->CloseKey(key); }

void RegStore::SetDiagnose(std::function<void(const std::string& line)> diagnose) {
  impl_->SetDiagnose(std::move(diagnose));
}

}  // namespace zorvane
