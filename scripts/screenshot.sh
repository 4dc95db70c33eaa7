#!/usr/bin/env bash
# Shows kestrom.exe with a sample export loaded on a Wine virtual desktop
# (so the title bar is drawn), saves a picture of it and closes it again.
# Needs a working $DISPLAY. Usage: scripts/screenshot.sh EXE OUTPUT.png [DPI]
# DPI (default 96) is set in the build's Wine prefix for this picture only.
set -euo pipefail
exe=$(realpath "$1")
output=$2
dpi=${3:-96}
cd "$(dirname "$0")/.."
build_dir=$(dirname "$(dirname "$exe")")  # the exe is BUILD/app/kestrom.exe
wine_run=$build_dir/wine-run.sh
"$wine_run" >/dev/null
export WINEPREFIX=$build_dir/wineprefix WINEDEBUG=-all

# Wine reads the scaling from LogPixels when its first program starts.
set_dpi() {
  wineserver -w
  "$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$1" /f >/dev/null 2>&1
  wineserver -w
}
sample_dir=$(mktemp -d /tmp/kestrom-sample-XXXXXX)
trap 'rm -rf "$sample_dir"; [ "$dpi" = 96 ] || set_dpi 96' EXIT
[ "$dpi" = 96 ] || set_dpi "$dpi"
printf '!Type:Bank\r\nD12/25/99\r\nT-42.00\r\nPCorner Store\r\nMGroceries\r\n^\r\n' \
  >"$sample_dir/export.qif"

desktop_name=kestrom-shot
"$wine_run" explorer /desktop=$desktop_name,$((480 * dpi / 96))x$((220 * dpi / 96)) "$exe" >/dev/null 2>&1 &
launcher=$!

# Polls until a window titled $1 is visible; Wine may take seconds to start.
wait_for_window() {
  for _ in $(seq 150); do
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 && return 0
    sleep 0.2
  done
  echo "no window '$1' appeared" >&2
  return 1
}

# Polls until the picture of window $1 holds more than a few colours. The
# Open dialog is drawn inside the desktop window, out of xdotool's sight,
# and a cold Wine prefix may take many seconds to draw it.
wait_for_drawing() {
  for _ in $(seq 150); do
    colours=$(import -window "$1" png:- 2>/dev/null | identify -format %k - 2>/dev/null) || colours=0
    [ "${colours:-0}" -gt 16 ] && return 0
    sleep 0.2
  done
  echo "nothing was drawn in window '$2'" >&2
  return 1
}

desktop=$(wait_for_window "$desktop_name")
wait_for_drawing "$desktop" "$desktop_name"
sleep 1 # the file name box takes the keys once the dialog has its focus
eval "$(xdotool getwindowgeometry --shell "$desktop")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
xdotool type --delay 10 "Z:${sample_dir//\//\\}\\export.qif"
xdotool key Return
sleep 2
import -window "$desktop" "$output"
xdotool key Escape
# Escape closes the dialog; should it not, the run ends anyway.
for _ in $(seq 50); do
  kill -0 "$launcher" 2>/dev/null || break
  sleep 0.2
done
wineserver -k 2>/dev/null || true
if [ "$(identify -format %k "$output")" -le 16 ]; then
  echo "the picture $output shows no dialog" >&2
  exit 1
fi
echo "screenshot saved: $output"
