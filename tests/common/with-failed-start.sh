#!/usr/bin/env bash
# Runs COMMAND (the end-to-end driver through wine-run.sh) with the first
# program the driver starts lost, the way Wine loses one on a busy machine:
# the new process is gone before it has started, and CreateProcess fails
# with error 1359. strace makes the driver's first fork make no child and
# return a process id that no process has, so Wine sees the new process's
# connection close before it started. Only that one fork is touched: the
# driver's later ones and every other process run as usual.
# Usage: with-failed-start.sh COMMAND...
set -eu
command -v strace >/dev/null || { echo "cannot fail a start here: no strace"; exit 1; }
shims=$(mktemp -d /tmp/kestrom-start-XXXXXX)
trap 'rm -rf "$shims"' EXIT

# wine-run.sh runs the loader it finds on PATH: these stand in front of it
# and run that same loader under strace, which traces the driver's main
# thread alone (no -f). Processes the driver starts run the loader itself.
for name in wine wine64; do
  loader=$(command -v "$name" || echo "/usr/lib/wine/$name")
  cat >"$shims/$name" <<EOF
#!/bin/sh
[ "\${WINELOADER:-}" != "\$0" ] || export WINELOADER="$loader"
exec strace -qq -o /dev/null -e trace=clone \\
  -e inject=clone:retval=999999999:when=1 "$loader" "\$@"
EOF
  chmod 755 "$shims/$name"
done
PATH=$shims:$PATH "$@"
