#!/usr/bin/env bash
# Builds Zorvane as a packager would (a plain Release configuration with Debian's build
# flags: no presets, no -Werror), makes the Debian package and has lintian check it,
# installs it with apt-get, validates the installed desktop entry and AppStream metainfo,
# checks that the installed programs run (--version, --help, a catalogue build and
# ranking of the bundled sample in a fresh home folder, and one of a fresh home folder
# that holds only browser profiles) and removes the package again. Any complaint of the
# validators fails the check.
#
#   scripts/check-package.sh [BUILD_DIR]     (default build-release)
#
# Installing needs root or password-less sudo; without either, the package is built and
# checked by lintian, and the install check is skipped with a message. The tests and
# benchmarks are left out of this build: the suite runs in the preset builds.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
build=${1:-build-release}
jobs=$(nproc 2>/dev/null || echo 2)

fail() {
  echo "check-package: $*" >&2
  exit 1
}
for tool in dpkg-buildflags lintian desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing (scripts/install-deps.sh installs it)"
done

# Debian's build flags, as a Debian package build gets them from dpkg-buildflags, with
# every hardening feature (stack protector, _FORTIFY_SOURCE, format checks, read-only
# relocations bound at start). CMake takes CXXFLAGS and LDFLAGS from the environment when
# it configures a build folder anew (hence --fresh), but not CPPFLAGS, which therefore
# join CXXFLAGS.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS"
cmake --fresh -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZORVANE_BUILD_TESTS=OFF \
  -DZORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs"
rm -f "$build"/zorvane_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$repo/$build"/zorvane_*.deb)
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Depends Recommends

# Debian's package checker: no error, no warning. Its hardening tags are only
# informational, so those are asked for on their own: each says that a program lacks one
# of the flags above.
lintian --fail-on error,warning "$deb" || fail "lintian finds fault with $(basename "$deb")"
lintian --fail-on info \
  --tags hardening-no-bindnow,hardening-no-fortify-functions,hardening-no-pie,hardening-no-relro \
  "$deb" || fail "the programs of $(basename "$deb") are built without Debian's hardening"
echo "check-package: lintian accepts $(basename "$deb")"
# The package's files as one tree: the metainfo names its desktop entry, which must be
# there under that name (the metainfo itself is validated once installed). --strict
# fails on infos too; the one info that stays, that the validator does not know the
# top-level domain .example of the component id, is lowered to a pedantic note.
tree=$(mktemp -d "${TMPDIR:-/tmp}/zorvane-package-tree.XXXXXX")
dpkg-deb -x "$deb" "$tree"
report=$(appstreamcli validate-tree --no-net --strict --override=cid-maybe-not-rdns=pedantic \
  "$tree" 2>&1) || { rm -rf "$tree"; fail "appstreamcli validate-tree: $report"; }
rm -rf "$tree"

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
browsers_home=$(mktemp -d "${TMPDIR:-/tmp}/zorvane-package-browsers.XXXXXX")
cleanup() {
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove -y -qq zorvane >/dev/null 2>&1 || true
  rm -rf "$home" "$browsers_home"
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "$deb" >/dev/null

desktop=/usr/share/applications/zorvane.desktop
metainfo=/usr/share/metainfo/example.zorvane.Zorvane.metainfo.xml
for f in /usr/bin/zorvane /usr/bin/zorvane-cli "$desktop" "$metainfo" \
  /usr/share/icons/hicolor/48x48/apps/zorvane.png /usr/share/doc/zorvane/readme.txt \
  /usr/share/doc/zorvane/copyright /usr/share/doc/zorvane/changelog.Debian.gz \
  /usr/share/man/man1/zorvane.1.gz /usr/share/man/man1/zorvane-cli.1.gz; do
  [ -e "$f" ] || fail "the package does not install $f"
done

# The desktop entry and the metainfo as the desktops and software centres read them.
# desktop-file-validate exits 0 on warnings and hints too: any line it prints fails.
complaints=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$complaints" ] ||
  fail "desktop-file-validate: ${complaints:-failed}"
appstreamcli validate --no-net --strict --override=cid-maybe-not-rdns=pedantic "$metainfo" ||
  fail "appstreamcli finds fault with $metainfo"

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

# A fresh user who keeps no Favorites folder, only the Firefox and Chromium profiles the
# real browsers wrote (tests/data/browsers), and nothing of ours or of XDG in the
# environment: the catalogue build imports their bookmarks into Zorvane's own Favorites
# folder, and the ranking counts the views of both browsers. The rows are the ones
# cli/tests/browser_ranking_test.cc expects of the same profiles.
cp -R tests/data/browsers/firefox/home/.mozilla "$browsers_home/"
mkdir -p "$browsers_home/.config/chromium/Default"
cp tests/data/browsers/chromium/History tests/data/browsers/chromium/Bookmarks \
  "$browsers_home/.config/chromium/Default/"
before=$(cd "$browsers_home" && LC_ALL=C ls -A)
output=$(cd / && env -i PATH=/usr/bin:/bin HOME="$browsers_home" LANG=C.UTF-8 \
  zorvane-cli build rank) || fail "zorvane-cli build rank of the browser profiles failed: $output"
echo "$output"
expected=$(printf '%s\n' \
  "終了しました" \
  "10個のファイルを検出" \
  $'3\tAlpha page\t20.0%\thttp://127.0.0.1:48613/a\t6' \
  $'3\t日本語のブックマーク\t13.3%\thttp://127.0.0.1:48613/%E6%97%A5%E6%9C%AC%E8%AA%9E/%E3%83%9A%E3%83%BC%E3%82%B8\t4' \
  $'2\tBravo page\t13.3%\thttp://127.0.0.1:48613/b\t4' \
  $'1\tDocs (2)\t6.7%\thttp://127.0.0.1:48613/b#part\t2' \
  $'1\tMeta refresh source\t6.7%\thttp://127.0.0.1:48613/refresh\t2' \
  $'1\tDocs\t6.7%\thttp://127.0.0.1:48613/c?x=1&y=2\t2')
[ "$output" = "$expected" ] ||
  fail "the ranking of the browser profiles is not the one expected:"$'\n'"$expected"
after=$(cd "$browsers_home" && LC_ALL=C ls -A)
[ "$after" = "$(printf '%s\n' $before .local | LC_ALL=C sort)" ] ||
  fail "the home folder's top level holds more than .local afterwards:"$'\n'"$after"
[ -d "$browsers_home/.local/share/zorvane/Favorites" ] ||
  fail "Zorvane's own Favorites folder is not in $browsers_home/.local/share/zorvane"

DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove -y -qq zorvane >/dev/null
! command -v zorvane-cli >/dev/null 2>&1 || fail "zorvane-cli is still there after removal"
echo "check-package: $(basename "$deb") installs, runs and removes cleanly"
