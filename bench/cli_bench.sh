#!/usr/bin/env bash
# Whole programs side by side on one generated QIF file (64 MiB, CR LF):
#   cp IN OUT                              the floor: the same read and
#                                          write with no work in between
#   kestrom-cli --yes -o OUT IN            the program
#   sed -E -f bench/qif_swap.sed IN > OUT  the script a user would
#                                          otherwise write for the two rules
# hyperfine runs each RUNS times after three warm-up runs; the medians and
# the ratios are printed at the end. Before timing, the outputs of
# kestrom-cli and sed are compared byte for byte.
# Usage: bench/cli_bench.sh [RUNS] [SIZE_BYTES] [FOLDER]
#   FOLDER holds the input and the outputs (default: a new folder in
#   $TMPDIR or /tmp, removed afterwards); put it on the disk that matters.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-10}
size=${2:-67108864}
folder=${3:-}

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
"$make_qif" "$size" in.qif crlf

# sed must see bytes, as kestrom-cli does, not characters.
export LC_ALL=C
"$cli" --yes -o cli.qif in.qif 2>/dev/null
sed -E -f "$script" in.qif >sed.qif
cmp -s in.qif cli.qif && { echo "kestrom-cli changed nothing" >&2; exit 1; }
cmp cli.qif sed.qif || { echo "kestrom-cli and sed disagree" >&2; exit 1; }

hyperfine --warmup 3 --runs "$runs" --export-csv times.csv \
  -n cp "cp in.qif cp.qif" \
  -n kestrom-cli "$cli --yes -o cli.qif in.qif" \
  -n sed "sed -E -f $script in.qif >sed.qif"

# times.csv: command,mean,stddev,median,user,system,min,max (seconds).
awk -F, -v size="$size" '
  NR > 1 { median[$1] = $4 * 1000 }
  END {
    printf "\nmedians over %d bytes: cp %.1f ms, kestrom-cli %.1f ms, sed %.1f ms\n",
      size, median["cp"], median["kestrom-cli"], median["sed"]
    printf "kestrom-cli / cp  = %.2f (goal: 1.5 or less)\n",
      median["kestrom-cli"] / median["cp"]
    printf "sed / kestrom-cli = %.1f (goal: 10 or more)\n",
      median["sed"] / median["kestrom-cli"]
  }' times.csv
