#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/quiet.sh keeps CI's log short without hiding a failure: a step
# leaves one line and its output in its log, a failed step shows its log's
# end and keeps its status, and ctest's summary names what failed, with that
# test's output, what did not run, and the slowest tests.
#
#   bash tests/scripts/quiet_test.sh
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
# shellcheck source=scripts/quiet.sh
source "$ROOT/scripts/quiet.sh"

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
# has WHAT TEXT PATTERN: a line of TEXT matches the glob PATTERN.
has() {
  local found=no line
  while IFS= read -r line; do
    # shellcheck disable=SC2053  # the pattern is a glob on purpose
    if [[ "$line" == $3 ]]; then found=yes; fi
  done <<<"$2"
  check "$1" "$found" yes
}
lacks() {
  local found=no
  if grep -qF -- "$3" <<<"$2"; then found=yes; fi
  check "$1" "$found" no
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# --- quiet_step ------------------------------------------------------------------
export CLIPQUILL_QUIET=1
out="$(quiet_step "$work/logs/a.log" "make a" bash -c 'echo chatter; echo more >&2')"
check "a step leaves one line" "$(wc -l <<<"$out")" 1
has "... saying it went well" "$out" "make a: ok in * s ($work/logs/a.log)*"
lacks "... and none of its chatter" "$out" chatter
check "the chatter, both streams, in its log" "$(cat "$work/logs/a.log")" $'chatter\nmore'

rc=0
# shellcheck disable=SC2016  # expanded by the inner shell
out="$(quiet_step "$work/logs/b.log" "make b" \
  bash -c 'for i in $(seq 100); do echo "line $i"; done; exit 7')" || rc=$?
check "a failed step keeps its status" "$rc" 7
has "... says so" "$out" "make b: FAILED (exit 7) in*"
has "... and shows its log's end" "$out" "    line 100"
has "... forty lines of it" "$out" "    line 61"
lacks "... not the whole log" "$out" "line 60"

CLIPQUILL_QUIET=0
out="$(quiet_step "$work/logs/c.log" "make c" echo spoken)"
check "on a terminal (CLIPQUILL_QUIET=0) the step speaks as usual" "$out" spoken
check "... and writes no log" "$(test -e "$work/logs/c.log" && echo yes || echo no)" no
export CLIPQUILL_QUIET=1

# --- quiet_ctest_summary over ctest's own output ------------------------------------
cat >"$work/pass.log" <<'EOF'
Test project /tmp/b
    Start 1: Core.Expands
1/4 Test #1: Core.Expands .....................   Passed    0.30 sec
    Start 2: window_on_desktop
2/4 Test #2: window_on_desktop ................   Passed   16.02 sec
    Start 3: Check.RealClip
3/4 Test #3: Check.RealClip ...................***Skipped   0.01 sec
    Start 4: batch_on_desktop_scale1
4/4 Test #4: batch_on_desktop_scale1 ..........   Passed   31.50 sec

100% tests passed, 0 tests failed out of 3

Total Test time (real) =  47.90 sec

The following tests did not run:
	  3 - Check.RealClip (Skipped)
EOF
out="$(quiet_ctest_summary "$work/pass.log" 0)"
check "a passing run: the summary first" "$(head -n 1 <<<"$out")" \
  "ctest: 100% tests passed, 0 tests failed out of 3; 47.90 s ($work/pass.log)"
has "what did not run is named" "$out" "    did not run: 3 - Check.RealClip (Skipped)"
has "the slowest first" "$out" \
  "    slowest: batch_on_desktop_scale1 31.5 s, window_on_desktop 16.02 s, Core.Expands 0.3 s, Check.RealClip 0.01 s"
lacks "no line per test" "$out" "Start 1"
check "three lines in all" "$(wc -l <<<"$out")" 3

cat >"$work/fail.log" <<'EOF'
Test project /tmp/b
    Start 1: Core.Expands
1/3 Test #1: Core.Expands .....................***Failed    0.02 sec
core_test.cpp:12: Failure
Expected equality of these values:

    Start 2: Cli.Runs
2/3 Test #2: Cli.Runs .........................   Passed    0.50 sec
    Start 3: slow_one
3/3 Test #3: slow_one .........................***Timeout 120.01 sec

33% tests passed, 2 tests failed out of 3

Total Test time (real) = 120.60 sec

The following tests FAILED:
	  1 - Core.Expands (Failed)
	  3 - slow_one (Timeout)
Errors while running CTest
EOF
out="$(quiet_ctest_summary "$work/fail.log" 8)"
has "a failing run: its summary" "$out" "ctest: 33% tests passed, 2 tests failed out of 3; 120.60 s*"
has "the first failed test named" "$out" "    FAILED: 1 - Core.Expands (Failed)"
has "the second named" "$out" "    FAILED: 3 - slow_one (Timeout)"
has "the failed test's output shown" "$out" "      core_test.cpp:12: Failure"
has "... under its name" "$out" "    --- Core.Expands, the end of its output:"
has "a failed test with no output says so" "$out" "    --- slow_one: no output"
lacks "a passing test's line is not shown" "$out" "Cli.Runs ...."

printf 'CMake Error: not a build folder\n' >"$work/broken.log"
out="$(quiet_ctest_summary "$work/broken.log" 1)"
has "no summary: says so" "$out" "ctest: no summary (exit 1); the end of $work/broken.log:"
has "... and shows the log" "$out" "    CMake Error: not a build folder"

echo "quiet_test: $passed passed, $failed failed"
((failed == 0))
