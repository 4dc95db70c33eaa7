#!/usr/bin/env bash
# Attaches strace to the Wine server of $WINEPREFIX (the session's, which
# stays up), so that the calls it makes for the programs (renames, links)
# fail or are held as INJECT says (strace's inject= text, e.g.
# rename:error=EACCES:when=1+).
# PIDFILE receives the tracer's pid once it is attached, or "none" when
# there is no server or no strace to be had here; it traces until killed.
# Usage: trace-server.sh PIDFILE INJECT
set -u
pidfile=$1 inject=$2
say() { echo "$1" >"$pidfile.new" && mv "$pidfile.new" "$pidfile"; }
prefix=${WINEPREFIX:-/nonexistent}
tag=server-$(stat -c %D "$prefix" 2>/dev/null)-$(printf %x "$(stat -c %i "$prefix" 2>/dev/null || echo 0)")
server=
for pid in $(pgrep wineserver); do
  case $(readlink "/proc/$pid/cwd") in */"$tag") server=$pid ;; esac
done
[ -n "$server" ] && command -v strace >/dev/null || { say none; exit 0; }
strace -qq -o /dev/null -p "$server" -e trace="${inject%%:*}" -e inject="$inject" &
tracer=$!
for _ in $(seq 100); do
  if grep -q "^TracerPid:[[:space:]]*$tracer$" "/proc/$server/status"; then
    say "$tracer"
    wait "$tracer"
    exit 0
  fi
  kill -0 "$tracer" 2>/dev/null || break
  sleep 0.05
done
say none
