#!/usr/bin/env bash
# Installs what Zorvane needs, builds it and starts it: the window when there is a display,
# else the command-line driver's catalogue build and ranking.
#
# With a registry store of your own ($ZORVANE_REGISTRY, or
# ${XDG_CONFIG_HOME:-~/.config}/zorvane/registry.reg) Zorvane runs on it as it is.
# Without one:
# - when your browsers' profiles are found, their bookmarks are imported into Zorvane's
#   own Favorites folder (~/.local/share/zorvane/browsers/Favorites, never your home's
#   folders) and ranked by your browsing history;
# - otherwise the bundled sample profile is used, copied afresh to
#   ~/.local/share/zorvane/sample.
# url.dat and zorvane.ini go to $ZORVANE_HOME (default ~/.local/share/zorvane).
set -euo pipefail
cd "$(dirname "$0")"
repo=$(pwd)

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs" --target zorvane zorvane-cli

data_home="${XDG_DATA_HOME:-$HOME/.local/share}/zorvane"
program_dir="${ZORVANE_HOME:-$data_home}"
mkdir -p "$program_dir"
cli="$repo/build/cli/zorvane-cli"

# Writes a registry store at $2 naming the Favorites folder $1/Favorites ("\" and '"'
# escaped as .reg text wants).
write_store() {
  local escaped=${1//\\/\\\\}
  escaped=${escaped//\"/\\\"}
  SAMPLE_DIR="$escaped" awk '{
      while ((i = index($0, "@SAMPLE_DIR@")) > 0)
        $0 = substr($0, 1, i - 1) ENVIRON["SAMPLE_DIR"] substr($0, i + 12)
      print
    }' sample/registry.reg >"$2"
}

user_store="${XDG_CONFIG_HOME:-$HOME/.config}/zorvane/registry.reg"
if [ -z "${ZORVANE_REGISTRY:-}" ] && [ ! -e "$user_store" ]; then
  own="$data_home/browsers"
  mkdir -p "$own/Favorites"
  write_store "$own" "$own/registry.reg"
  if message=$(ZORVANE_REGISTRY="$own/registry.reg" "$cli" --program-dir "$program_dir" \
                 import-bookmarks); then
    export ZORVANE_REGISTRY="$own/registry.reg"
    echo "run.sh: no registry store of your own; ranking your browser bookmarks" \
         "(imported into $own/Favorites) by your browser history: $message" >&2
  else
    sample="$data_home/sample"
    rm -rf "$sample"
    mkdir -p "$sample"
    cp -R sample/Favorites sample/url-cache.txt "$sample/"
    write_store "$sample" "$sample/registry.reg"
    export ZORVANE_REGISTRY="$sample/registry.reg"
    export ZORVANE_URL_CACHE="$sample/url-cache.txt"
    echo "run.sh: no registry store of your own and no browser bookmarks ($message);" \
         "using the sample profile in $sample" >&2
  fi
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  # Readme opens readme.txt from the current folder: the one beside the program.
  cd "$repo/build/app/qt"
  exec ./zorvane --program-dir "$program_dir"
fi
exec "$cli" --program-dir "$program_dir" build rank
