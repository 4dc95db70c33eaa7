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
build_preset win32 --target kestrom
preset=$(windows_preset)
if [ "$preset" = win64 ]; then
  windows_preset_reason "kestrom.exe runs"
  build_preset win64 --target kestrom
  require_wine_runs win64
fi
exe=build/$preset/app/kestrom.exe
wine_run=build/$preset/wine-run.sh

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  "$wine_run" >/dev/null  # first use creates the prefix
  exec "$wine_run" "$exe"
fi

trap stop_display EXIT
ensure_display
scripts/screenshot.sh "$exe" build/kestrom.png
