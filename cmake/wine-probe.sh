#!/bin/sh
# Decides whether Windows programs of one build run under the Wine its
# tests use: runs PROBE_EXE (cmake/wine_probe.c, built for that target)
# through WINE_RUN and reads what it printed. Wine's exit status proves
# nothing: a 32-bit program with no 32-bit Wine installed exits 0.
# Prints "runs", or "no: " and why, in one line. Always exits 0.
# Usage: wine-probe.sh WINE_RUN PROBE_EXE
wine_run=$1 probe=$2
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
timeout 300 "$wine_run" "$probe" >"$out" 2>"$err" </dev/null
status=$?
if grep -q '^kestrom wine probe: ran' "$out"; then
  echo runs
  exit 0
fi
# Wine's own words, when it gave any, say more than a guess of ours.
said=$(grep -v '^[[:space:]]*$' "$err" | head -1 | cut -c1-160)
if [ $status = 124 ]; then
  echo "no: Wine did not finish within 300 s"
elif [ -n "$said" ]; then
  echo "no: it printed nothing under Wine (exit status $status), and Wine said: $said"
else
  echo "no: it printed nothing under Wine (exit status $status)"
fi
