#!/usr/bin/env bash
# The Windows packages of scripts/package-windows.sh as a user meets them, in the Wine
# prefix that run-under-wine.sh made:
#
#   run-under-wine.sh windows-packages.sh msi|zip BUILD_DIR BROWSERS
#
# msi: installs an older package (version 0.0.0, an older readme.txt) with
#   msiexec /i /qn, then the build's package over it, and checks what the user gets: the
#   programs (stripped) and readme.txt in %LOCALAPPDATA%\Programs\Zorvane, the Start-menu
#   entry starting Zorvane.exe in that folder, one uninstall entry with name, version,
#   publisher and icon. The installed zorvane-cli.exe then imports, catalogues and ranks
#   the Firefox and Edge profiles of BROWSERS (tests/data/browsers) put where those
#   browsers keep them, with the rows the Linux build gives (cli/tests/
#   browser_ranking_test.cc), keeping url.dat and zorvane.ini in %APPDATA%\Zorvane. At
#   last msiexec /x /qn removes the programs and leaves those files.
# zip: unpacks the portable copy into a folder of its own, with an installed copy
#   recorded elsewhere, and checks that it keeps url.dat beside itself.
#
# Without wixl the packages cannot be made: the test is skipped with a message.
set -uo pipefail

mode=${1:-} build=${2:-} browsers=${3:-}
if [[ ! "$mode" =~ ^(msi|zip)$ ]] || [ -z "$build" ] || [ -z "$browsers" ] ||
   [ -z "${WINEPREFIX:-}" ]; then
  echo "usage: run-under-wine.sh $0 msi|zip BUILD_DIR BROWSERS" >&2
  exit 2
fi
if ! command -v wixl >/dev/null 2>&1; then
  echo "skipped: wixl not installed (Debian package wixl; scripts/install-deps.sh installs it)"
  exit 0
fi
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/zorvane-packages.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/checks.sh"
same_text() { [ "$1" = "$2" ] || { echo "  expected: $2"; echo "  got:      $1"; false; }; }
wine_folder() { winepath -u "$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')" 2>/dev/null; }
# The value NAME of registry key KEY, "" when there is none.
reg_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
if ! "$repo/scripts/package-windows.sh" "$build" "$work/new" >/dev/null; then
  echo "FAILED: scripts/package-windows.sh $build"
  exit 1
fi
msi="$work/new/Zorvane-$version-win64.msi"
zip="$work/new/Zorvane-$version-win64.zip"
mkdir -p "$work/files"
unzip -q "$zip" -d "$work/files"

appdata=$(wine_folder APPDATA)
localappdata=$(wine_folder LOCALAPPDATA)
installed="$localappdata/Programs/Zorvane"
data="$appdata/Zorvane"

if [ "$mode" = zip ]; then
  check "the ZIP holds the two programs and readme.txt" \
    same_text "$(ls "$work/files" | sort | tr '\n' ' ')" "Zorvane.exe readme.txt zorvane-cli.exe "
  check "its readme.txt is the repository's, with a byte order mark and CR LF" \
    cmp <(printf '\xef\xbb\xbf'; sed 's/$/\r/' "$repo/readme.txt") "$work/files/readme.txt"
  # An installed copy elsewhere does not make this one installed.
  wine reg add 'HKCU\Software\Zorvane' /v InstallDir /d 'C:\Programs\Zorvane' /f >/dev/null 2>&1
  check "an installed copy is recorded elsewhere" \
    same_text "$(reg_value 'HKCU\Software\Zorvane' InstallDir)" 'C:\Programs\Zorvane'
  portable=$(winepath -u 'C:\Tools\Zorvane')
  mkdir -p "$portable"
  cp "$work/files/"* "$portable/"
  wine 'C:\Tools\Zorvane\zorvane-cli.exe' build >"$work/out" 2>&1
  check "the unpacked zorvane-cli.exe builds the catalogue" \
    same_text "$(tr -d '\r' <"$work/out")" "終了しました"
  check "it writes url.dat beside itself" test -s "$portable/url.dat"
  check "and nothing in %APPDATA%\\Zorvane" test ! -e "$data"
  echo "$passed passed, $failures failed"
  [ "$failures" -eq 0 ]
  exit
