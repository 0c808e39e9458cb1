# Shared by the reliability scripts: a Favorites tree, the registry store naming it, and
# checks on the program folder's files. Sourced, not run.

# make_tree DIR COUNT PREFIX: COUNT shortcuts under DIR in folders of 100, each pointing
# at http://PREFIX.example/N and titled PREFIX-N.
make_tree() {
  local dir=$1 count=$2 prefix=$3 i folder
  for ((i = 0; i < count; i++)); do
    folder="$dir/folder$((i / 100))"
    ((i % 100 == 0)) && mkdir -p "$folder"
    printf '[InternetShortcut]\r\nURL=http://%s.example/%d\r\n' "$prefix" "$i" \
      >"$folder/$prefix-$i.url"
  done
}

# registry_naming FAVORITES: a registry store whose Favorites value is FAVORITES.
registry_naming() {
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders]\r\n'
  printf '"Favorites"="%s"\r\n\r\n' "$1"
}

# settings_well_formed FILE: every line a section header or a key line, each ended by
# CR LF; prints the first bad line and fails otherwise.
settings_well_formed() {
  [ -s "$1" ] || return 0
  [ "$(tail -c 2 "$1" | od -An -c | tr -d ' ')" = '\r\n' ] || { echo "no final CR LF"; return 1; }
  LC_ALL=C awk '
    !/\r$/ { print "line " NR " has no CR LF: " $0; bad = 1; exit }
    { sub(/\r$/, "") }
    /^\[[^]]*\]$/ { next }
    /=/ { next }
    { print "line " NR " is neither a header nor a key line: " $0; bad = 1; exit }
    END { exit bad }' "$1"
}

# same_as_one_of FILE CANDIDATE...: FILE equals one of the candidates byte for byte.
same_as_one_of() {
  local file=$1 candidate
  shift
  for candidate in "$@"; do
    cmp -s "$file" "$candidate" && return 0
  done
  return 1
}

# run_killed_after DELAY_US COMMAND...: runs COMMAND (a program, not a function, so that the
# signal reaches the program itself) in the background, kills it with SIGKILL DELAY_US
# microseconds later and sets `status` to its exit status: 137 when the signal ended it,
# 0 when it was over first.
run_killed_after() {
  local delay_us=$1 pid
  shift
  "$@" >/dev/null 2>&1 &
  pid=$!
  sleep "$(printf '%d.%06d' $((delay_us / 1000000)) $((delay_us % 1000000)))"
  kill -KILL "$pid" 2>/dev/null || true
  status=0
  { wait "$pid"; } 2>/dev/null || status=$?
}
