#!/usr/bin/env bash
# What a crash leaves of kestrom.exe's write in place (the folder refuses
# new files, so no temporary file can be made beside the export): a large
# export is saved and the program killed with SIGKILL during the write,
# KILLS times, at a random moment of the write over the file (as long as a
# whole save's took). Each outcome is counted: the file as it was,
# wholly converted, or part converted (how many MiB of it), and whether a
# copy of the original is in the user's temporary folder. Run as root on a
# private display and Wine session of the build (scripts/display.sh); the
# program runs as the user nobody, in a prefix of its own, as Wine as root
# writes into any folder.
# Usage: bench/in_place_kills.sh KESTROM_EXE WINE_RUN [KILLS] [MIB]
set -euo pipefail
exe=$(realpath "$1") wine_run=$(realpath "$2") kills=${3:-8} mib=${4:-400}
stage=$(mktemp -d /tmp/kestrom-kills.XXXXXX)
nobody=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups
  env HOME="$stage" WINEPREFIX="$stage/prefix" KESTROM_WINEPREFIX="$stage/prefix")
as_nobody() { "${nobody[@]}" "$@"; }
trap 'as_nobody wineserver -k 2>/dev/null; rm -rf "$stage"' EXIT
mkdir -p "$stage/prefix" "$stage/locked"
cp "$exe" "$wine_run" "$stage/"
records=$((mib * 1048576 / 47))
python3 - "$stage" "$records" <<'EOF'
import sys
stage, records = sys.argv[1], int(sys.argv[2])
open(f"{stage}/original.qif", "wb").write(b"D12/25/99\r\nT-1.00\r\nPCorner Store\r\nMGroceries\r\n^\r\n" * records)
open(f"{stage}/converted.qif", "wb").write(b"D25/12/99\r\nT-1.00\r\nMCorner Store\r\nPGroceries\r\n^\r\n" * records)
EOF
chown -R nobody: "$stage"
as_nobody wineserver -p >/dev/null 2>&1 </dev/null
as_nobody "$stage/$(basename "$wine_run")" >/dev/null 2>&1 </dev/null
temp=$stage/prefix/drive_c/users/nobody/Temp
target=$stage/locked/export.qif
target_windows="Z:${target//\//\\}"

# Starts a save and returns once Enter has pressed Save; $program is the
# Wine process.
start_save() {
  chmod u+w "$stage/locked" && cp "$stage/original.qif" "$target" &&
    chown nobody: "$target" && chmod a-w "$stage/locked"
  rm -f "$temp"/kst*.tmp
  # exec: $! is then the program itself, not a shell that waits for it.
  exec "${nobody[@]}" "$stage/$(basename "$wine_run")" "$stage/$(basename "$exe")" \
    "$target_windows" >/dev/null 2>&1 &
  program=$!
  dialog=$(xdotool search --sync --onlyvisible --name 'Validate ZARN QIF Export File Dates' | head -1)
  # Its caption clicked first, as a window must be active to take a key.
  sleep 0.5 && xdotool mousemove --window "$dialog" 100 10 click 1 && sleep 0.3
  xdotool key Return
  started=$(date +%s%N)
}

# The file's MiB blocks that hold the converted bytes, of all.
converted_blocks() {
  python3 - "$target" "$stage/converted.qif" <<'EOF'
import sys
a, b = open(sys.argv[1], "rb"), open(sys.argv[2], "rb")
done = total = 0
while True:
    x, y = a.read(1 << 20), b.read(1 << 20)
    if not y:
        break
    total += 1
    done += x == y
print(done, total)
EOF
}

# Returns once the file's first bytes have changed, or the program is
# gone; the same for its last bytes.
wait_for_write() {
  while cmp -s -n 64 "$target" "$stage/original.qif" && kill -0 $program 2>/dev/null; do :; done
}
wait_for_end() {
  while ! cmp -s <(tail -c 64 "$target") <(tail -c 64 "$stage/converted.qif") &&
    kill -0 $program 2>/dev/null; do :; done
}

start_save
wait_for_write
writing=$(date +%s%N)
wait_for_end
window=$((($(date +%s%N) - writing) / 1000000 + 1))
wait $program
cmp -s "$target" "$stage/converted.qif" || { echo "a whole save did not convert the file" >&2; exit 1; }
echo "a whole save of $mib MiB in place: the write over the file began $((($writing - started) / 1000000)) ms after Save and took $window ms"
declare -A outcomes
for run in $(seq "$kills"); do
  start_save
  wait_for_write
  delay=$((RANDOM % window))
  sleep "$((delay / 1000)).$(printf %03d $((delay % 1000)))"
  kill -KILL $program 2>/dev/null || true
  wait $program 2>/dev/null || true
  sleep 1
  copy=no
  for kept in "$temp"/kst*.tmp; do cmp -s "$kept" "$stage/original.qif" && copy=yes; done
  blocks=
  if cmp -s "$target" "$stage/original.qif"; then state="as it was"
  elif cmp -s "$target" "$stage/converted.qif"; then state="converted"
  else state="part converted" blocks=" ($(converted_blocks | awk '{print $1 " of " $2}') MiB)"
  fi
  echo "kill $run, $delay ms into the write: $state$blocks; the original in the temporary folder: $copy"
  key="$state, the original kept: $copy"
  outcomes[$key]=$((${outcomes[$key]:-0} + 1))
done
for key in "${!outcomes[@]}"; do echo "${outcomes[$key]} x $key"; done
