#!/usr/bin/env bash
# Installs what Zorvane needs, builds it and starts it: the window when there is a display,
# else the command-line driver's catalogue build and ranking. What the installation and the
# build print goes to stderr, so stdout holds only what the program prints.
#
# The programs find your favourites by themselves, as installed ones do: the Favorites
# folder your registry store names, else ~/Favorites when it exists, else Zorvane's own
# folder (~/.local/share/zorvane/Favorites), into which the catalogue build imports your
# browsers' bookmarks first. Only when that finds nothing (no registry store of your own,
# no browser profile, no shortcut) is the bundled sample profile used, copied afresh to
# ~/.local/share/zorvane/sample. url.dat and zorvane.ini go to $ZORVANE_HOME (default
# ~/.local/share/zorvane).
set -euo pipefail
cd "$(dirname "$0")"
repo=$(pwd)

jobs=$(nproc 2>/dev/null || echo 2)
{
  scripts/install-deps.sh
  cmake --preset default >/dev/null
  cmake --build --preset default -j"$jobs" --target zorvane zorvane-cli
} >&2

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
  # A first catalogue build says whether the programs find favourites of yours.
  if "$cli" --program-dir "$program_dir" build >/dev/null &&
     [ -n "$(tr -d '\r\n' <"$program_dir/url.dat")" ]; then
    echo "run.sh: ranking your favourites (your browsers' bookmarks and shortcuts)" >&2
  else
    sample="$data_home/sample"
    rm -rf "$sample"
    mkdir -p "$sample"
    cp -R sample/Favorites sample/url-cache.txt "$sample/"
    write_store "$sample" "$sample/registry.reg"
    export ZORVANE_REGISTRY="$sample/registry.reg"
    export ZORVANE_URL_CACHE="$sample/url-cache.txt"
    echo "run.sh: no favourites and no browser profile found; using the sample profile in" \
         "$sample" >&2
  fi
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  # Readme opens readme.txt from the current folder: the one beside the program.
  cd "$repo/build/app/qt"
  exec ./zorvane --program-dir "$program_dir"
fi
exec "$cli" --program-dir "$program_dir" build rank
