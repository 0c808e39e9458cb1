#!/usr/bin/env bash
# Takes the README's screenshots: the main window after a catalogue build and a ranking
# of the sample profile, and the About box. Runs the real window under Xvfb (an X server
# in memory) and saves both pictures with the window's own --screenshot options.
#
#   scripts/screenshots.sh [OUTPUT_DIR]     (default: docs/)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
out="${1:-$repo/docs}"
mkdir -p "$out"
out=$(cd "$out" && pwd)

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs" --target zorvane

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/program"
cp -R sample/Favorites sample/url-cache.txt "$work/"
sed "s|@SAMPLE_DIR@|$work|" sample/registry.reg >"$work/registry.reg"

export ZORVANE_REGISTRY="$work/registry.reg"
export ZORVANE_URL_CACHE="$work/url-cache.txt"
export QT_QPA_PLATFORM=xcb
export LANG=C.UTF-8
unset XDG_CONFIG_HOME
export HOME="$work"

# One screen at 96 dots per inch, so a twip is 1/15 of a pixel as on the classic desktop.
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
  "$repo/build/app/qt/zorvane" --program-dir "$work/program" --build --rank \
  --screenshot "$out/screenshot-main.png" --about-screenshot "$out/screenshot-about.png"
echo "saved $out/screenshot-main.png and $out/screenshot-about.png"
