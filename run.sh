#!/usr/bin/env bash
# Installs what Zorvane needs, builds it and starts it: the window when there is a display,
# else the command-line driver's catalogue build and ranking.
#
# With no registry store of your own ($ZORVANE_REGISTRY unset and no
# ${XDG_CONFIG_HOME:-~/.config}/zorvane/registry.reg) it runs on the bundled sample profile,
# copied afresh to ~/.local/share/zorvane/sample. url.dat and zorvane.ini go to
# $ZORVANE_HOME (default ~/.local/share/zorvane).
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

user_store="${XDG_CONFIG_HOME:-$HOME/.config}/zorvane/registry.reg"
if [ -z "${ZORVANE_REGISTRY:-}" ] && [ ! -e "$user_store" ]; then
  sample="$data_home/sample"
  rm -rf "$sample"
  mkdir -p "$sample"
  cp -R sample/Favorites sample/url-cache.txt "$sample/"
  # The store names the copied Favorites folder; "\" and '"' are escaped as .reg text wants.
  escaped=${sample//\\/\\\\}
  escaped=${escaped//\"/\\\"}
  SAMPLE_DIR="$escaped" awk '{
      while ((i = index($0, "@SAMPLE_DIR@")) > 0)
        $0 = substr($0, 1, i - 1) ENVIRON["SAMPLE_DIR"] substr($0, i + 12)
      print
    }' sample/registry.reg >"$sample/registry.reg"
  export ZORVANE_REGISTRY="$sample/registry.reg"
  export ZORVANE_URL_CACHE="$sample/url-cache.txt"
  echo "run.sh: no registry store of your own; using the sample profile in $sample" >&2
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  # Readme opens readme.txt from the current folder: the one beside the program.
  cd "$repo/build/app/qt"
  exec ./zorvane --program-dir "$program_dir"
fi
exec "$repo/build/cli/zorvane-cli" --program-dir "$program_dir" build rank
