#!/usr/bin/env bash
# Two `zorvane-cli build rank` runs at once on one program folder, again and again: no
# title or place entry is lost or doubled in the settings file, and url.dat is always
# the whole catalogue.
#
#   parallel_runs.sh ZORVANE_CLI [ROUNDS] [SHORTCUTS]
set -euo pipefail
cli=$1
rounds=${2:-20}
shortcuts=${3:-400}
source "$(dirname "$0")/common.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ZORVANE_REGISTRY="$work/registry.reg" ZORVANE_URL_CACHE="$work/cache.txt"
export HOME="$work/home"
mkdir -p "$HOME" "$work/reference" "$work/start"
registry_naming "$work/Favorites" >"$ZORVANE_REGISTRY"
make_tree "$work/Favorites" "$shortcuts" site
# Every tenth favourite was visited, each a different number of times.
for ((i = 0; i < shortcuts; i += 10)); do
  printf '1\t%d\thttp://site.example/%d\n' $((i + 2)) "$i"
done >"$ZORVANE_URL_CACHE"
printf '[ShortcutTitle]\r\nhttp://earlier.example/=Earlier\r\n[RANK]\r\nEarlier=2\r\n' \
  >"$work/start/zorvane.ini"

# One run alone gives the files every pair of runs must leave.
cp "$work/start/zorvane.ini" "$work/reference/"
"$cli" --program-dir "$work/reference" build rank >/dev/null
expected_titles=$((shortcuts + 1))
expected_places=$(( (shortcuts + 9) / 10 < 10 ? (shortcuts + 9) / 10 + 1 : 11 ))

failures=0
for ((n = 1; n <= rounds; n++)); do
  dir="$work/round$n"
  mkdir -p "$dir"
  cp "$work/start/zorvane.ini" "$dir/"
  "$cli" --program-dir "$dir" build rank >"$dir/out1" 2>&1 &
  first=$!
  "$cli" --program-dir "$dir" build rank >"$dir/out2" 2>&1 &
  second=$!
  status1=0 status2=0
  wait "$first" || status1=$?
  wait "$second" || status2=$?
  problems=()
  [ "$status1" -eq 0 ] && [ "$status2" -eq 0 ] || problems+=("exit status $status1 and $status2")
  cmp -s "$dir/url.dat" "$work/reference/url.dat" || problems+=("url.dat differs")
  settings_well_formed "$dir/zorvane.ini" >/dev/null || problems+=("settings do not parse")
  # Keys of each section, counted: every one once, none missing.
  titles=$(LC_ALL=C awk '/^\[/ { s = $0; next } s == "[ShortcutTitle]\r" && /=/' "$dir/zorvane.ini" | wc -l)
  distinct=$(LC_ALL=C awk -F= '/^\[/ { s = $0; next } s == "[ShortcutTitle]\r" && /=/ { print $1 }' \
    "$dir/zorvane.ini" | sort -u | wc -l)
  places=$(LC_ALL=C awk '/^\[/ { s = $0; next } s == "[RANK]\r" && /=/' "$dir/zorvane.ini" | wc -l)
  [ "$titles" -eq "$expected_titles" ] && [ "$distinct" -eq "$expected_titles" ] ||
    problems+=("$titles title entries, $distinct distinct, $expected_titles expected")
  [ "$places" -eq "$expected_places" ] || problems+=("$places places, $expected_places expected")
  cmp -s "$dir/zorvane.ini" "$work/reference/zorvane.ini" || problems+=("settings differ")
  if [ "${#problems[@]}" -gt 0 ]; then
    echo "round $n: ${problems[*]}"
    failures=$((failures + 1))
  fi
  rm -rf "$dir"
done
echo "parallel runs: $rounds rounds of two processes, $failures with lost, doubled or torn data"
[ "$failures" -eq 0 ]