fi
# ---- An older package, then the build's over it ------------------------------------------

mkdir -p "$work/old-build/app/win32" "$work/old-build/cli"
cp "$build/app/win32/Zorvane.exe" "$work/old-build/app/win32/"
cp "$build/cli/zorvane-cli.exe" "$work/old-build/cli/"
echo "the older readme" >"$work/old-build/app/win32/readme.txt"
ZORVANE_PACKAGE_VERSION=0.0.0 "$repo/scripts/package-windows.sh" "$work/old-build" "$work/old" \
  >/dev/null || { echo "FAILED: the older package"; exit 1; }
product_code() {
  msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'
}
old_code=$(product_code "$work/old/Zorvane-0.0.0-win64.msi")
new_code=$(product_code "$msi")

# Windows lists an installed MSI product under ...\Uninstall\{ProductCode}: a per-user
# one for its user. Wine's msi writes every product's entry under HKEY_LOCAL_MACHINE,
# whatever the install's context; the entry is read where it is.
uninstall_key() {
  local root key
  for root in HKCU HKLM; do
    key="$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1"
    if wine reg query "$key" >/dev/null 2>&1; then
      echo "$key"
      return
    fi
  done
}
zorvane_entries() {
  local root
  for root in HKCU HKLM; do
    wine reg query "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s 2>/dev/null
  done | tr -d '\r' | grep -cE '^ +DisplayName +REG_SZ +Zorvane$'
}

wine msiexec /i "$(winepath -w "$work/old/Zorvane-0.0.0-win64.msi")" /qn
check "msiexec /i installs the older package" test "$?" -eq 0
check "its uninstall entry says version 0.0.0" \
  same_text "$(reg_value "$(uninstall_key "$old_code")" DisplayVersion)" "0.0.0"

wine msiexec /i "$(winepath -w "$msi")" /qn
check "msiexec /i installs the build's package over it" test "$?" -eq 0
for file in Zorvane.exe zorvane-cli.exe readme.txt; do
  check "the new $file is in %LOCALAPPDATA%\\Programs\\Zorvane" \
    cmp "$work/files/$file" "$installed/$file"
done
for file in Zorvane.exe zorvane-cli.exe; do
  check "the installed $file is stripped of its symbols" \
    test -z "$(x86_64-w64-mingw32-nm "$installed/$file" 2>/dev/null)"
done
check "HKCU\\Software\\Zorvane records the install folder" \
  same_text "$(winepath -u "$(reg_value 'HKCU\Software\Zorvane' InstallDir)")" "$installed/"

# ---- The uninstall entry and the Start-menu entry ------------------------------------------

