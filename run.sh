#!/usr/bin/env bash
# Installs what Zorvane needs, builds it and starts it. With no Favorites of your own
# (no registry store naming a Favorites folder) it runs on the bundled sample profile.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs" --target zorvane-cli
exec build/cli/zorvane-cli --program-dir "${ZORVANE_HOME:-$HOME/.local/share/zorvane}" build rank
