#!/bin/sh
# Regenerate the real Chromium and Firefox ESR history/bookmark files in this
# folder (see README.md).  Needs the Debian packages chromium, firefox-esr and
# sqlite3 (apt-get install -y chromium firefox-esr sqlite3) and python3.
# Only 127.0.0.1 is used.  Options are passed to make_browser_data.py:
#   --check          only check the kept files and README.md
#   --readme-only    rewrite README.md from the kept files
#   --only chromium|firefox, --keep-work
set -eu
here=$(cd "$(dirname "$0")" && pwd)
for tool in python3 sqlite3; do
    command -v "$tool" >/dev/null 2>&1 || { echo "missing: $tool" >&2; exit 2; }
done
case " $* " in
    *" --check "*|*" --readme-only "*) ;;
    *)
        [ -x "${CHROMIUM_BIN:-/usr/lib/chromium/chromium}" ] || { echo "missing: chromium (apt-get install chromium)" >&2; exit 2; }
        command -v "${FIREFOX_BIN:-firefox-esr}" >/dev/null 2>&1 || { echo "missing: firefox-esr" >&2; exit 2; }
        ;;
esac
exec python3 "$here/make_browser_data.py" "$@"
