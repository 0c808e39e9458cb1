#!/usr/bin/env bash
# Kills `zorvane-cli build` (SIGKILL) at random moments of a large catalogue build and
# checks after each kill that url.dat and the settings file are each the file from
# before the build or the whole file a complete build writes, and that the settings
# file still parses. Runs until KILLS builds were killed (at most three times as many
# runs), so it is bounded by count, not by time. At the end one complete build must
# remove the temporary files the killed writers left.
#
#   kill_during_build.sh ZORVANE_CLI [KILLS] [SHORTCUTS]
set -euo pipefail
cli=$1
kills=${2:-60}
shortcuts=${3:-3000}
source "$(dirname "$0")/common.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ZORVANE_REGISTRY="$work/registry.reg" ZORVANE_URL_CACHE="$work/empty-cache.txt"
export HOME="$work/home"
mkdir -p "$HOME" "$work/old" "$work/new" "$work/program"
: >"$ZORVANE_URL_CACHE"
registry_naming "$work/Favorites" >"$ZORVANE_REGISTRY"

# The files from before: a build of another tree. The new files: a complete build of
# the tree the killed builds work on, over the files from before.
make_tree "$work/Favorites" "$shortcuts" old
"$cli" --program-dir "$work/old" build >/dev/null
rm -rf "$work/Favorites"
make_tree "$work/Favorites" "$shortcuts" new
cp "$work/old/url.dat" "$work/old/zorvane.ini" "$work/new/"
start=$(date +%s%N)
"$cli" --program-dir "$work/new" build >/dev/null
duration_us=$((($(date +%s%N) - start) / 1000))
cmp -s "$work/old/url.dat" "$work/new/url.dat" && { echo "old and new catalogue are equal"; exit 1; }
echo "complete build of $shortcuts shortcuts: ${duration_us} us"

killed=0 finished=0 failures=0 old_seen=0 new_seen=0 runs=0 mid_write=0 between=0
for ((n = 1; killed < kills && n <= 3 * kills; n++)); do
  runs=$n
  # Back to the files from before; temporary files of killed writers stay.
  cp "$work/old/url.dat" "$work/old/zorvane.ini" "$work/program/"
  # A moment anywhere in the build.
  delay_us=$(( (RANDOM * 32768 + RANDOM) % (duration_us + 1) ))
  run_killed_after "$delay_us" "$cli" --program-dir "$work/program" build
  # 128 + 9: ended by SIGKILL; 0: the build was over before the signal came.
  case $status in
    0) finished=$((finished + 1)) ;;
    137) killed=$((killed + 1)) ;;
    *) echo "run $n: exit status $status"; failures=$((failures + 1)) ;;
  esac

  for file in url.dat zorvane.ini; do
    if ! same_as_one_of "$work/program/$file" "$work/old/$file" "$work/new/$file"; then
      echo "run $n (killed after ${delay_us} us): $file is neither the old nor the new file"
      failures=$((failures + 1))
    fi
  done
  if ! settings_well_formed "$work/program/zorvane.ini"; then
    echo "run $n: the settings file does not parse"
    failures=$((failures + 1))
  fi
  cmp -s "$work/program/url.dat" "$work/old/url.dat" && old_seen=$((old_seen + 1))
  cmp -s "$work/program/url.dat" "$work/new/url.dat" && new_seen=$((new_seen + 1))
  # Kills that hit a file replacement (its temporary file is still there), and kills
  # after the settings were written but before url.dat was.
  [ "$status" -ne 0 ] && [ -n "$(find "$work/program" -name '.zorvane-tmp-*' -newer "$work/program/url.dat")" ] &&
    mid_write=$((mid_write + 1))
  cmp -s "$work/program/zorvane.ini" "$work/new/zorvane.ini" &&
    cmp -s "$work/program/url.dat" "$work/old/url.dat" && between=$((between + 1))
done

left=$(find "$work/program" -name '.zorvane-tmp-*' | wc -l)
"$cli" --program-dir "$work/program" build >/dev/null
after=$(find "$work/program" -name '.zorvane-tmp-*' | wc -l)
echo "kills: $killed of $runs runs killed, $finished finished first;" \
  "url.dat old after $old_seen, new after $new_seen; killed while replacing a file: $mid_write," \
  "between the settings and url.dat: $between;" \
  "temporary files left by killed writers: $left, after one more build: $after"
if [ "$killed" -lt "$kills" ]; then
  echo "only $killed builds were killed"
  failures=$((failures + 1))
fi
if [ "$after" -ne 0 ]; then
  echo "a complete build left the killed writers' temporary files in place"
  failures=$((failures + 1))
fi
if [ "$failures" -ne 0 ]; then
  echo "$failures damaged files"
  exit 1
fi
