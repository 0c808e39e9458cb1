// The registry on Linux: the registry engine (formats/reg_store.h) over a `.reg` file in
// code page 932's terms, at $ZORVANE_REGISTRY or else
// ${XDG_CONFIG_HOME:-$HOME/.config}/zorvane/registry.reg. The file is replaced atomically,
// through a symbolic link to its target, in a folder made when missing.
#pragma once

#include <string>

#include "formats/reg_store.h"

namespace zorvane {

class PosixRegistry final : public RegStore {
 public:
  // `store_path`: the .reg file. A missing file is an empty store plus the defaults a
  // fresh profile has: the Favorites folder `favorites` names, or one under `home_dir`.
  PosixRegistry(const std::string& store_path, const std::string& home_dir);
  PosixRegistry(const std::string& store_path, FavoritesDefault favorites);

  // The path of the store when the environment names none: $ZORVANE_REGISTRY, else
  // ${XDG_CONFIG_HOME:-$HOME/.config}/zorvane/registry.reg.
  static std::string DefaultStorePath();
};

}  // namespace zorvane
