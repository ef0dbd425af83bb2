#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by a check that starts programs: every program it starts must end
# before the check does. A pid is no proof of that: a program started through
# a wrapper is not the pid the wrapper gives, and a program's own children
# outlive it. So each program gets a mark in its environment, which it hands
# on to everything it starts; whatever still carries the mark at the end was
# left running, whoever its parent is by then.
#
#   source scripts/marked_processes.sh
#   marked_init                   # once; sets MARKED_ENV, the mark itself
#   env "$MARKED_ENV" PROGRAM     # or env -i ... "$MARKED_ENV" PROGRAM
#   marked_left                   # the pids of marked programs still running
#   marked_end_all                # ends them (SIGKILL); prints what they were
#
# The mark is never exported: the checking shell and the tools it runs to
# look (grep, ps) do not carry it. A process that has ended but is not yet
# reaped shows no environment and does not count.

marked_init() {
  MARKED_ENV="CLIPQUILL_MARKED_RUN=$$-${EPOCHREALTIME/./}-$RANDOM"
}

marked_left() {
  local f pid
  # One grep over every process: a loop of one each takes seconds.
  while IFS= read -r f; do
    pid="${f#/proc/}"
    echo "${pid%/environ}"
  done < <(grep -lzxF -- "$MARKED_ENV" /proc/[0-9]*/environ 2>/dev/null || true)
}

marked_end_all() {
  local left pid
  left="$(marked_left)"
  [[ -n "$left" ]] || return 0
  for pid in $left; do
    ps -o pid=,args= -p "$pid" 2>/dev/null || true
    kill -KILL "$pid" 2>/dev/null || true
  done
}
