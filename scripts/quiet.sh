#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Keeps a log that nobody watches short: into a file (CI's), each step's
# chatter goes to a log of its own and the step leaves one line, or the end
# of its log when it fails; on a terminal everything speaks as usual.
#
#   source scripts/quiet.sh
#   quiet_step LOG TITLE COMMAND...   # "TITLE: ok in N s (LOG)"
#   quiet_ctest BUILD_DIR [ARGS...]   # ctest's summary, failures and slowest
#
# CLIPQUILL_QUIET=1 or CLIPQUILL_QUIET=0 in the environment overrides the terminal test.

# True when output should go to logs rather than the screen.
quiet_wanted() {
  case "${CLIPQUILL_QUIET:-}" in
    1) return 0 ;;
    0) return 1 ;;
  esac
  [[ ! -t 1 ]]
}

# quiet_logged LOG NAME COMMAND...: for a script whose standard output is
# its answer (a path): on a terminal the command speaks on standard error;
# else its output is appended to LOG, whose last 40 lines go to standard
# error, with NAME, when it fails. Returns the command's status.
quiet_logged() {
  local log="$1" name="$2"
  shift 2
  if [[ -t 2 ]]; then
    "$@" >&2
    return
  fi
  mkdir -p "$(dirname "$log")"
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "$name: failed: $*; the whole output is in $log" >&2
    return 1
  fi
}

# quiet_step LOG TITLE COMMAND...: runs the command; quietly, its output is
# appended to LOG and one line tells how it went, with LOG's last 40 lines
# when it failed. Returns the command's status.
quiet_step() {
  local log="$1" title="$2" start=$SECONDS rc=0
  shift 2
  if ! quiet_wanted; then
    "$@" || return
    return 0
  fi
  mkdir -p "$(dirname "$log")"
  "$@" >>"$log" 2>&1 </dev/null || rc=$?
  if ((rc == 0)); then
    echo "$title: ok in $((SECONDS - start)) s ($log)"
  else
    echo "$title: FAILED (exit $rc) in $((SECONDS - start)) s; the end of $log:"
    tail -n 40 "$log" | sed 's/^/    /'
  fi
  return "$rc"
}

# quiet_ctest BUILD_DIR [ARGS...]: the tests of BUILD_DIR, with failures'
# output. Quietly, ctest's line per test goes to BUILD_DIR/logs/ctest.log and
# the log gets its summary (quiet_ctest_summary).
quiet_ctest() {
  local dir="$1" rc=0
  shift
  if ! quiet_wanted; then
    ctest --test-dir "$dir" --output-on-failure --no-tests=error "$@"
    return
  fi
  local log="$dir/logs/ctest.log"
  mkdir -p "$dir/logs"
  ctest --test-dir "$dir" --output-on-failure --no-tests=error "$@" >"$log" 2>&1 </dev/null ||
    rc=$?
  quiet_ctest_summary "$log" "$rc"
  return "$rc"
}

# quiet_ctest_summary LOG STATUS: from ctest's output in LOG, one line of
# counts and time, the tests that did not run, the five slowest, and for each
# failed test its name and (from the log) up to the last 60 lines of its
# output; with no summary in LOG (ctest itself failed), LOG's end.
quiet_ctest_summary() {
  local log="$1" rc="$2"
  if ! grep -qE '^[0-9]+% tests passed|^No tests were found' "$log"; then
    echo "ctest: no summary (exit $rc); the end of $log:"
    tail -n 40 "$log" | sed 's/^/    /'
    return 0
  fi
  awk -v logfile="$log" '
    # The output of a failed test, from its result line to the next test.
    function flush_block() {
      while (blocklines > 0 && block[blocklines] == "") blocklines--
      if (inblock && nblocks < 5) {
        nblocks++
        out = "    --- " blockname (blocklines == 0 ? ": no output" : ", the end of its output:")
        first = blocklines > 60 ? blocklines - 59 : 1
        for (i = first; i <= blocklines; i++) out = out "\n      " block[i]
        blocks[nblocks] = out
      }
      inblock = 0
      blocklines = 0
    }
    # "  12/326 Test  #12: name ..........   Passed    0.52 sec"
    /^ *[0-9]+\/[0-9]+ +Test +#[0-9]+: / {
      flush_block()
      name = $0
      sub(/^ *[0-9]+\/[0-9]+ +Test +#[0-9]+: /, "", name)
      sub(/ .*/, "", name)
      if (match($0, /[0-9.]+ sec$/)) times[name] = substr($0, RSTART, RLENGTH - 4) + 0
      if ($0 ~ /\*\*\*/ && $0 !~ /Skipped|Disabled/) {
        inblock = 1
        blockname = name
      }
      next
    }
    /^ +Start +[0-9]+: / { flush_block(); next }
    /^[0-9]+% tests passed|^No tests were found/ { flush_block(); summary = $0; next }
    /^Total Test time \(real\)/ { total = $(NF - 1) " s"; next }
    /^The following tests did not run:/ { section = "skipped"; next }
    /^The following tests FAILED:/ { section = "failed"; next }
    /^Errors while running CTest/ { section = ""; next }
    {
      if (inblock) { block[++blocklines] = $0; next }
      if ($0 == "") { section = ""; next }
      line = $0
      sub(/^[ \t]+/, "", line)
      if (section == "skipped") skipped[++nskipped] = line
      if (section == "failed") failed[++nfailed] = line
    }
    END {
      flush_block()
      printf "ctest: %s; %s (%s)\n", summary, total == "" ? "?" : total, logfile
      for (i = 1; i <= nskipped && i <= 15; i++) print "    did not run: " skipped[i]
      if (nskipped > 15) print "    did not run: " nskipped - 15 " more (in the log)"
      for (i = 1; i <= nfailed; i++) print "    FAILED: " failed[i]
      for (i = 1; i <= nblocks; i++) print blocks[i]
      # The five slowest, picked without gawk.
      n = 0
      for (k in times) names[++n] = k
      slow = ""
      for (j = 1; j <= 5 && j <= n; j++) {
        best = 0
        for (i = 1; i <= n; i++) {
          if (names[i] != "" && (best == 0 || times[names[i]] > times[names[best]])) best = i
        }
        slow = slow (slow == "" ? "" : ", ") names[best] " " times[names[best]] " s"
        names[best] = ""
      }
      if (slow != "") print "    slowest: " slow
    }' "$log"
}
