#!/usr/bin/env bash
# Runs kestrom-cli.exe under Wine on copies of the shared fixtures, in a
# folder of its own, and checks the exit status, the bytes written and
# that no temporary file is left behind.
# Usage: wine_cli_test.sh WINE_RUN EXE FIXTURES CASE
set -uo pipefail
wine_run=$(realpath "$1") exe=$(realpath "$2") fixtures=$(realpath "$3")
case=$4 common=$(realpath "$(dirname "$0")/../common")

# Wine reads Unix names in the locale's charset: fixed, not the host's.
export LC_ALL=C.UTF-8

work=$(mktemp -d /tmp/kestrom-cli-wine-XXXXXX)
trap 'rm -rf "$work" "$work.pristine"' EXIT
cd "$work" || exit 1

fail() { echo "FAIL ($case): $*" >&2; exit 1; }

# Runs the program with relative paths; its exit status lands in $status.
cli() {
  "$wine_run" "$exe" "$@" >stdout.txt 2>stderr.txt
  status=$?
  tr -d '\r' <stdout.txt >out.txt
  tr -d '\r' <stderr.txt >err.txt
  rm -f stdout.txt stderr.txt
}

copy() { cp "$fixtures/$1" "$2"; }
# 2^15 copies, 13 MB: converted as two halves on two threads. A run to be
# stopped mid-way takes 2^17, 52 MB, which takes long enough to be caught.
# The third argument is the fixture to copy, the bank's export by default.
large() {
  copy "${3:-bank_mdy_crlf.qif}" "$1" && for _ in $(seq ${2:-15}); do cat "$1" "$1" >twice && mv twice "$1"; done
}
# True while process $1 has read fewer bytes in all than file $2 holds: it
# is still reading it, so it has not yet looked at the file a last time.
still_reading() {
  local read
  read=$(awk '$1 == "rchar:" {print $2}' "/proc/$1/io" 2>/dev/null) || return 1
  [ -n "$read" ] && [ "$read" -lt "$(stat -c %s "$2")" ]
}
# True once run $pid holds large.qif open and has made its temporary file
# (a run for standard output, "-o -" in $@, makes none).
under_way() {
  holds $pid large.qif &&
    { [ -n "$(ls kst*.tmp 2>/dev/null)" ] || [[ " $* " == *" -o - "* ]]; }
}
# Starts a conversion of large.qif with standard output to $1 (the Wine
# process keeps the pid) and stops it while it is under way and still reads
# the file. A busy machine can let a run get past its last look at the file
# before the stop: that run is let finish, large.qif is put back as it was,
# and another started.
stop_mid_run() {
  local out=$1 && shift
  cp large.qif "$work.pristine"
  for _ in $(seq 8); do
    "$wine_run" "$exe" "$@" >"$out" 2>err.txt & pid=$!
    for _ in $(seq 4000); do under_way "$@" && break; sleep 0.005; done
    kill -STOP $pid && under_way "$@" || fail "the run ended too soon"
    still_reading $pid large.qif && rm "$work.pristine" && return 0
    kill -CONT $pid && { wait $pid || true; }
    cp "$work.pristine" large.qif
  done
  fail "the run was never stopped while it read large.qif"
}
resume() { kill -CONT $pid; wait $pid; status=$?; tr -d '\r' <err.txt >err2.txt && mv err2.txt err.txt; }
# Until untrace, the renames Wine's server makes fail or are held as $1
# says (trace-server.sh). Where there is no server to trace, the case says
# so and ends, once the program is seen to run.
trace() {
  tracer=$work.tracer
  bash "$common/trace-server.sh" "$tracer" "$1" &
  for _ in $(seq 200); do [ -s "$tracer" ] && break; sleep 0.05; done
  tracer=$(cat "$tracer" 2>/dev/null) && rm -f "$work.tracer"
  trap 'kill $tracer 2>/dev/null; rm -rf "$work"' EXIT
  [ -n "$tracer" ] && [ "$tracer" != none ] && return
  cli --version && grep -q '^kestrom-cli ' out.txt || fail "the program did not run"
  echo "ok ($case; no Wine server that strace can trace here)" && exit 0
}
untrace() { kill $tracer; sleep 0.2; }
# The file is still open in process $1 (the program's own fd on it).
holds() { ls -l /proc/$1/fd 2>/dev/null | grep -q -- "$2"; }
same() { cmp -s "$1" "$2" || fail "$1 differs from $2"; }
expect_status() { [ "$status" -eq "$1" ] || fail "exit $status, expected $1: $(cat err.txt)"; }
expect_err() { grep -qF -- "$1" err.txt || fail "stderr lacks '$1': $(cat err.txt)"; }
# Only the named files (and the captured output) may remain.
expect_files() {
  local listing
  listing=$(ls -A | grep -vx -e out.txt -e err.txt | sort | tr '\n' ' ')
  [ "$listing" = "$* " ] || fail "folder holds '$listing', expected '$* '"
}

