#!/usr/bin/env bash
# Builds the native benchmarks and runs them with repetitions, then prints
# min/median/max throughput of each and its ratio to the floor of the same
# size and line end (median against median, and the worst case: its slowest
# repetition against the floor's fastest).
# Usage: bench/run.sh [REPETITIONS] [benchmark options...]
#   e.g. bench/run.sh 5 --benchmark_filter='64MiB'
set -euo pipefail
cd "$(dirname "$0")/.."

reps=${1:-5}
shift || true
build=build/native
out=$build/bench/results.csv

cmake --preset native -DKESTROM_BENCHMARKS=ON >/dev/null
cmake --build --preset native -j "$(nproc)" --target kestrom_bench >/dev/null
echo "running kestrom_bench, $reps repetitions (console log: $build/bench/console.txt)"
"$build"/bench/kestrom_bench --benchmark_repetitions="$reps" \
  --benchmark_out="$out" --benchmark_out_format=csv "$@" \
  >"$build"/bench/console.txt 2>&1

# Rows of single repetitions have the plain name; aggregates carry a suffix
# (_mean, _median, ...) and are left out so min and max come from the runs.
awk -F, '
  function gib(x) { return sprintf("%.3f", x / 1073741824) }
  $1 !~ /^"BM_/ { next }
  {
    name = $1; gsub(/"/, "", name)
    if (name ~ /_(mean|median|stddev|cv)$/) next
    if ($9 == "true") { print "FAILED: " name ": " $10; failed = 1; next }
    if (!(name in count)) order[++names] = name
    value[name, ++count[name]] = $6 + 0
  }
  function sort_runs(name,   i, j, t, n) {
    n = count[name]
    for (i = 1; i <= n; i++) sorted[i] = value[name, i]
    for (i = 2; i <= n; i++)
      for (j = i; j > 1 && sorted[j - 1] > sorted[j]; j--) {
        t = sorted[j]; sorted[j] = sorted[j - 1]; sorted[j - 1] = t
      }
    lo[name] = sorted[1]; hi[name] = sorted[n]
    mid[name] = n % 2 ? sorted[(n + 1) / 2] : (sorted[n / 2] + sorted[n / 2 + 1]) / 2
  }
  END {
    for (k = 1; k <= names; k++) sort_runs(order[k])
    printf "%-38s %9s %9s %9s %12s %11s\n", "benchmark (GiB/s)", "min", "median", "max", "/floor med", "/floor worst"
    for (k = 1; k <= names; k++) {
      name = order[k]
      floor = name; sub(/^BM_[A-Za-z_]+_(4KiB|1MiB|64MiB)/, "", floor)
      size = name; sub(/_(LF|CRLF)$/, "", size); sub(/^.*_/, "", size)
      floor = "BM_Floor_" size floor
      ratio = worst = ""
      if (name != floor && (floor in mid)) {
        ratio = sprintf("%.2f", mid[name] / mid[floor])
        worst = sprintf("%.2f", lo[name] / hi[floor])
      }
      printf "%-38s %9s %9s %9s %12s %11s\n", name, gib(lo[name]), gib(mid[name]), gib(hi[name]), ratio, worst
    }
    exit failed
  }' "$out"
