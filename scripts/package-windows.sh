#!/usr/bin/env bash
# Makes the Windows packages from a Windows build folder (cmake --preset windows):
#
#   scripts/package-windows.sh BUILD_DIR OUT_DIR
#
#   OUT_DIR/Zorvane-VERSION-win64.msi  the installer: per user, no administrator rights,
#                                      into %LOCALAPPDATA%\Programs\Zorvane, with a
#                                      Start-menu entry (packaging/windows/zorvane.wxs)
#   OUT_DIR/Zorvane-VERSION-win64.zip  the portable copy: Zorvane.exe, zorvane-cli.exe
#                                      and readme.txt, to unpack anywhere
#
# Both hold the build's programs stripped of their symbols and the readme.txt the build
# wrote beside Zorvane.exe (UTF-8 with a byte order mark, CR LF). VERSION is the build's
# project version (CMakeCache.txt); ZORVANE_PACKAGE_VERSION=X.Y.Z stands in for it, so
# that a test can make an older package to upgrade from. Needs wixl, zip and
# x86_64-w64-mingw32-strip, which scripts/install-deps.sh installs.
set -euo pipefail

fail() {
  echo "package-windows: $*" >&2
  exit 1
}
[ "$#" -eq 2 ] || { echo "usage: $0 BUILD_DIR OUT_DIR" >&2; exit 2; }
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd) || fail "no build folder $1"
mkdir -p "$2"
out=$(cd "$2" && pwd)

for tool in wixl zip x86_64-w64-mingw32-strip; do
  command -v "$tool" >/dev/null 2>&1 ||
    fail "$tool is missing (scripts/install-deps.sh installs it)"
done

version=${ZORVANE_PACKAGE_VERSION:-}
if [ -z "$version" ] && [ -f "$build/CMakeCache.txt" ]; then
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
fi
# A version Windows Installer compares: major.minor.build.
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] ||
  fail "no version X.Y.Z in $build/CMakeCache.txt or ZORVANE_PACKAGE_VERSION (got '$version')"

programs=("$build/app/win32/Zorvane.exe" "$build/cli/zorvane-cli.exe")
readme="$build/app/win32/readme.txt"
for file in "${programs[@]}" "$readme"; do
  [ -f "$file" ] || fail "$file is missing: build the Windows build first"
done

stage=$(mktemp -d "${TMPDIR:-/tmp}/zorvane-package.XXXXXX")
trap 'rm -rf "$stage"' EXIT
for program in "${programs[@]}"; do
  x86_64-w64-mingw32-strip -o "$stage/$(basename "$program")" "$program"
done
cp "$readme" "$stage/readme.txt"
# The icon compiled into Zorvane.exe, for the Start-menu entry and the uninstall entry.
cp "$repo/app/icons/zorvane.ico" "$stage/zorvane.ico"

name="Zorvane-$version-win64"
rm -f "$out/$name.msi" "$out/$name.zip"
# wixl finds the files the source names in the folder it runs in.
(cd "$stage" && wixl --arch x64 --define "Version=$version" --output "$out/$name.msi" \
  "$repo/packaging/windows/zorvane.wxs")
(cd "$stage" && zip -q -X "$out/$name.zip" Zorvane.exe zorvane-cli.exe readme.txt)
echo "$out/$name.msi"
echo "$out/$name.zip"