case $case in
convert)
  copy bank_mdy_crlf.qif bank.qif
  copy accounts_lf_noeol.qif accounts.qif
  printf '!Type:Bank\r\nD12345\r\n' >iso.qif
  cli bank.qif accounts.qif iso.qif
  expect_status 1
  same bank.qif "$fixtures/bank_mdy_crlf.every-date.qif"
  same accounts.qif "$fixtures/accounts_lf_noeol.every-date.qif"
  expect_err "iso.qif:2: not converted without --yes: 1 date that no rule converts would leave it half converted"
  expect_files accounts.qif bank.qif iso.qif
  ;;
yes)
  copy bank_dayfirst.qif dayfirst.qif
  cli --yes -o out.qif dayfirst.qif
  expect_status 0
  same out.qif "$fixtures/bank_dayfirst.yes.qif"
  same dayfirst.qif "$fixtures/bank_dayfirst.qif"
  expect_files dayfirst.qif out.qif
  ;;
refuse)
  copy bank_dayfirst.qif dayfirst.qif
  printf '\211PNG\r\n\032\nPLTE\0\r^\r' >picture.qif && cp picture.qif picture.png
  cli dayfirst.qif picture.qif
  expect_status 1
  expect_err "dayfirst.qif:7: not converted without --yes: its dates look day-first already (month 25)"
  expect_err "picture.qif: not converted: not a QIF file: it holds binary data (byte 0x1A on line 2)"
  same dayfirst.qif "$fixtures/bank_dayfirst.qif"
  same picture.qif picture.png
  # --yes answers questions; nothing converts binary data.
  cli --yes picture.qif
  expect_status 1
  expect_err "picture.qif: not converted: not a QIF file: it holds binary data (byte 0x1A on line 2)"
  same picture.qif picture.png
  expect_files dayfirst.qif picture.png picture.qif
  ;;
check)
  copy bank_mdy_crlf.qif bank.qif
  cli --check bank.qif
  expect_status 0
  grep -qxF "bank.qif: 6 dates to convert and 11 payee/memo lines to exchange" out.txt ||
    fail "no counts in: $(cat out.txt)"
  same bank.qif "$fixtures/bank_mdy_crlf.qif"
  expect_files bank.qif
  ;;
output_missing_folder)
  copy bank_mdy_crlf.qif in.qif
  cli -o no-such-folder/out.qif in.qif
  expect_status 1
  expect_err "no-such-folder/out.qif: cannot write: "
  same in.qif "$fixtures/bank_mdy_crlf.qif"
  expect_files in.qif
  ;;
output_onto_folder)
  copy bank_mdy_crlf.qif in.qif
  mkdir taken
  cli -o taken in.qif
  expect_status 1
  expect_err "taken: cannot write: "
  [ -d taken ] && [ -z "$(ls -A taken)" ] || fail "the folder was touched"
  same in.qif "$fixtures/bank_mdy_crlf.qif"
  expect_files in.qif taken
  ;;
