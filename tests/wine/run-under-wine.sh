#!/usr/bin/env bash
# Runs one Windows test under Wine in a Wine prefix of its own, then removes the prefix.
#
#   run-under-wine.sh PROGRAM.exe [ARGS...]   runs the program with wine
#   run-under-wine.sh SCRIPT.sh [ARGS...]     runs the script with bash; it calls wine
#                                             itself, as often as it needs, in the prefix
#
# The prefix is new for every run, so no test sees what another left in the registry,
# the profile files or the URL cache. The ANSI code page is 932: Wine takes it from the
# locale, so ja_JP.UTF-8 must exist on the machine. The exit status is the test's.
# Without wine the test is skipped (exit 0); anything else missing is an error. When no
# display is set, the test gets an Xvfb server of its own (xvfb-run).
set -uo pipefail

if [ "$#" -lt 1 ]; then
  echo "usage: $0 PROGRAM.exe|SCRIPT.sh [ARGS...]" >&2
  exit 2
fi
if ! command -v wine >/dev/null 2>&1; then
  echo "skipped: wine not installed"
  exit 0
fi
if ! locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$'; then
  echo "error: the ja_JP.UTF-8 locale is missing; Wine would use code page 1252." >&2
  echo "       create it with: localedef -i ja_JP -f UTF-8 ja_JP.UTF-8" >&2
  exit 1
fi

# Windows need a display: without one, the whole run (the prefix's first start included,
# since Wine's desktop process keeps the display it started with) gets an X server of its
# own.
if [ -z "${DISPLAY:-}" ] && [ -z "${ZORVANE_WINE_XVFB:-}" ] && command -v xvfb-run >/dev/null 2>&1
then
  export ZORVANE_WINE_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

prefix=$(mktemp -d "${TMPDIR:-/tmp}/zorvane-wine.XXXXXX") || exit 1
export WINEPREFIX="$prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer: the tests need neither, and there is no network.
export WINEDLLOVERRIDES="mscoree=;mshtml="
export LC_ALL=ja_JP.UTF-8
export LANG=ja_JP.UTF-8

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$prefix"
}
trap cleanup EXIT

if ! wineboot -i >"$prefix.boot.log" 2>&1; then
  echo "error: wineboot failed:" >&2
  cat "$prefix.boot.log" >&2
  rm -f "$prefix.boot.log"
  exit 1
fi
rm -f "$prefix.boot.log"

program=$1
shift
case "$program" in
  *.sh) bash "$program" "$@" ;;
  *) wine "$program" "$@" ;;
esac
status=$?
exit "$status"
