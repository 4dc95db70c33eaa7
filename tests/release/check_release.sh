#!/usr/bin/env bash
# The release as a user and a checker meet it: scripts/release.sh run in two
# copies of the sources, in folders of different names and at different
# times, must give the same zip; the zip must hold exactly the expected
# files, its exes must be the ones the tests ran, its checksum must verify,
# and its name, the version block and kestrom-cli --version's first line
# must agree.
# Usage: check_release.sh SOURCE_DIR KESTROM_EXE KESTROM_CLI_EXE WINE_RUN VERSION run|read
# (read: this machine cannot run the 32-bit exe, so the version kestrom-cli
# prints is read from the text it prints it from)
set -euo pipefail
source_dir=$1 built_exe=$2 built_cli=$3 wine_run=$4 version=$5 cli_mode=$6
scratch=$(mktemp -d /tmp/kestrom-release-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Builds are compared at the commit's time; the working tree's files are
# copied, so uncommitted changes are tested too.
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git -C "$source_dir" log -1 --format=%ct)
release_in() {
  mkdir -p "$1"
  git -C "$source_dir" ls-files -z --cached --others --exclude-standard |
    (cd "$source_dir" && tar --null -T - -cf -) | tar -xf - -C "$1"
  "$1/scripts/release.sh" >"$1.log" 2>&1 || { cat "$1.log"; fail "release.sh failed in $1"; }
}
release_in "$scratch/first"
sleep 2  # a later wall-clock time must not show in the zip
release_in "$scratch/a-second-copy-elsewhere"

name=kestrom-$version
zip_name=$name-win32.zip
first=$scratch/first/dist
second=$scratch/a-second-copy-elsewhere/dist
[ -f "$first/$zip_name" ] || fail "no $zip_name: $(ls "$first")"
cmp "$first/$zip_name" "$second/$zip_name" || fail "the zip differs between two builds"
cmp "$first/$zip_name.sha256" "$second/$zip_name.sha256" || fail "the checksums differ"
(cd "$first" && sha256sum -c --strict "$zip_name.sha256") || fail "the checksum does not verify"

expected="$name/README.txt
$name/LICENSE.txt
$name/kestrom.exe
$name/kestrom-cli.exe
$name/kestrom.html"
entries=$(unzip -Z1 "$first/$zip_name")
[ "$entries" = "$expected" ] || fail "zip entries differ:
$entries"

unzip -q "$first/$zip_name" -d "$scratch/unpacked"
unpacked=$scratch/unpacked/$name
cmp "$unpacked/kestrom.exe" "$built_exe" || fail "kestrom.exe is not the tested build"
cmp "$unpacked/kestrom-cli.exe" "$built_cli" || fail "kestrom-cli.exe is not the tested build"
for text in README.txt LICENSE.txt; do
  if LC_ALL=C grep -q $'[^\r]$\|^$' "$unpacked/$text"; then
    fail "$text has a line without CR LF"
  fi
done
grep -q "Copyright (c) 2026 the Kestrom authors" "$unpacked/LICENSE.txt" ||
  fail "LICENSE.txt lacks the copyright line"
[ "$(stat -c %s "$unpacked/kestrom.html")" -gt 0 ] || fail "kestrom.html is empty"

# The version block's fixed part: four words after the signature FEEF04BD,
# most significant first within each half.
fixed=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$unpacked/kestrom.exe" | head -1 | cut -d: -f1)
[ -n "$fixed" ] || fail "kestrom.exe has no version block"
read -r minor major tweak patch < <(od -An -tu2 -j $((fixed + 8)) -N8 "$unpacked/kestrom.exe")
block_version=$major.$minor.$patch.$tweak
if [ "$cli_mode" = run ]; then
  cli_version=$("$wine_run" "$unpacked/kestrom-cli.exe" --version | tr -d '\r' | sed -n 1p)
else
  cli_version=$(LC_ALL=C grep -aoE 'kestrom-cli \(Kestrom\) [0-9]+(\.[0-9]+){3}' "$unpacked/kestrom-cli.exe" | head -1)
fi
echo "zip: $version, version block: $block_version, $cli_version"
[ "$block_version" = "$version" ] || fail "version block $block_version, zip $version"
[ "$cli_version" = "kestrom-cli (Kestrom) $version" ] || fail "kestrom-cli says $cli_version, zip $version"
grep -q "^Kestrom $version"$'\r$' "$unpacked/README.txt" || fail "README.txt names another version"
echo "release reproducible: $(cut -c1-64 "$first/$zip_name.sha256") ($(stat -c %s "$first/$zip_name") bytes)"
