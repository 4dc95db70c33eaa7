# Sourced by the scripts that need an X display for Wine.
# ensure_display: keeps $DISPLAY when there is one, else starts a private
# Xvfb; stop_display stops it again.
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  start_private_display
}

# start_private_display: a fresh Xvfb of our own, whatever $DISPLAY says, so
# no other window can sit over the dialog a test is driving.
start_private_display() {
  local n
  for n in $(seq 91 120); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    KESTROM_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
    return 0
  done
  echo "no free X display number" >&2
  return 1
}

stop_display() {
  if [ -n "${KESTROM_XVFB_PID:-}" ]; then
    kill "$KESTROM_XVFB_PID" 2>/dev/null || true
  fi
}

# start_wine_session: one persistent wineserver for the build's test prefix,
# with Wine's own background services already running. Started here, with
# their output sent nowhere, they never hold a test's output pipe open.
start_wine_session() {
  export WINEPREFIX="$1" WINEDEBUG=-all
  "$2" >/dev/null 2>&1 </dev/null  # creates the prefix on first use
  wineserver -w  # a server left by that start cannot be made persistent
  wineserver -p >/dev/null 2>&1 </dev/null
  "$2" cmd /c exit >/dev/null 2>&1 </dev/null
}

stop_wine_session() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
}
