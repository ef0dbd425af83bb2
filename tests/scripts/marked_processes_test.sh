#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/marked_processes.sh finds what a check left running: a program
# behind a wrapper whose pid was the one ended (as the package check once
# left the window), and a child its program left behind; and it finds nothing
# once all has ended, the checking shell and its own tools included.
#
#   bash tests/scripts/marked_processes_test.sh
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
# shellcheck source=scripts/marked_processes.sh
source "$ROOT/scripts/marked_processes.sh"

passed=0
failed=0
check() {
  if [[ "$2" == "$3" ]]; then
    passed=$((passed + 1))
  else
    echo "FAILED: $1: got '$2', expected '$3'" >&2
    failed=$((failed + 1))
  fi
}
# Waits up to 5 s for the marked programs to number n.
await_left() {
  for _ in $(seq 100); do
    if (($(marked_left | wc -l) == $1)); then return 0; fi
    sleep 0.05
  done
  return 0
}

marked_init
trap 'marked_end_all >/dev/null' EXIT
check "nothing started" "$(marked_left)" ""

# A wrapper function in the background: its pid is a shell, not the program.
wrapped() { (exec env "$MARKED_ENV" sleep 60); }
wrapped </dev/null >/dev/null 2>&1 &
wrapper=$!
await_left 1
kill -TERM "$wrapper"
status=0
wait "$wrapper" || status=$?
check "the wrapper's own status" "$status" 143
check "the program behind the wrapper is found" "$(marked_left | wc -l)" 1

ended="$(marked_end_all)"
check "what was ended is named" "$(grep -c 'sleep 60' <<<"$ended")" 1
await_left 0
check "ended" "$(marked_left)" ""

# Started so that its pid is the program's own: ending it leaves nothing.
(exec env "$MARKED_ENV" sleep 60) </dev/null >/dev/null 2>&1 &
program=$!
await_left 1
check "the program itself" "$(ps -o args= -p "$program")" "sleep 60"
kill -TERM "$program"
status=0
wait "$program" || status=$?
check "the program's own status" "$status" 143
check "nothing left" "$(marked_left)" ""

# A child that outlives its program carries the mark on.
env "$MARKED_ENV" bash -c 'sleep 60 </dev/null >/dev/null 2>&1 & exit 0'
await_left 1
check "an orphaned child" "$(marked_left | wc -l)" 1
marked_end_all >/dev/null
await_left 0
check "the orphan ended" "$(marked_left)" ""

echo "$passed passed, $failed failed"
((failed == 0))
