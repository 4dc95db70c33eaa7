# Sourced by the scripts that need an X display for Wine.
# ensure_display: keeps $DISPLAY when there is one, else starts a private
# Xvfb that is stopped when the calling script exits.
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
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
    trap 'kill $KESTROM_XVFB_PID 2>/dev/null || true' EXIT
    return 0
  done
  echo "no free X display number" >&2
  return 1
}
