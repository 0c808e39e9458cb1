#!/usr/bin/env bash
# Zorvane.exe answers --help and --version on its standard output with status 0 and
# opens no window. Run by run-under-wine.sh:  window-answers.sh ZORVANE_EXE
set -euo pipefail
exe=$1
version=$(wine "$exe" --version | tr -d '\r')
[ "$version" = "Zorvane 0.0.2" ] || { echo "--version printed: $version" >&2; exit 1; }
help=$(wine "$exe" --help | tr -d '\r')
case "$help" in
  "usage: Zorvane [--help | --version]"*) ;;
  *) echo "--help printed: $help" >&2; exit 1 ;;
esac
echo "Zorvane.exe answers --help and --version"
