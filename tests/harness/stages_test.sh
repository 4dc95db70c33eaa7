#!/usr/bin/env bash
# scripts/stages.sh, on a small CTest project and two node test files: a
# stage that passes says so in one line, with what was skipped or retried;
# one that fails prints the failed test's own output and not the others'.
# Usage: stages_test.sh SOURCE_DIR
set -uo pipefail
source_dir=$1
scratch=$(mktemp -d /tmp/kestrom-stages-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$scratch" || exit 1

cat >CMakeLists.txt <<'EOF'
cmake_minimum_required(VERSION 3.25)
project(stages NONE)
enable_testing()
add_test(NAME passes COMMAND sh -c "echo passing output; echo 'retry: x.exe again'")
add_test(NAME skips COMMAND sh -c "exit 77")
set_tests_properties(skips PROPERTIES SKIP_RETURN_CODE 77)
add_test(NAME fails COMMAND sh -c "echo the failing test says why; exit 1")
EOF
cat >CMakePresets.json <<'EOF'
{ "version": 6,
  "configurePresets": [{ "name": "t", "generator": "Unix Makefiles", "binaryDir": "${sourceDir}/build/t" }],
  "testPresets": [{ "name": "t", "configurePreset": "t", "output": { "outputOnFailure": true } }] }
EOF
cmake --preset t >/dev/null || fail "cannot configure the scratch project"

# Each stage runs in a subshell: a failed one ends with exit 1.
stage() { (source "$source_dir/scripts/stages.sh" && "$@") >out.txt 2>&1; echo $? >status.txt; }
has() { grep -qF -- "$1" out.txt || fail "$2: no '$1' in: $(cat out.txt)"; }
lacks() { ! grep -qF -- "$1" out.txt || fail "$2: '$1' in: $(cat out.txt)"; }
status() { [ "$(cat status.txt)" = "$1" ] || fail "$2: exit $(cat status.txt), expected $1"; }

stage ctest_stage "t tests" t -E fails
status 0 "passing stage"
grep -qE '^t tests +1/2 passed \([0-9]+ s\), 1 skipped: skips, a start retried in: passes$' \
  out.txt || fail "passing stage: its line is: $(tail -1 out.txt)"
lacks "passing output" "passing stage"

stage ctest_stage "t tests" t
status 1 "failing stage"
has "the failing test says why" "failing stage"
has "1 of 3 FAILED" "failing stage"
has ": fails (log: build/t.test.log)" "failing stage"
lacks "passing output" "failing stage"

command -v node >/dev/null || { echo "stages: passed (no node here for its stages)"; exit 0; }
mkdir web
cat >web/pass.test.mjs <<'EOF'
import { test } from 'node:test';
test('measures', (t) => t.diagnostic('a figure worth seeing'));
EOF
cat >web/fail.test.mjs <<'EOF'
import assert from 'node:assert/strict';
import { test } from 'node:test';
test('passes quietly', () => {});
test('fails loudly', () => assert.equal(1, 2, 'the failing check'));
EOF
mkdir -p build
stage node_stage "pages" web pass.test.mjs
status 0 "passing node stage"
has "# a figure worth seeing" "passing node stage"
grep -qE '^pages +1/1 passed \([0-9]+ s\)$' out.txt || fail "passing node stage: $(tail -1 out.txt)"

stage node_stage "pages" web fail.test.mjs
status 1 "failing node stage"
has "not ok 2 - fails loudly" "failing node stage"
has "the failing check" "failing node stage"
has "1 of 2 FAILED" "failing node stage"
lacks "passes quietly" "failing node stage"
echo "stages: passed"
