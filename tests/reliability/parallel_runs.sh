#!/usr/bin/env bash
# Two `zorvane-cli build rank` runs at once on one program folder, again and again. The
# two runs see different Favorites trees (each its own registry store), so an update that
# one run lost to the other would show: afterwards the settings file holds the titles of
# both trees, each exactly once, every place once, and url.dat is one run's whole
# catalogue.
#
#   parallel_runs.sh ZORVANE_CLI [ROUNDS] [SHORTCUTS]
set -euo pipefail
cli=$1
rounds=${2:-20}
shortcuts=${3:-400}
source "$(dirname "$0")/common.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ZORVANE_URL_CACHE="$work/cache.txt" HOME="$work/home"
mkdir -p "$HOME" "$work/start" "$work/only-a" "$work/only-b"
for tree in a b; do
  registry_naming "$work/Favorites-$tree" >"$work/registry-$tree.reg"
  make_tree "$work/Favorites-$tree" "$shortcuts" "$tree"
done
# Every tenth favourite of each tree was visited, each a different number of times.
for ((i = 0; i < shortcuts; i += 10)); do
  printf '1\t%d\thttp://a.example/%d\n1\t%d\thttp://b.example/%d\n' \
    $((i + 2)) "$i" $((i + 3)) "$i"
done >"$ZORVANE_URL_CACHE"
printf '[ShortcutTitle]\r\nhttp://earlier.example/=Earlier\r\n[RANK]\r\nEarlier=2\r\n' \
  >"$work/start/zorvane.ini"

# Each tree's run alone gives the catalogue a run of it leaves.
for tree in a b; do
  ZORVANE_REGISTRY="$work/registry-$tree.reg" "$cli" --program-dir "$work/only-$tree" build \
    >/dev/null
done

# Keys of one section of a settings file, one per line.
section_keys() {
  LC_ALL=C awk -F= -v want="[$2]" '
    /^\[/ { s = $0; sub(/\r$/, "", s); next }
    s == want && /=/ { print $1 }' "$1"
}

failures=0
for ((n = 1; n <= rounds; n++)); do
  dir="$work/round$n"
  mkdir -p "$dir"
  cp "$work/start/zorvane.ini" "$dir/"
  ZORVANE_REGISTRY="$work/registry-a.reg" "$cli" --program-dir "$dir" build rank \
    >"$dir/out-a" 2>&1 &
  first=$!
  ZORVANE_REGISTRY="$work/registry-b.reg" "$cli" --program-dir "$dir" build rank \
    >"$dir/out-b" 2>&1 &
  second=$!
  status1=0 status2=0
  wait "$first" || status1=$?
  wait "$second" || status2=$?
  problems=()
  [ "$status1" -eq 0 ] && [ "$status2" -eq 0 ] || problems+=("exit status $status1 and $status2")
  same_as_one_of "$dir/url.dat" "$work/only-a/url.dat" "$work/only-b/url.dat" ||
    problems+=("url.dat is neither run's whole catalogue")
  settings_well_formed "$dir/zorvane.ini" >/dev/null || problems+=("settings do not parse")
  titles=$(section_keys "$dir/zorvane.ini" ShortcutTitle | wc -l)
  distinct=$(section_keys "$dir/zorvane.ini" ShortcutTitle | sort -u | wc -l)
  expected=$((2 * shortcuts + 1))
  [ "$titles" -eq "$expected" ] && [ "$distinct" -eq "$expected" ] ||
    problems+=("$titles title entries, $distinct distinct, $expected expected")
  places=$(section_keys "$dir/zorvane.ini" RANK | wc -l)
  distinct_places=$(section_keys "$dir/zorvane.ini" RANK | sort -u | wc -l)
  [ "$places" -eq "$distinct_places" ] && [ "$places" -ge 11 ] ||
    problems+=("$places places, $distinct_places distinct")
  section_keys "$dir/zorvane.ini" RANK | grep -qx Earlier || problems+=("the earlier place is lost")
  if [ "${#problems[@]}" -gt 0 ]; then
    echo "round $n: ${problems[*]}"
    failures=$((failures + 1))
  fi
  rm -rf "$dir"
done
echo "parallel runs: $rounds rounds of two processes, $failures with lost, doubled or torn data"
[ "$failures" -eq 0 ]