check "one uninstall entry for Zorvane after the upgrade" same_text "$(zorvane_entries)" 1
check "the older product's entry is gone" test -z "$(uninstall_key "$old_code")"
entry=$(uninstall_key "$new_code")
check "the uninstall entry is {ProductCode}" test -n "$entry"
check "its DisplayName" same_text "$(reg_value "$entry" DisplayName)" Zorvane
check "its DisplayVersion" same_text "$(reg_value "$entry" DisplayVersion)" "$version"
check "its Publisher" same_text "$(reg_value "$entry" Publisher)" Zorvane
# The icon the list shows: ARPPRODUCTICON, kept where the product is published for the
# user, under the product code as the installer's keys spell it (its first three groups
# reversed, each pair of the rest swapped).
reverse() {
  local text=$1 out="" i
  for ((i = ${#text} - 1; i >= 0; i--)); do out+=${text:i:1}; done
  echo "$out"
}
hex=${new_code//[\{\}-]/}
packed=$(reverse "${hex:0:8}")$(reverse "${hex:8:4}")$(reverse "${hex:12:4}")
for ((i = 16; i < 32; i += 2)); do packed+=${hex:i+1:1}${hex:i:1}; done
icon=$(reg_value "HKCU\\Software\\Microsoft\\Installer\\Products\\$packed" ProductIcon)
check "the product is published for the user, with the program's icon" \
  cmp "$repo/app/icons/zorvane.ico" "$(winepath -u "$icon" 2>/dev/null)"

shortcut="$appdata/Microsoft/Windows/Start Menu/Programs/Zorvane.lnk"
check "the Start-menu entry Zorvane.lnk" test -f "$shortcut"
install_windows=$(reg_value 'HKCU\Software\Zorvane' InstallDir)
# A shortcut keeps its target and its working folder as strings (the latter UTF-16).
check "it starts the installed Zorvane.exe" \
  grep -qxF "${install_windows}Zorvane.exe" <(strings "$shortcut")
check "in the install folder, where Readme finds readme.txt" \
  grep -qE "^.?$(printf '%s' "$install_windows" | sed 's/[\\.]/\\&/g')\$" <(strings -el "$shortcut")

# ---- The installed programs at work -------------------------------------------------------

mkdir -p "$appdata/Mozilla/Firefox" "$localappdata/Microsoft/Edge/User Data/Default"
cp -R "$browsers/firefox/home/.mozilla/firefox/." "$appdata/Mozilla/Firefox/"
cp "$browsers/chromium/History" "$browsers/chromium/Bookmarks" \
  "$localappdata/Microsoft/Edge/User Data/Default/"
wine "${install_windows}zorvane-cli.exe" import-bookmarks build rank >"$work/out" 2>"$work/err"
check "the installed zorvane-cli.exe import-bookmarks build rank: exit status 0" test "$?" -eq 0
[ -s "$work/err" ] && { echo "stderr:"; cat "$work/err"; }
expected_rows=$'3\tAlpha page\t20.0%\thttp://127.0.0.1:48613/a\t6
3\t日本語のブックマーク\t13.3%\thttp://127.0.0.1:48613/%E6%97%A5%E6%9C%AC%E8%AA%9E/%E3%83%9A%E3%83%BC%E3%82%B8\t4
2\tBravo page\t13.3%\thttp://127.0.0.1:48613/b\t4
1\tDocs (2)\t6.7%\thttp://127.0.0.1:48613/b#part\t2
1\tMeta refresh source\t6.7%\thttp://127.0.0.1:48613/refresh\t2
1\tDocs\t6.7%\thttp://127.0.0.1:48613/c?x=1&y=2\t2'
check "it ranks the Firefox and Edge favourites as the Linux build does" \
  same_text "$(tr -d '\r' <"$work/out" | grep -E $'^[123]\t')" "$expected_rows"
check "url.dat and zorvane.ini go to %APPDATA%\\Zorvane" \
  test -s "$data/url.dat" -a -s "$data/zorvane.ini"
check "nothing is written into the install folder" \
  same_text "$(ls "$installed" | sort | tr '\n' ' ')" "Zorvane.exe readme.txt zorvane-cli.exe "

# ---- Uninstall -----------------------------------------------------------------------------

cp "$data/url.dat" "$work/url.dat"
wine msiexec /x "$(winepath -w "$msi")" /qn
check "msiexec /x uninstalls" test "$?" -eq 0
check "the programs are gone" test ! -e "$installed"
check "the Start-menu entry is gone" test ! -e "$shortcut"
check "the uninstall entry is gone" same_text "$(zorvane_entries)" 0
check "the install record is gone" test -z "$(reg_value 'HKCU\Software\Zorvane' InstallDir)"
check "the user's url.dat stays in %APPDATA%\\Zorvane" cmp "$work/url.dat" "$data/url.dat"
check "and so does zorvane.ini" test -s "$data/zorvane.ini"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