bad_input)
  : >empty.qif
  mkdir folder.qif
  cli -v --yes missing.qif empty.qif folder.qif
  expect_status 1
  expect_err "missing.qif: cannot open: "
  expect_err "empty.qif: nothing to convert: the file is empty"
  expect_err "folder.qif: cannot open: it is a folder"
  [ "$(wc -l <err.txt)" -eq 3 ] || fail "not one line each: $(cat err.txt)"
  expect_files empty.qif folder.qif
  ;;
large)
  large large.qif
  large expected.qif 15 bank_mdy_crlf.every-date.qif
  cli large.qif
  expect_status 0
  same large.qif expected.qif
  expect_files expected.qif large.qif
  ;;
manifest)
  # The one manifest, id 1 (no default one from the toolchain), cut out.
  objdump -p "$exe" >pe.txt
  awk '/^[0-9a-f]+   Entry:/ { manifest = $4 == "0x000018," } manifest' pe.txt >rt_manifest.txt
  grep -q 'Entry: ID: 0x000001,' rt_manifest.txt && [ "$(grep -c 'Leaf:' rt_manifest.txt)" -eq 1 ] ||
    fail "not one manifest: $(grep -E 'Entry|Leaf' pe.txt)"
  read -r addr size < <(sed -n 's/.*Leaf: Addr: 0x\([0-9a-f]*\), Size: 0x\([0-9a-f]*\).*/\1 \2/p' rt_manifest.txt)
  read -r vma at < <(objdump -h "$exe" | awk '$2 == ".rsrc" { print $4, $6 }')
  base=$(awk '$1 == "ImageBase" { print $2 }' pe.txt)
  tail -c +$((16#$at + 16#$base + 16#$addr - 16#$vma + 1)) "$exe" | head -c $((16#$size)) >manifest.xml
  for setting in 'level="asInvoker"' '>UTF-8</activeCodePage>' 35138b9a 4a2f28e3 1f676c76 8e0f7a12; do
    grep -qF "$setting" manifest.xml || fail "the manifest lacks $setting"
  done
  ;;
names)
  # Outside any one ANSI code page; the last is 95 characters, 275 bytes.
  folder=$(printf '明%.0s' $(seq 10)) && mkdir "$folder"
  names=(выписка.qif wyciąg-źółć.qif 明細書.qif "$folder/$(printf '細%.0s' $(seq 80)).qif")
  for name in "${names[@]}"; do copy bank_mdy_crlf.qif "$name"; done
  cli "${names[@]}"
  expect_status 0
  for name in "${names[@]}"; do same "$name" "$fixtures/bank_mdy_crlf.every-date.qif"; done
  printf 'D12345\r\n' >выписка-iso.qif
  cli выписка-iso.qif
  expect_err "kestrom-cli: выписка-iso.qif:1: date that no rule converts: D12345"
  ;;
console)
  # On a terminal Wine gives the program a console (cursor moves = spaces).
  copy bank_mdy_crlf.qif выписка.qif
  script -qec "'$wine_run' '$exe' --check выписка.qif" /dev/null </dev/null |
    perl -pe 's/\e\[(\d*)C/" " x ($1 || 1)/ge; s/\e\[[0-9;?]*[A-Za-z]//g; s/\r//g' >out.txt
  grep -qxF "выписка.qif: 6 dates to convert and 11 payee/memo lines to exchange" out.txt ||
    fail "name not shown legibly on the console: $(cat out.txt)"
  ;;
repeat)
  # The same file by the same path, its full path and another case.
  copy bank_mdy_crlf.qif bank.qif
  cli bank.qif bank.qif "Z:$work/bank.qif" BANK.QIF
  expect_status 0
  same bank.qif "$fixtures/bank_mdy_crlf.every-date.qif"
  expect_err "kestrom-cli: BANK.QIF: note: skipped, the same file as bank.qif"
  [ "$(grep -c ': note: skipped, ' err.txt)" -eq 3 ] || fail "not three notes: $(cat err.txt)"
  # Wine gives a hard link made on the Linux side the same file index.
  copy bank_mdy_crlf.qif fresh.qif && ln fresh.qif hard.qif
  cli --check fresh.qif hard.qif
  expect_err "kestrom-cli: hard.qif: note: skipped, the same file as fresh.qif"
  ;;
