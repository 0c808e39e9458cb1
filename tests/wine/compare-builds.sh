#!/usr/bin/env bash
# Runs `zorvane-cli build rank rank add-favorites mail` end to end in the Windows build
# (under Wine, in the prefix that run-under-wine.sh made) and, when the Linux build's
# zorvane-cli is given, in the Linux build on the same Favorites tree and URL cache; then
# compares what the two produced: the printed lines (messages, ranking rows with icons,
# mail request), url.dat, the settings file and the shortcut files written.
#
#   run-under-wine.sh compare-builds.sh --windows-cli zorvane-cli.exe
#       --fill-cache fill_url_cache.exe --data DIR [--linux-cli zorvane-cli]
#       [--browsers BROWSERS]
#
# DIR holds Favorites/ (the tree) and cache.txt (a cache list: both the Linux cache source
# and what fill_url_cache.exe commits to WinINet). With --browsers (tests/data/browsers:
# a Firefox profile and a Chromium History and Bookmarks that the real browsers wrote),
# the Firefox profile is put where Firefox keeps it and the Chromium one where Microsoft
# Edge keeps its own, in the Wine prefix and in the Linux home alike, and the run starts
# with import-bookmarks; the whole Favorites folders are then compared.
set -uo pipefail

windows_cli= fill_cache= data= linux_cli= browsers=
while [ "$#" -gt 0 ]; do
  case "$1" in
    --windows-cli) windows_cli=$2; shift 2 ;;
    --fill-cache) fill_cache=$2; shift 2 ;;
    --data) data=$2; shift 2 ;;
    --linux-cli) linux_cli=$2; shift 2 ;;
    --browsers) browsers=$2; shift 2 ;;
    *) echo "compare-builds: unknown argument $1" >&2; exit 2 ;;
  esac
done
if [ -z "$windows_cli" ] || [ -z "$fill_cache" ] || [ -z "$data" ] || [ -z "${WINEPREFIX:-}" ]
then
  echo "compare-builds: run it through run-under-wine.sh with --windows-cli," \
       "--fill-cache and --data" >&2
  exit 2
fi

