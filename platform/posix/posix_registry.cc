#include "platform/posix/posix_registry.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "base/paths.h"
#include "platform/posix/atomic_file.h"
#include "platform/posix/cp932.h"
#include "platform/posix/environment.h"

namespace zorvane {
namespace {

// The store as a file: read whole, and replaced through a temporary file in a folder
// that is created when missing. A write goes through a symbolic link to its target.
RegStore::Store FileStore(const std::string& path) {
  RegStore::Store store;
  store.name = path;
  store.read = [path](std::string* bytes) { return posix::ReadWholeFile(path, bytes); };
  store.replace = [path](std::string_view bytes) {
    const std::optional<std::string> target = posix::WriteTarget(path);
    if (!target) return false;
    const std::filesystem::path folder = std::filesystem::path(*target).parent_path();
    std::error_code ignored;  // a folder that cannot be made fails the replacement
    if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
    return posix::ReplaceFile(*target, bytes);
  };
  return store;
}

// Favorites in the home folder, as on a fresh Windows profile.
RegStore::FavoritesDefault InHome(const std::string& home_dir) {
  return [home_dir] {
    return home_dir.empty() ? std::string()
                            : paths::JoinEnsuringSeparator(home_dir, "Favorites", '/');
  };
}

}  // namespace

PosixRegistry::PosixRegistry(const std::string& store_path, const std::string& home_dir)
    : PosixRegistry(store_path, InHome(home_dir)) {}

PosixRegistry::PosixRegistry(const std::string& store_path, FavoritesDefault favorites)
    : RegStore(FileStore(store_path), std::move(favorites), cp932::CodePage()) {}

std::string PosixRegistry::DefaultStorePath() {
  if (const char* path = std::getenv("ZORVANE_REGISTRY"); path != nullptr && *path != '\0') {
    return path;
  }
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
    config = xdg;
  } else {
    config = paths::JoinEnsuringSeparator(posix::HomeDirectory(), ".config", '/');
  }
  return paths::JoinEnsuringSeparator(config, "zorvane/registry.reg", '/');
}

}  // namespace zorvane
