#!/usr/bin/env bash
# Takes a screenshot of the Windows build's main window after a ranking: the window runs
# under Wine in a virtual desktop on a private X server, over the Favorites tree and URL
# cache of the end-to-end tests; the catalogue is built first with zorvane-cli.
#
#   scripts/screenshot-windows.sh [BUILD_DIR] [OUTPUT.png]
#
# BUILD_DIR is the Windows build (default build-windows); OUTPUT defaults to
# docs/windows-main.png. Needs wine, xvfb-run and ImageMagick's import.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" != "--inside-prefix" ]; then
  build=$(cd "${1:-$root/build-windows}" && pwd)
  output=$(realpath -m "${2:-$root/docs/windows-main.png}")
  exec "$root/tests/wine/run-under-wine.sh" "$0" --inside-prefix "$build" "$output"
fi
build=$2
output=$3
data="$root/tests/wine/data"

# Wine's own fonts (Debian package fonts-wine) hold Marlett, the font of the caption
# buttons; this Wine does not find them in its data folder, so they go where every Wine
# program looks: the prefix's Fonts folder. Without them the buttons read "0 1 r".
wine_fonts=/usr/share/wine/fonts
if [ ! -e "$wine_fonts/marlett.ttf" ]; then
  echo "screenshot-windows: $wine_fonts/marlett.ttf is missing; install fonts-wine" >&2
  exit 1
fi
cp "$wine_fonts"/*.ttf "$(winepath -u 'C:\windows\Fonts')/"

favorites_wine=$(winepath -u "$(wine cmd /c echo %USERPROFILE% | tr -d '\r')\\Favorites")
program_wine=$(winepath -u 'C:\Zorvane')
mkdir -p "$favorites_wine" "$program_wine"
cp -R "$data/Favorites/." "$favorites_wine/"
cp "$build/app/win32/Zorvane.exe" "$build/cli/zorvane-cli.exe" "$program_wine/"
wine "$build/tests/wine/fill_url_cache.exe" "$(winepath -w "$data/cache.txt")"
wine 'C:\Zorvane\zorvane-cli.exe' build >/dev/null

# Every program of the prefix on one virtual desktop, where Wine draws the frame, caption
# and menu bar itself (there is no window manager) and the button driver finds the window.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 480x340 /f >/dev/null
wineserver -k || true
wineserver -w || true
wine 'C:\Zorvane\Zorvane.exe' &
desktop=$!
answer=$(wine "$build/tests/wine/click_button.exe" "ランキング" 60 | tr -d '\r')
rows=$(echo "$answer" | sed -n 1p)
place=$(echo "$answer" | sed -n 2p)
echo "rows in the list after the ranking: $rows; window at $place"
sleep 2
window=$(xwininfo -root -tree | awk '/480x340\+/ { print $1; exit }')
mkdir -p "$(dirname "$output")"
import -window "${window:-root}" -crop "$place" +repage "$output"
wineserver -k || true
wait "$desktop" 2>/dev/null || true
echo "screenshot: $output"
[ "$rows" -gt 0 ]
