#!/usr/bin/env bash
# The manual page: man renders it without a single warning (as Debian's checks run it), its
# source has no empty line, and its OPTIONS section has an entry for every option that the
# program's usage text lists.
# Arguments: the manual page, the quorvale executable.
set -euo pipefail
page=$1
quorvale=$2

warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
  man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
if [[ -n $warnings ]]; then
  printf 'FAIL man prints warnings:\n%s\n' "$warnings"
  exit 1
fi

# groff takes an empty line for a paragraph break without a word; Debian's checks flag it.
if grep -n '^$' "$page"; then
  echo "FAIL empty lines in the manual page (above)"
  exit 1
fi

# The rendered OPTIONS section; an entry's tag line is indented by seven blanks.
tags=$(LC_ALL=C.UTF-8 MANWIDTH=100 man -l "$page" 2>/dev/null | sed 's/.\x08//g' |
  awk '/^OPTIONS/ { on = 1; next } /^[A-Z]/ { on = 0 } on && /^       -/')
options=$("$quorvale" -h 2>&1 | grep -o -- '-[a-z]\+' | sort -u)
[[ -n $options ]] || { echo "FAIL no options in the usage text"; exit 1; }
missing=0
for option in $options; do
  if ! grep -qE -- "^ +(.*[ ,])?${option}([ ,]|$)" <<<"$tags"; then
    echo "FAIL the usage text lists ${option}, the manual page has no entry for it"
    missing=1
  fi
done
((missing == 0)) || exit 1
echo "manual page checks passed ($(wc -w <<<"$options") options)"