changed)
  large large.qif 17
  stop_mid_run /dev/null large.qif
  truncate -s 4M large.qif && resume
  expect_status 1
  expect_err "kestrom-cli: large.qif: changed while it was being converted; nothing was written"
  [ "$(stat -c %s large.qif)" -eq 4194304 ] || fail "the truncated file was replaced"
  expect_files large.qif
  # Rewritten at the same size, its last write set back as sync tools do.
  large large.qif 17
  stop_mid_run /dev/null large.qif
  written=$(stat -c %y large.qif) && sleep 0.02
  printf X | dd of=large.qif conv=notrunc status=none && cp large.qif rewritten.qif
  touch -d "$written" large.qif && resume
  expect_status 1
  expect_err "kestrom-cli: large.qif: changed while it was being converted; nothing was written"
  same large.qif rewritten.qif
  # Truncated while read for standard output, to whole records (10,000 of
  # the fixture's 399 bytes): nothing reaches it.
  large large.qif 17
  stop_mid_run out.qif -o - large.qif
  truncate -s 3990000 large.qif && resume
  expect_status 1
  expect_err "kestrom-cli: large.qif: changed while it was being converted; nothing was written"
  [ ! -s out.qif ] || fail "standard output got $(stat -c %s out.qif) bytes"
  ;;
interrupt)
  # Wine's Ctrl+C handler runs on a thread of its own, which may come only
  # once the file is replaced: then the run must say so.
  large large.qif 17 && cp large.qif before.qif
  stop_mid_run /dev/null large.qif
  kill -INT $pid
  resume
  expect_status 130
  if cmp -s large.qif before.qif; then
    ! grep -q converted err.txt || fail "a file left as it was reported converted"
  else
    expect_err "kestrom-cli: large.qif: converted in place: 786432 dates"
  fi
  expect_files before.qif large.qif
  ;;
readonly)
  # The attribute Wine shows for a mode without write bits, root or not.
  copy bank_mdy_crlf.qif locked.qif && chmod 444 locked.qif
  cli locked.qif
  expect_status 1
  expect_err "locked.qif: cannot write: "
  same locked.qif "$fixtures/bank_mdy_crlf.qif"
  # A folder that refuses new files even to root (immutable) gives its reason.
  mkdir sealed && copy bank_mdy_crlf.qif sealed/bank.qif
  chattr +i sealed 2>/dev/null || { echo "ok ($case; no chattr +i here: no sealed folder)"; exit 0; }
  cli sealed/bank.qif
  chattr -i sealed
  expect_status 1
  expect_err "sealed/bank.qif: cannot write: Access denied"
  same sealed/bank.qif "$fixtures/bank_mdy_crlf.qif"
  ;;
temp_names)
  # Every temporary name is another file's, a link to one of two (ext4
  # allows 65000 links to one): none may be emptied or moved.
  perl -e 'for (0 .. 0xFFFF) {
    my $name = sprintf("kst%04X.tmp", $_);
    if ($_ % 0x8000) { link(sprintf("kst%04X.tmp", $_ & 0x8000), $name) or die }
    else { open my $f, ">", $name or die; print $f "keep" } }'
  copy bank_mdy_crlf.qif bank.qif
  cli bank.qif
  expect_status 1
  expect_err "kestrom-cli: bank.qif: cannot write: "
  same bank.qif "$fixtures/bank_mdy_crlf.qif"
  [ "$(cat kst0000.tmp kst8000.tmp)" = keepkeep ] && [ "$(ls | grep -c '^kst')" -eq 65536 ] ||
    fail "another file's kstN.tmp was changed or moved"
  ;;
