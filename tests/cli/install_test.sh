#!/usr/bin/env bash
# cmake --install of the native build into a new prefix: exactly the program,
# its manual page (the one the build generated) and the documents the page
# names, where GNUInstallDirs puts them, and the installed program runs.
# Usage: install_test.sh CMAKE BUILD_DIR MAN_PAGE VERSION
set -euo pipefail
cmake=$1 build=$2 man_page=$3 version=$4
prefix=$(mktemp -d /tmp/kestrom-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
installed=$(cd "$prefix" && find . -type f | sort)
[ "$installed" = "./bin/kestrom-cli
./share/doc/kestrom/behaviour.md
./share/doc/kestrom/kestrom-cli.md
./share/man/man1/kestrom-cli.1" ] || fail "installed: $installed"
cmp "$man_page" "$prefix/share/man/man1/kestrom-cli.1"
grep -q "^\.TH .* \"Kestrom $version\" " "$man_page" || fail "no version in the page's footer"
# Every document SEE ALSO names is installed where it says.
docs=$(sed -n '/^\.SH SEE ALSO/,$ s/^\.I \([^ ]*\.md\).*/\1/p' "$man_page" | tr -d '\\')
[ "$(wc -w <<<"$docs")" -eq 2 ] || fail "SEE ALSO names: $docs"
for doc in $docs; do
  [ -f "$prefix/share/doc/kestrom/$doc" ] || fail "SEE ALSO names $doc, which is not installed"
done
out=$("$prefix/bin/kestrom-cli" --version) || fail "the installed program failed"
[ "${out%%$'\n'*}" = "kestrom-cli (Kestrom) $version" ] || fail "--version: $out"
echo "installed and ran: ${out%%$'\n'*}"
