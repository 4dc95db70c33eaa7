# Sourced by scripts/test.sh. Each stage sends its output to a log under
# build/ and ends with one line of its result; print_summary repeats those
# lines at the end, so a run reads as a list of what passed. Only a failure
# prints more: the failed tests' own output, in full.

stage_lines=()
stage_name=""
stage_log=""
stage_started=0

# begin_stage NAME [LOG]: LOG is where to look should the stage fail.
begin_stage() {
  stage_name=$1
  stage_log=${2:-}
  stage_started=$SECONDS
  echo
  echo "=== $1 ==="
}

# end_stage RESULT [DETAIL]: the stage's one line, kept for the summary.
end_stage() {
  local line
  line=$(printf '%-24s %s (%d s)%s' "$stage_name" "$1" $((SECONDS - stage_started)) "${2:-}")
  echo "$line"
  stage_lines+=("$line")
  stage_name=""
}

build_stage() {
  begin_stage "$1 build" "build/$1.build.log"
  build_preset "$1"
  end_stage "built"
}

# ctest_stage NAME PRESET [ARG...]: the preset's tests, with their output
# in build/PRESET.test.log. A stage with no test fails: it would prove
# nothing.
ctest_stage() {
  local name=$1 preset=$2 log=build/$2.test.log status=0
  shift 2
  begin_stage "$name"
  ctest --preset "$preset" --no-tests=error "$@" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    show_failed_tests "$log"
    ctest_failures "$log"
    exit 1
  fi
  ctest_result "$log" "build/$preset/Testing/Temporary/LastTest.log"
}

# The summary ctest ends with says how many tests there were and how many
# failed; those that were skipped or disabled it lists as "did not run".
ctest_total() { sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$1"; }
ctest_not_run() {
  sed -n '/^The following tests did not run:/,/^$/s/^[[:space:]]*[0-9]* - \(.*\) (.*)$/\1/p' "$1"
}

# ctest_result LOG LAST_TEST_LOG: passed, skipped, and the tests that had to
# start a program again (tests/e2e says "retry:" when Wine lost a start).
ctest_result() {
  local total not_run skipped retried detail=""
  total=$(ctest_total "$1")
  not_run=$(ctest_not_run "$1")
  skipped=$(printf '%s' "$not_run" | grep -c . || true)
  [ "$skipped" -eq 0 ] ||
    detail=", $skipped skipped: $(printf '%s' "$not_run" | one_line)"
  retried=$(ctest_retried "$2")
  [ -z "$retried" ] || detail="$detail, a start retried in: $(printf '%s' "$retried" | one_line)"
  end_stage "$((total - skipped))/$total passed" "$detail"
}

# e2e.failed_start loses a start on purpose: its retry is no news.
ctest_retried() {
  awk '/^[0-9]+\/[0-9]+ Test: / { test = $3 }
       /^retry: / && test != "e2e.failed_start" { print test }' "$1" 2>/dev/null | sort -u
}

# Lines as one comma-separated line.
one_line() { paste -sd, | sed 's/,/, /g'; }

ctest_failures() {
  local total failed
  total=$(ctest_total "$1")
  failed=$(sed -n '/^The following tests FAILED:/,/^[^[:space:]]/s/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' "$1")
  if [ -z "$total" ]; then
    end_stage "FAILED" " (log: $1)"
  else
    end_stage "$(printf '%s' "$failed" | grep -c .) of $total FAILED" \
      ": $(printf '%s' "$failed" | one_line) (log: $1)"
  fi
}

# The log without the lines of the tests that passed: what is left is each
# failed test's own output and ctest's summary.
show_failed_tests() {
  grep -vE '^ *Start +[0-9]+: |^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed +[0-9.]+ sec$' "$1" || true
}

# node_stage NAME FOLDER TEST_FILE: node's tests in FOLDER, their TAP in
# build/TEST_FILE.tap. The lines a test adds itself (t.diagnostic) are shown.
node_stage() {
  local log=$PWD/build/$3.tap status=0
  begin_stage "$1"
  (cd "$2" && node --test "$3") >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    show_failed_tap "$log"
    end_stage "$(tap_count fail "$log") of $(tap_count tests "$log") FAILED" " (log: $log)"
    exit 1
  fi
  grep '^# ' "$log" | grep -vE '^# (Subtest: |(tests|suites|pass|fail|cancelled|skipped|todo|duration_ms) )' || true
  end_stage "$(tap_count pass "$log")/$(tap_count tests "$log") passed"
}

tap_count() { sed -n "s/^# $1 //p" "$2"; }

# The TAP of the tests that failed, each from its "# Subtest:" to the end
# of its report, and every line outside a test (the counts at the end).
show_failed_tap() {
  awk '
    /^# Subtest: / && !open { open = 1; failed = 0; block = "" }
    open {
      block = block $0 "\n"
      if ($0 ~ /^not ok /) failed = 1
      if ($0 == "  ...") { if (failed) printf "%s", block; open = 0 }
      next
    }
    { print }' "$1"
}

# print_summary STATUS: every stage's line again, the one that failed last.
print_summary() {
  local status=$1 line
  [ -z "$stage_name" ] ||
    stage_lines+=("$(printf '%-24s FAILED (%d s)%s' "$stage_name" $((SECONDS - stage_started)) \
      "${stage_log:+ (log: $stage_log)}")")
  echo
  echo "=== summary ==="
  for line in "${stage_lines[@]}"; do echo "$line"; done
  if [ "$status" -eq 0 ]; then
    echo "every stage passed ($SECONDS s)"
  else
    echo "the run FAILED ($SECONDS s)"
  fi
}