link)
  copy bank_mdy_crlf.qif real.qif && ln -s real.qif link.qif
  cli link.qif
  expect_status 0
  [ -L link.qif ] || fail "the link was replaced"
  same real.qif "$fixtures/bank_mdy_crlf.every-date.qif"
  # A link to a missing file stays a link, as on POSIX systems: refused.
  ln -s missing.qif dangling.qif && copy bank_mdy_crlf.qif in.qif
  cli -o dangling.qif in.qif
  expect_status 1
  expect_err "dangling.qif: cannot write: "
  [ -L dangling.qif ] && [ ! -e missing.qif ] || fail "the dangling link was replaced"
  ;;
rename_fails)
  # The server's second rename fails (the last of a two-step replace), then
  # every one: the file is converted or as it was, never gone, and no
  # temporary file is left.
  for row in "when=2 0 every-date." "when=1+ 1 "; do
    read -r when expected converted <<<"$row"
    copy bank_mdy_crlf.qif bank.qif
    trace "rename:error=EACCES:$when"
    cli bank.qif
    untrace
    expect_status "$expected"
    same bank.qif "$fixtures/bank_mdy_crlf.${converted}qif"
    expect_files bank.qif
  done
  expect_err "bank.qif: cannot write: Access denied"
  ;;
killed_in_rename)
  # Killed while the server holds the rename: the file's name holds the
  # old file or the whole new one, never nothing.
  large large.qif 16 && cp large.qif before.qif
  large expected.qif 16 bank_mdy_crlf.every-date.qif
  trace rename:delay_exit=2000000:when=1
  "$wine_run" "$exe" large.qif >/dev/null 2>err.txt & pid=$!
  for _ in $(seq 4000); do [ -n "$(ls kst*.tmp 2>/dev/null)" ] && break; sleep 0.005; done
  [ -n "$(ls kst*.tmp 2>/dev/null)" ] || fail "no temporary file was made"
  for _ in $(seq 4000); do [ -z "$(ls kst*.tmp 2>/dev/null)" ] || [ ! -e large.qif ] && break; sleep 0.005; done
  kill -KILL $pid; { wait $pid; } 2>/dev/null; sleep 2.5
  untrace
  cmp -s large.qif before.qif || same large.qif expected.qif
  expect_files before.qif expected.qif large.qif
  ;;
held_target)
  # Another program (a scanner, an indexer; here a second run's --check)
  # holds the file when its replacement is ready: the rename is tried again
  # until it lets go.
  large large.qif 17 && large expected.qif 17 bank_mdy_crlf.every-date.qif
  stop_mid_run /dev/null large.qif && converter=$pid
  "$wine_run" "$exe" --check large.qif >/dev/null & holder=$!
  for _ in $(seq 2000); do holds $holder large.qif && break; sleep 0.005; done
  kill -STOP $holder && holds $holder large.qif || fail "the check ended too soon"
  kill -CONT $converter
  # Once the temporary file is closed, the rename is being tried.
  for _ in $(seq 4000); do holds $converter 'kst.*\.tmp' || break; sleep 0.005; done
  sleep 0.3 && kill -KILL $holder && { wait $holder; } 2>/dev/null
  resume
  expect_status 0
  same large.qif expected.qif
  expect_files expected.qif large.qif
  ;;
filter)
  # Standard input and output in binary: every CR stays; no FILE and no
  # console is standard input too.
  for dash in - ""; do
    "$wine_run" "$exe" $dash <"$fixtures/bank_mdy_crlf.qif" >out.qif 2>/dev/null
    same out.qif "$fixtures/bank_mdy_crlf.every-date.qif"
  done
  "$wine_run" "$exe" -o - - <"$fixtures/bank_dayfirst.qif" >out.qif 2>/dev/null
  [ $? -eq 1 ] && [ ! -s out.qif ] || fail "a refused file wrote to standard output"
  printf 'D6/1/94\033[8m\r\n' >esc.qif
  cli --check esc.qif
  grep -qF 'converts: D6/1/94\x1b[8m' out.txt || fail "ESC not escaped: $(cat -v out.txt)"
  copy bank_mdy_crlf.qif bank.qif
  "$wine_run" "$exe" --check bank.qif >/dev/full 2>/dev/null
  [ $? -eq 1 ] || fail "a report lost to a full disk passed"
  # A content lost to a full disk: one line, with the reason.
  "$wine_run" "$exe" - <bank.qif >/dev/full 2>err.txt
  [ $? -eq 1 ] || fail "a content lost to a full disk passed"
  [ "$(wc -l <err.txt)" -eq 1 ] && grep -q "^kestrom-cli: -: cannot write: No space" err.txt ||
    fail "not one line with the reason: $(cat err.txt)"
  ;;