commands=(build rank rank add-favorites mail)
[ -n "$browsers" ] && commands=(import-bookmarks "${commands[@]}")
firefox_profile=zorvtest.default-esr
work=$(mktemp -d "${TMPDIR:-/tmp}/zorvane-compare.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/checks.sh"

# ---- Windows build, under Wine --------------------------------------------------------

# The Favorites folder is where the registry value that Wine stores says it is.
favorites_value=$(wine reg query \
  'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' \
  /v Favorites 2>/dev/null | tr -d '\r' | awk '$1 == "Favorites" { $1 = ""; $2 = ""; sub(/^ +/, ""); print }')
if [ -z "$favorites_value" ]; then
  echo "compare-builds: no Favorites value in the Wine registry" >&2
  exit 1
fi
echo "Wine's Favorites value: $favorites_value"
profile_dir=$(wine cmd /c echo %USERPROFILE% 2>/dev/null | tr -d '\r')
favorites_windows=${favorites_value//%USERPROFILE%/$profile_dir}
favorites_wine=$(winepath -u "$favorites_windows" 2>/dev/null)
program_wine=$(winepath -u 'C:\Zorvane' 2>/dev/null)
mkdir -p "$favorites_wine" "$program_wine"
cp -R "$data/Favorites/." "$favorites_wine/"
cp "$windows_cli" "$program_wine/zorvane-cli.exe"

if [ -n "$browsers" ]; then
  # Where the browsers keep their profiles, as Wine's environment names the folders.
  appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)
  localappdata=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')" \
                 2>/dev/null)
  mkdir -p "$appdata/Mozilla/Firefox" "$localappdata/Microsoft/Edge/User Data/Default"
  cp -R "$browsers/firefox/home/.mozilla/firefox/." "$appdata/Mozilla/Firefox/"
  cp "$browsers/chromium/History" "$browsers/chromium/Bookmarks" \
    "$localappdata/Microsoft/Edge/User Data/Default/"
fi

if ! wine "$fill_cache" "$(winepath -w "$data/cache.txt")"; then
  echo "compare-builds: filling the WinINet cache failed" >&2
  exit 1
fi

# The program directory is the folder of the .exe: no --program-dir.
wine 'C:\Zorvane\zorvane-cli.exe' "${commands[@]}" >"$work/windows.out" 2>"$work/windows.err"
windows_status=$?
check "Windows build: exit status 0" test "$windows_status" -eq 0
[ -s "$work/windows.err" ] && { echo "Windows stderr:"; cat "$work/windows.err"; }
echo "---- Windows build printed:"
cat "$work/windows.out"
echo "----"

check "Windows build: url.dat written" test -s "$program_wine/url.dat"
check "Windows build: settings file written" test -s "$program_wine/zorvane.ini"
check "Windows build: ranking rows printed" grep -q $'^[123]\t' "$work/windows.out"
check "Windows build: mail request printed" grep -q '^mailto:' "$work/windows.out"
shortcuts_windows="$favorites_wine/お気に入りZorvane"
check "Windows build: shortcut files written" test -n "$(ls -A "$shortcuts_windows" 2>/dev/null)"
if [ -n "$browsers" ]; then
  # /a: 4 hits in WinINet, 3 views in each browser.
  check "Windows build: a WinINet entry counts the browsers' views of its address" \
    grep -q $'\thttp://127.0.0.1:48613/a\t10$' "$work/windows.out"
  check "Windows build: bookmarks imported" \
    test -f "$favorites_wine/Microsoft Edge (Default)/ブックマーク バー/Alpha page.url"
fi

# A program folder named in Japanese reaches the program whole (wide command line).
mkdir -p "$(winepath -u 'C:\データ')"
wine 'C:\Zorvane\zorvane-cli.exe' --program-dir 'C:\データ' build >/dev/null 2>&1
check "Windows build: --program-dir with a Japanese name" \
  test -s "$(winepath -u 'C:\データ')/url.dat"

# ---- Linux build, on the same tree and cache ---------------------------------------------

if [ -n "$linux_cli" ]; then
  home="$work/home"
  mkdir -p "$home/Favorites" "$work/program"
  cp -R "$data/Favorites/." "$home/Favorites/"
  cache="$data/cache.txt"
  if [ -n "$browsers" ]; then
    mkdir -p "$home/.mozilla/firefox" "$home/.config/microsoft-edge/Default"
    cp -R "$browsers/firefox/home/.mozilla/firefox/." "$home/.mozilla/firefox/"
    cp "$browsers/chromium/History" "$browsers/chromium/Bookmarks" \
      "$home/.config/microsoft-edge/Default/"
    # The variable names the sources: the cache list the Windows build has in WinINet,
    # then the histories in the order discovery finds them.
    cache="$cache:$home/.mozilla/firefox/$firefox_profile/places.sqlite"
    cache="$cache:$home/.config/microsoft-edge/Default/History"
  fi
  # The Linux registry store's default names $HOME/Favorites, as Wine's names its own.
  HOME="$home" XDG_CONFIG_HOME="$home/.config" ZORVANE_REGISTRY="$home/registry.reg" \
    ZORVANE_URL_CACHE="$cache" \
    "$linux_cli" --program-dir "$work/program" "${commands[@]}" \
    >"$work/linux.out" 2>"$work/linux.err"
  linux_status=$?
  check "Linux build: exit status 0" test "$linux_status" -eq 0
  [ -s "$work/linux.err" ] && { echo "Linux stderr:"; cat "$work/linux.err"; }

  check "same printed lines (messages, ranking rows and icons, mail request)" \
    diff -u "$work/linux.out" "$work/windows.out"
  check "same url.dat bytes" cmp "$work/program/url.dat" "$program_wine/url.dat"
  check "same settings file" cmp "$work/program/zorvane.ini" "$program_wine/zorvane.ini"
  check "same shortcut files, names and bytes" \
    diff -r "$home/Favorites/お気に入りZorvane" "$shortcuts_windows"
  if [ -n "$browsers" ]; then
    check "same Favorites folders after the import, names and bytes" \
      diff -r "$home/Favorites" "$favorites_wine"
  fi
  if ! cmp -s "$work/program/zorvane.ini" "$program_wine/zorvane.ini"; then
    echo "settings file, Linux then Windows (CP932 shown as UTF-8):"
    iconv -f CP932 -t UTF-8 "$work/program/zorvane.ini" | cat -A | head -40
    iconv -f CP932 -t UTF-8 "$program_wine/zorvane.ini" | cat -A | head -40
  fi
else
  echo "(no --linux-cli: the Linux build is not compared)"
fi

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
