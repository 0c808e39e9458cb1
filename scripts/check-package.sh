#!/usr/bin/env bash
# Builds Zorvane as a packager would (a plain Release configuration: no presets, no
# -Werror), makes the Debian package, installs it with apt-get, checks that the installed
# programs run (--version, --help, and a catalogue build and ranking of the bundled
# sample in a fresh home folder) and removes the package again.
#
#   scripts/check-package.sh [BUILD_DIR]     (default build-release)
#
# Installing needs root or password-less sudo; without either, the package is built and
# the install check is skipped with a message. The tests and benchmarks are left out of
# this build: the suite runs in the preset builds.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
build=${1:-build-release}
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZORVANE_BUILD_TESTS=OFF \
  -DZORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs"
rm -f "$build"/zorvane_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$repo/$build"/zorvane_*.deb)
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Depends Recommends

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  sudo=(sudo -n)
else
  echo "check-package: skipped installing $deb (needs root or password-less sudo)"
  exit 0
fi
if dpkg-query -W -f='${Status}' zorvane 2>/dev/null | grep -q 'install ok installed'; then
  echo "check-package: a zorvane package is installed already; not replacing it" >&2
  exit 1
fi

home=$(mktemp -d "${TMPDIR:-/tmp}/zorvane-package-home.XXXXXX")
cleanup() {
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove -y -qq zorvane >/dev/null 2>&1 || true
  rm -rf "$home"
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "$deb" >/dev/null

fail() {
  echo "check-package: $*" >&2
  exit 1
}
for f in /usr/bin/zorvane /usr/bin/zorvane-cli /usr/share/applications/zorvane.desktop \
  /usr/share/icons/hicolor/48x48/apps/zorvane.png /usr/share/doc/zorvane/readme.txt \
  /usr/share/man/man1/zorvane-cli.1.gz; do
  [ -e "$f" ] || fail "the package does not install $f"
done

# A fresh user: nothing of ours in the environment, the sample's Favorites in the
# default place (~/Favorites) and its cache list as the hit counts.
run() {
  env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 ZORVANE_URL_CACHE="$home/url-cache.txt" "$@"
}
cp -R sample/Favorites sample/url-cache.txt "$home/"
version=$(run zorvane-cli --version)
[ "$version" = "zorvane-cli 0.0.2" ] || fail "zorvane-cli --version printed: $version"
window_version=$(run zorvane --version)
[ "$window_version" = "zorvane 0.0.2" ] || fail "zorvane --version printed: $window_version"
run zorvane-cli --help | grep -q '^usage: zorvane-cli' || fail "zorvane-cli --help"

output=$(cd / && run zorvane-cli build rank) || fail "zorvane-cli build rank failed: $output"
echo "$output"
[ "$(printf '%s\n' "$output" | head -n 1)" = "終了しました" ] || fail "the build did not finish"
rows=$(printf '%s\n' "$output" | grep -c $'^[123]\t' || true)
[ "$rows" -ge 1 ] || fail "the ranking has no rows"
data="$home/.local/share/zorvane"
[ -s "$data/url.dat" ] && [ -s "$data/zorvane.ini" ] ||
  fail "url.dat and zorvane.ini are not in $data"
[ ! -e /usr/bin/url.dat ] || fail "the installed program wrote beside itself"

DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove -y -qq zorvane >/dev/null
! command -v zorvane-cli >/dev/null 2>&1 || fail "zorvane-cli is still there after removal"
echo "check-package: $(basename "$deb") installs, runs and removes cleanly"