usage)
  # No FILE on a console is bad usage; a flag given a value is refused in
  # getopt's words; /? is the help, as in other console tools.
  script -qec "'$wine_run' '$exe'" /dev/null </dev/null | tr -d '\r' >err.txt
  expect_err "kestrom-cli: no input files"
  cli --yes=1 a.qif
  expect_status 2
  expect_err "kestrom-cli: option '--yes' doesn't allow an argument"
  for help in --help /?; do
    cli $help
    expect_status 0
    grep -qF "  2  bad usage" out.txt || fail "$help lacks the exit codes"
  done
  ;;
wildcards)
  # The program expands them, as the command prompt does not; a pattern
  # that matches nothing stays a name.
  copy bank_mdy_crlf.qif export-1.qif && copy bank_mdy_crlf.qif export-2.qif
  cli 'export-*.qif' 'none-*.qif'
  expect_status 1
  for name in export-1.qif export-2.qif; do same $name "$fixtures/bank_mdy_crlf.every-date.qif"; done
  expect_err "kestrom-cli: none-*.qif: cannot open: "
  [ "$(wc -l <err.txt)" -eq 1 ] || fail "not one line: $(cat err.txt)"
  ;;
backup)
  # -b keeps the file as it was beside it, numbered ones once there are.
  copy bank_mdy_crlf.qif bank.qif && copy bank_mdy_crlf.qif bank.qif.~1~
  cli -b bank.qif && expect_status 0
  cli --backup=simple -v --yes bank.qif && expect_status 0
  expect_err "converted in place (backup: "
  same bank.qif.~2~ "$fixtures/bank_mdy_crlf.qif"
  same bank.qif~ "$fixtures/bank_mdy_crlf.every-date.qif"
  same bank.qif "$fixtures/bank_mdy_crlf.qif"
  expect_files bank.qif bank.qif.~1~ bank.qif.~2~ bank.qif~
  # Names compare as Windows compares them: Export.qif.~1~ is a numbered
  # backup of export.qif, and no backup replaces it.
  copy bank_mdy_crlf.qif export.qif && echo old >Export.qif.~1~
  cli --backup=numbered export.qif && expect_status 0
  cli -b --yes export.qif && expect_status 0
  [ "$(cat Export.qif.~1~)" = old ] || fail "the older backup was replaced"
  same export.qif.~2~ "$fixtures/bank_mdy_crlf.qif"
  same export.qif.~3~ "$fixtures/bank_mdy_crlf.every-date.qif"
  ;;
backup_copy_fails)
  # Links refused (EXDEV, as across volumes), and no room for the copy on a
  # small disk: the reason is the copy's own, and nothing is left.
  trace link:error=EXDEV:when=1+
  mkdir disk
  if ! mount -t tmpfs -o size=16k kestrom-cli-disk disk 2>/dev/null; then
    untrace && cli --version && grep -q '^kestrom-cli ' out.txt || fail "the program did not run"
    echo "ok ($case; no small tmpfs here: it needs root)" && exit 0
  fi
  trap 'kill $tracer 2>/dev/null; umount disk; rm -rf "$work"' EXIT
  large disk/bank.qif 4 && cp disk/bank.qif before.qif
  cli -b --yes disk/bank.qif
  untrace
  expect_status 1
  expect_err '\disk\bank.qif~: Disk full'
  same disk/bank.qif before.qif
  [ "$(ls disk)" = bank.qif ] || fail "the disk holds $(ls disk)"
  ;;
*)
  fail "unknown case"
  ;;
esac
echo "ok ($case)"
