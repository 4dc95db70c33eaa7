#!/usr/bin/env bash
# Whole programs side by side on generated QIF files (CR LF), one size at
# a time:
#   cp IN OUT                              the same read and write with no
#                                          work in between
#   dd if=IN of=OUT conv=fsync             the same, flushed to the disk as
#                                          kestrom-cli flushes its file: the
#                                          fair floor
#   kestrom-cli --yes -o OUT IN            the program
#   kestrom-cli (base)                     another build of it, when
#                                          KESTROM_CLI_BASE names one: a
#                                          before and after in one sitting
#   sed -E -f bench/qif_swap.sed IN > OUT  the script a user would
#                                          otherwise write for the two rules
# hyperfine runs each RUNS times after three warm-up runs; the medians and
# the ratios are printed at the end. Then dd, kestrom-cli and the base run
# again in RUNS rounds, each round all three in turn, so that a slow spell
# of the disk or of another program falls on all of them alike: on a
# shared machine one hyperfine batch of 30 runs gave kestrom-cli / dd
# anywhere from 0.88 to 1.50 at 1 MiB, the rounds 1.03 to 1.09. Before timing, the outputs of
# kestrom-cli and the base are compared byte for byte, and sed's on the
# lines it converts (not the dates of one digit).
# Usage: bench/cli_bench.sh [RUNS] [SIZES] [FOLDER]
#   SIZES: byte counts separated by commas (default 1, 4 and 64 MiB).
#   FOLDER holds the inputs and the outputs (default: a new folder in
#   $TMPDIR or /tmp, removed afterwards); put it on the disk that matters.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-10}
sizes=${2:-1048576,4194304,67108864}
folder=${3:-}
base=${KESTROM_CLI_BASE:-}

cmake --preset native -DKESTROM_BENCHMARKS=ON >/dev/null
cmake --build --preset native -j "$(nproc)" \
  --target kestrom-cli kestrom_make_qif >/dev/null
cli=$PWD/build/native/cli/kestrom-cli
make_qif=$PWD/build/native/bench/kestrom_make_qif
script=$PWD/bench/qif_swap.sed

if [ -z "$folder" ]; then
  folder=$(mktemp -d "${TMPDIR:-/tmp}/kestrom-cli-bench-XXXXXX")
  trap 'rm -rf "$folder"' EXIT
fi
cd "$folder"
# sed must see bytes, as kestrom-cli does, not characters.
export LC_ALL=C

# Prints the wall time of "$@" in microseconds; the script's own fork and
# exec are in it, as they are in every command timed this way.
time_once() {
  local start=$EPOCHREALTIME
  "$@" 2>/dev/null
  local end=$EPOCHREALTIME
  echo $((${end/./} - ${start/./}))
}

# Runs each NAME=COMMAND in turn, RUNS rounds after three, and prints each
# NAME's median in ms and its ratio to the first's, less what /bin/true
# takes the same way.
rounds() {
  local -A times
  local round entry
  for ((round = 0; round < runs + 3; round++)); do
    for entry in "true=/bin/true" "$@"; do
      local took
      took=$(time_once ${entry#*=})
      ((round >= 3)) && times[${entry%%=*}]+="$took "
    done
  done
  local name first="" line="  in rounds:"
  for entry in "true=" "$@"; do
    name=${entry%%=*}
    times[$name]=$(tr ' ' '\n' <<<"${times[$name]}" | sort -n |
      awk 'NF { v[n++] = $1 } END { print v[int(n / 2)] }')
  done
  for entry in "$@"; do
    name=${entry%%=*}
    local ms=$(((times[$name] - times[true])))
    [ -z "$first" ] && first=$ms
    line+=$(awk -v n="$name" -v t="$ms" -v f="$first" \
      'BEGIN { printf " %s %.2f ms (%.2f)", n, t / 1000, t / f }')
  done
  echo "$line"
}

bench_size() {
  local size=$1
  "$make_qif" "$size" in.qif crlf
  "$cli" --yes -o cli.qif in.qif 2>/dev/null
  sed -E -f "$script" in.qif >sed.qif
  cmp -s in.qif cli.qif && { echo "kestrom-cli changed nothing" >&2; exit 1; }
  # The generated dates include one-digit fields (D1/23/11), which sed's
  # two-digit rule leaves alone: it is timed, but checked on the lines it
  # converts alike only.
  cmp -s <(grep -v '^D' cli.qif) <(grep -v '^D' sed.qif) ||
    { echo "kestrom-cli and sed disagree" >&2; exit 1; }
  local extra=()
  if [ -n "$base" ]; then
    "$base" --yes -o base.qif in.qif 2>/dev/null
    cmp cli.qif base.qif || { echo "kestrom-cli and base disagree" >&2; exit 1; }
    extra=(-n base "$base --yes -o base.qif in.qif")
  fi
  hyperfine --warmup 3 --runs "$runs" --export-csv times.csv --style basic \
    -n cp "cp in.qif cp.qif" \
    -n dd "dd if=in.qif of=dd.qif bs=1M conv=fsync status=none" \
    -n kestrom-cli "$cli --yes -o cli.qif in.qif" \
    "${extra[@]}" \
    -n sed "sed -E -f $script in.qif >sed.qif" >/dev/null
  # times.csv: command,mean,stddev,median,user,system,min,max (seconds).
  awk -F, -v size="$size" '
    NR > 1 { median[$1] = $4 * 1000 }
    END {
      printf "%d MiB: cp %.1f ms, dd conv=fsync %.1f ms, kestrom-cli %.1f ms",
        size / 1048576, median["cp"], median["dd"], median["kestrom-cli"]
      if ("base" in median)
        printf ", base %.1f ms", median["base"]
      printf ", sed %.1f ms\n", median["sed"]
      printf "  kestrom-cli / dd = %.2f", median["kestrom-cli"] / median["dd"]
      if ("base" in median)
        printf ", base / dd = %.2f", median["base"] / median["dd"]
      printf ", kestrom-cli / cp = %.2f, sed / kestrom-cli = %.1f\n",
        median["kestrom-cli"] / median["cp"], median["sed"] / median["kestrom-cli"]
    }' times.csv
  local pair=()
  [ -n "$base" ] && pair=("base=$base --yes -o base.qif in.qif")
  rounds "dd=dd if=in.qif of=dd.qif bs=1M conv=fsync status=none" \
    "kestrom-cli=$cli --yes -o cli.qif in.qif" "${pair[@]}"
}

for size in ${sizes//,/ }; do
  bench_size "$size"
done
