#!/usr/bin/env bash
# Regenerates the URL-cache index files in tests/data/url_cache/ with Wine's own WinINet:
# builds make_url_cache.c with MinGW-w64, runs it in a throwaway Wine prefix, and copies
# the index.dat of each cache container (content, history, cookies) it wrote.
#
# Needs wine (64-bit) and gcc-mingw-w64-x86-64. Not part of the build: run it by hand
# when the test data must change, check the result, and commit the files.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../data/url_cache}
work=$(mktemp -d)
trap 'WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT

x86_64-w64-mingw32-gcc -O1 -Wall -Wextra -o "$work/make_url_cache.exe" \
  "$here/make_url_cache.c" -lwininet

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine "$work/make_url_cache.exe" >"$work/committed.txt"
wineserver -w

# The profile folder is named after the user Wine runs as.
local_app_data=$(find "$WINEPREFIX/drive_c/users" -mindepth 3 -maxdepth 3 -type d \
  -path '*/AppData/Local' | grep -v /Public/ | head -n 1)
windows="$local_app_data/Microsoft/Windows"
mkdir -p "$out"
cp "$windows/INetCache/Content.IE5/index.dat" "$out/wine-content-index.dat"
cp "$windows/History/History.IE5/index.dat" "$out/wine-history-index.dat"
cp "$windows/INetCookies/index.dat" "$out/wine-cookies-index.dat"
{
  echo "# Entries make_url_cache.c committed: TYPE<TAB>HITS<TAB>ADDRESS (type as committed;"
  echo "# WinINet adds its container's default type bits when it stores an entry)."
  tr -d '\r' <"$work/committed.txt"
} >"$out/wine-committed.txt"
ls -l "$out"
