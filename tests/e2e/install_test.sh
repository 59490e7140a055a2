#!/usr/bin/env bash
# Installs into a fresh prefix, as `make install PREFIX=...` does: the program, whose --version is the version of
# CMakeLists.txt and whose --help fits one screen, and its manual page, which renders without warnings, has every
# section and lists exactly the options --help lists. Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
cmake --install "$1" --prefix "$prefix" >/dev/null
program=$prefix/bin/pedlik page=$prefix/share/man/man1/pedlik.1
[ -x "$program" ] && [ -f "$page" ] || fail "pedlik or pedlik.1 not installed under $prefix"

version=$(sed -n 's/^project(pedlik VERSION \([0-9.]*\) .*/\1/p' "$2/CMakeLists.txt")
[ -n "$version" ] && [ "$("$program" --version)" = "pedlik $version" ] || fail "--version is not pedlik $version"
help=$("$program" --help)
[ "$(wc -l <<<"$help")" -le 24 ] && ! grep -q '.\{81\}' <<<"$help" || fail "--help is more than 24 lines of 80 columns"

manual=$(LC_ALL=C MANWIDTH=80 man --warnings -l "$page" 2>"$prefix/warnings")
[ ! -s "$prefix/warnings" ] || fail "man reports: $(cat "$prefix/warnings")"
grep -q "pedlik $version" <<<"$manual" || fail "the manual page does not show version $version"
for section in SYNOPSIS OPTIONS 'LOCUS FILE' 'PEDIGREE FILE' 'EXIT STATUS' TROUBLESHOOTING EXAMPLES; do
  grep -q "^$section" <<<"$manual" || fail "the manual page has no $section section"
done
options() { grep -o -- '--[a-z][a-z-]*' | sort -u; }
[ "$(options <<<"$help")" = "$(sed -n '/^OPTIONS/,/^[A-Z]/p' <<<"$manual" | options)" ] ||
  fail "--help and the manual page list different options"
