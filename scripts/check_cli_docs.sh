#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that the command line's manual page and bash completion name every
# option its --help lists, and that the page renders without a groff warning.
# The build tree's files are checked by ctest, the installed ones by
# scripts/check_package.sh: the same rules for both.
#
#   bash scripts/check_cli_docs.sh PROGRAM MANPAGE[.gz] COMPLETION
set -euo pipefail

if (($# != 3)); then
  echo "usage: $0 PROGRAM MANPAGE COMPLETION" >&2
  exit 2
fi
program="$1" page="$2" completion="$3"

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

warnings="$(zcat -f -- "$page" | groff -man -Tutf8 -ww -z 2>&1)"
[[ -z "$warnings" ]] || fail "groff warnings in $page: $warnings"

# Wide lines and no hyphenation, so that no option is broken across lines.
page_text="$(zcat -f -- "$page" | groff -man -Tascii -P-cbou -rLL=200n -rHY=0 2>/dev/null)"
options="$("$program" --help | grep -oE '(^|[ ,])--?[a-z0-9][a-z-]*' | tr -d ' ,' | sort -u)"
[[ -n "$options" ]] || fail "$program --help lists no options"
for option in $options; do
  grep -qF -- "$option" <<<"$page_text" || fail "$page does not list $option"
  grep -qE -- "(^|[ '])$option( |'|\)|$)" "$completion" ||
    fail "the completion $completion does not offer $option"
done
echo "clipquill-cli: its $(wc -w <<<"$options") options in its manual page and completion"
