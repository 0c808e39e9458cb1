#!/usr/bin/env bash
# The bookmark import against itself and against kills:
# 1. ROUNDS rounds of two imports at once of two different bookmark files of BOOKMARKS
#    bookmarks each into one Favorites folder: both must end with exit status 0, each
#    mirror whole (every bookmark, the marker), no staging folder left, and a later import
#    must work.
# 2. KILLS imports killed (SIGKILL) at random moments, each alternating between two
#    sources of one mirror name with different addresses, each followed by a catalogue
#    build: the catalogue must hold exactly one source's addresses, whole, every time
#    (never half a tree, never one that did not finish), and the user's own file in the
#    mirror must survive.
#
# 3. A mirror that is a symbolic link, and one that holds one: never replaced, and
#    nothing outside the Favorites folder is touched.
#
#   import_races.sh [--wine] ZORVANE_CLI [ROUNDS] [KILLS] [BOOKMARKS]
#
# With --wine, ZORVANE_CLI is the Windows build's zorvane-cli.exe, run under Wine in the
# prefix that tests/wine/run-under-wine.sh made; the catalogue build then finds the
# Favorites folder through Wine's registry.
set -euo pipefail
wine=
[ "$1" = --wine ] && { wine=wine; shift; }
cli=$1
rounds=${2:-20}
kills=${3:-50}
bookmarks=${4:-20000}
source "$(dirname "$0")/common.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fav="$work/Favorites"
mkdir -p "$fav" "$work/program" "$work/a" "$work/b"
# native PATH: the path as the program under test takes it.
native() { if [ -n "$wine" ]; then winepath -w "$1" 2>/dev/null; else echo "$1"; fi; }
if [ -n "$wine" ]; then
  wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' \
    /v Favorites /t REG_SZ /d "$(native "$fav")" /f >/dev/null 2>&1
else
  export ZORVANE_REGISTRY="$work/registry.reg" ZORVANE_URL_CACHE="$work/empty-cache.txt"
  export HOME="$work/home"
  mkdir -p "$HOME"
  : >"$ZORVANE_URL_CACHE"
  registry_naming "$fav" >"$ZORVANE_REGISTRY"
fi
program=$(native "$work/program")
# run ARGS...: the program under test with the program folder of this run.
run() { $wine "$cli" --program-dir "$program" "$@"; }
# import SOURCE: imports the bookmarks file SOURCE into the Favorites folder.
import() { run import-bookmarks --from "$(native "$1")" --into "$(native "$fav")"; }

# make_bookmarks FILE PREFIX: a bookmarks HTML file of $bookmarks bookmarks in folders of
# 500, addressed http://PREFIX.example/N.
make_bookmarks() {
  awk -v n="$bookmarks" -v p="$2" 'BEGIN {
    print "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>"
    for (i = 0; i < n; i++) {
      if (i % 500 == 0) { if (i) print "</DL><p>"; print "<DT><H3>Folder " i / 500 "</H3>\n<DL><p>" }
      print "<DT><A HREF=\"http://" p ".example/" i "\">" p " page " i "</A>"
    }
    print "</DL><p>\n</DL><p>"
  }' >"$1"
}
make_bookmarks "$work/a/bookmarks.html" alpha
make_bookmarks "$work/b/bookmarks.html" beta
cp "$work/a/bookmarks.html" "$work/alpha.html"
cp "$work/b/bookmarks.html" "$work/beta.html"

failures=0
fail() {
  echo "$*"
  failures=$((failures + 1))
}
# whole_mirror NAME PREFIX: the mirror holds every bookmark of PREFIX and its marker.
whole_mirror() {
  local count
  count=$(find "$fav/$1" -name '*.url' -print0 | xargs -0 -r grep -l "//$2\.example/" | wc -l)
  [ -f "$fav/$1/.zorvane-import" ] && [ "$count" -eq "$bookmarks" ] ||
    { echo "mirror $1: $count of $bookmarks bookmarks of $2"; return 1; }
}
no_staging() {
  [ -z "$(find "$fav" -maxdepth 1 -name '.zorvane-new-*')" ] ||
    { echo "staging folders left: $(find "$fav" -maxdepth 1 -name '.zorvane-new-*')"; return 1; }
}

