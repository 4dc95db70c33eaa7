#!/usr/bin/env bash
# Builds kestrom.exe and starts it under Wine.
# With a working $DISPLAY the program opens there, ready for use.
# Without one it runs headless on a private Xvfb: it opens a sample export,
# takes a screenshot of the dialog and says where it saved it.
# Usage: scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
source scripts/display.sh
source scripts/build.sh
preset=$(windows_preset)
build_preset "$preset" --target kestrom
exe=build/$preset/app/kestrom.exe
wine_run=build/$preset/wine-run.sh

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  "$wine_run" >/dev/null  # first use creates the prefix
  exec "$wine_run" "$exe"
fi

trap stop_display EXIT
ensure_display
scripts/screenshot.sh "$exe" build/kestrom.png