# ---- 1. Two imports at once -------------------------------------------------------
start=$(date +%s%N)
for ((r = 1; r <= rounds; r++)); do
  import "$work/alpha.html" >"$work/out-a" 2>&1 &
  first=$!
  import "$work/beta.html" >"$work/out-b" 2>&1 &
  second=$!
  wait "$first" || fail "round $r: the first import ended with $?: $(cat "$work/out-a")"
  wait "$second" || fail "round $r: the second import ended with $?: $(cat "$work/out-b")"
  whole_mirror alpha alpha || fail "round $r"
  whole_mirror beta beta || fail "round $r"
  no_staging || fail "round $r"
done
import "$work/alpha.html" >/dev/null || fail "an import after the rounds failed"
echo "concurrent imports: $rounds rounds of two $bookmarks-bookmark imports in" \
     "$((($(date +%s%N) - start) / 1000000)) ms"

# ---- 2. Kills, each followed by a build ---------------------------------------------
rm -rf "$fav"/*
printf '[InternetShortcut]\r\nURL=http://own.example/\r\n' >"$work/own.url"
import "$work/a/bookmarks.html" >/dev/null
cp "$work/own.url" "$fav/bookmarks/My own.url"
start=$(date +%s%N)
import "$work/b/bookmarks.html" >/dev/null
duration_us=$((($(date +%s%N) - start) / 1000))
echo "complete import of $bookmarks bookmarks: ${duration_us} us"

killed=0 finished=0 alpha_seen=0 beta_seen=0
for ((n = 1; killed < kills && n <= 3 * kills; n++)); do
  source_dir=$([ $((n % 2)) -eq 0 ] && echo b || echo a)
  # A moment anywhere in the import, which first clears what the last killed one left.
  delay_us=$(( (RANDOM * 32768 + RANDOM) % (2 * duration_us + 1) ))
  run_killed_after "$delay_us" $wine "$cli" --program-dir "$program" import-bookmarks \
    --from "$(native "$work/$source_dir/bookmarks.html")" --into "$(native "$fav")"
  case $status in
    0) finished=$((finished + 1)) ;;
    137) killed=$((killed + 1)) ;;
    *) fail "kill $n: exit status $status" ;;
  esac
  run build >/dev/null || fail "kill $n: the build failed"
  alpha=$(grep -c '^http://alpha\.example/' "$work/program/url.dat" || true)
  beta=$(grep -c '^http://beta\.example/' "$work/program/url.dat" || true)
  own=$(grep -c '^http://own\.example/' "$work/program/url.dat" || true)
  case "$alpha $beta $own" in
    "$bookmarks 0 1" | "0 $bookmarks 1") ;;
    *) fail "kill $n (after ${delay_us} us): the catalogue holds $alpha alpha, $beta beta, $own own" ;;
  esac
  [ "$alpha" -eq "$bookmarks" ] && alpha_seen=$((alpha_seen + 1))
  [ "$beta" -eq "$bookmarks" ] && beta_seen=$((beta_seen + 1))
done
import "$work/a/bookmarks.html" >/dev/null || fail "the import after the kills failed"
no_staging || fail "after the kills"
[ -f "$fav/bookmarks/My own.url" ] || fail "the user's own file was lost"
echo "kills: $killed killed, $finished finished first; catalogues of alpha $alpha_seen," \
     "of beta $beta_seen"

# ---- 3. Links -----------------------------------------------------------------------
mkdir -p "$work/outside"
printf 'marker' >"$work/outside/.zorvane-import"
printf 'keep' >"$work/outside/keep.url"
printf '<DL><DT><A HREF="http://linked.example/">Linked</A></DL>' >"$work/linked.html"
ln -s "$work/outside" "$fav/linked"
import "$work/linked.html" >/dev/null 2>&1 && fail "a mirror that is a link was replaced"
rm "$fav/linked"
import "$work/linked.html" >/dev/null || fail "the import of linked.html failed"
ln -s "$work/outside" "$fav/linked/inside"
import "$work/linked.html" >/dev/null 2>&1 && fail "a mirror that holds a link was replaced"
[ "$(cat "$work/outside/keep.url")" = keep ] && [ "$(cat "$work/outside/.zorvane-import")" = marker ] ||
  fail "a file outside the Favorites folder was touched"
[ -L "$fav/linked/inside" ] || fail "the link inside the mirror is gone"
echo "failures: $failures"
[ "$failures" -eq 0 ]
