#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The extra checks CI runs after scripts/test.sh:
#   1. formatting   clang-format --dry-run --Werror over every *.h and *.cpp
#   2. sanitizers   Debug build with ASan + UBSan into build-asan/, then ctest
#   3. fuzzing      clang build with the libFuzzer targets into build-fuzz/,
#                   each target run for FUZZ_SECONDS (default 20) seconds; one
#                   summary line each, the whole output in build-fuzz/logs/
#   4. benchmarks   every build/bench/bench_* run once, in the short mode
#                   (CLIPQUILL_BENCH_SHORT=1, unless set otherwise: fewer
#                   rounds over smaller inputs); the figures are printed,
#                   never judged, but a benchmark that crashes fails the stage
#   5. package      the Debian package built from build/, installed with
#                   apt-get, checked from the installed files with each file's
#                   own validator and lintian, then removed
#                   (scripts/check_package.sh)
#   6. windows      the command line and every layer below the window
#                   cross-built for Windows into build-windows/, the test
#                   programs and the command line run under wine64
#                   (scripts/test-windows.sh: one line per test program
#                   here, the whole output in build-windows/logs/)
#   7. first start  "bash scripts/run.sh" timed from a fresh clone to the main
#                   window on an Xvfb + openbox desktop, and a second start;
#                   the figures are printed, never judged
#                   (scripts/time_first_start.sh)
#
# Every stage runs even when an earlier one failed; the script exits non-zero
# if any stage failed. Extra CMake arguments for the sanitizer and fuzz builds
# may come from CMAKE_ARGS. Into a log (CI's), each build step leaves one line
# with its chatter in build*/logs/, ctest its summary and failures, and the
# end lists every stage with its seconds.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

# shellcheck source=scripts/deps.sh
source scripts/deps.sh
# shellcheck source=scripts/quiet.sh
source scripts/quiet.sh

JOBS="$(nproc)"
FUZZ_SECONDS="${FUZZ_SECONDS:-20}"
BUILD_TOOLS=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev util-linux qt6-base-dev libqscintilla2-qt6-dev libjpeg-dev fonts-dejavu-core
  dbus-daemon groff-base)

extra_args=()
if [[ -n "${CMAKE_ARGS:-}" ]]; then
  read -r -a extra_args <<<"$CMAKE_ARGS"
fi

# --- 1. formatting -----------------------------------------------------------
stage_format() {
  deps_install clang-format
  local files=() f
  if git -C "$ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # Tracked files, plus new files not yet added (and not ignored).
    while IFS= read -r -d '' f; do
      if [[ -f "$f" ]]; then files+=("$f"); fi
    done < <(git ls-files -z --cached --others --exclude-standard -- '*.h' '*.cpp' | sort -zu)
  else
    while IFS= read -r -d '' f; do
      files+=("${f#./}")
    done < <(find . \( -name .git -o -name 'build*' \) -prune -o -type f \
      \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)
  fi
  if ((${#files[@]} == 0)); then
    echo "no *.h or *.cpp files to check"
    return 0
  fi
  clang-format --version
  # One process for every file: starting one per file cost more than the
  # checking. Its complaints name each file ("FILE:LINE:COL: error: ...").
  local bad=() out
  if ! out="$(clang-format --dry-run --Werror "${files[@]}" 2>&1)"; then
    echo "$out" | head -n 200
    mapfile -t bad < <(sed -n 's/^\(.*\):[0-9][0-9]*:[0-9][0-9]*: error: .*/\1/p' <<<"$out" | sort -u)
    if ((${#bad[@]} == 0)); then
      echo "clang-format failed on no file of its own naming; see above"
      return 1
    fi
  fi
  if ((${#bad[@]} > 0)); then
    echo
    echo "${#bad[@]} of ${#files[@]} files are not clang-formatted:"
    printf '  %s\n' "${bad[@]}"
    echo "fix with: clang-format -i <file>..."
    return 1
  fi
  echo "all ${#files[@]} files are clang-formatted"
}

# --- 2. sanitizers -----------------------------------------------------------
stage_sanitize() {
  deps_install "${BUILD_TOOLS[@]}"
  # The AviSynth+ that scripts/test.sh built (or builds now), for the check's tests.
  local avisynth_lib
  avisynth_lib="$(bash scripts/avisynth.sh build)"
  quiet_step build-asan/logs/configure.log "configure build-asan/" \
    cmake -S . -B build-asan -G Ninja -DCLIPQUILL_SANITIZE=ON -DCLIPQUILL_WERROR=ON \
    -DCLIPQUILL_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug -DCLIPQUILL_LINE_TABLES=ON \
    -DCLIPQUILL_AVISYNTH_LIBRARY="$avisynth_lib" "${extra_args[@]}"
  quiet_step build-asan/logs/build.log "build build-asan/" deps_build build-asan -j "$JOBS"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    quiet_ctest build-asan -j "$JOBS"
}

# --- 3. fuzzing --------------------------------------------------------------
stage_fuzz() {
  deps_install "${BUILD_TOOLS[@]}" clang libclang-rt-14-dev
  quiet_step build-fuzz/logs/configure.log "configure build-fuzz/" \
    env CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCLIPQUILL_FUZZ=ON \
    -DBUILD_TESTING=OFF -DCLIPQUILL_BENCH=OFF -DCLIPQUILL_GUI=OFF -DCLIPQUILL_WERROR=ON \
    -DCLIPQUILL_LINE_TABLES=ON "${extra_args[@]}"
  # The targets and the libraries they link, not the command line and the
  # rest that the fuzz build would build besides.
  quiet_step build-fuzz/logs/build.log "build build-fuzz/ (the fuzz targets)" \
    deps_build build-fuzz -j "$JOBS" --target fuzzers

  local targets=() f
  while IFS= read -r -d '' f; do
    targets+=("$f")
  done < <(find build-fuzz -path '*/CMakeFiles' -prune -o -type f -name 'fuzz_*' \
    -perm -u+x -print0 | sort -z)
  if ((${#targets[@]} == 0)); then
    echo "no fuzz targets (build-fuzz/**/fuzz_*) yet; nothing to fuzz"
    return 0
  fi

  # libFuzzer prints a line for every new input: thousands per target. Each
  # target's whole output goes to a log beside the build; the CI log gets one
  # line per target, and the log's end when the target found something.
  # Each target is one process on one core: as many run at once as there
  # are cores, each for its full FUZZ_SECONDS.
  local logs="$ROOT/build-fuzz/logs"
  mkdir -p "$logs"
  # No summary of an earlier run may stand in for one that never ended.
  rm -f "$logs"/*.summary "$logs"/*.rc
  local target running=0
  for target in "${targets[@]}"; do
    if ((running >= JOBS)); then
      wait -n || true
      running=$((running - 1))
    fi
    fuzz_one "$target" "$logs" &
    running=$((running + 1))
  done
  wait || true

  # The summaries in the targets' order, whichever ended first.
  local failed=0 name
  for target in "${targets[@]}"; do
    name="$(basename "$target")"
    name="${name#fuzz_}"
    cat "$logs/$name.summary"
    if [[ "$(cat "$logs/$name.rc")" != 0 ]]; then failed=1; fi
  done
  return "$failed"
}

# fuzz_one TARGET LOGS: one target's run, its output in LOGS/NAME.log, its
# summary (and the log's end, should it have found something) in
# LOGS/NAME.summary and its exit status in LOGS/NAME.rc.
fuzz_one() {
  local target=$1 logs=$2 name corpus seed artifacts dirs rc log found
  name="$(basename "$target")"
  name="${name#fuzz_}"
  corpus="$(mktemp -d "${TMPDIR:-/tmp}/clipquill-corpus-$name.XXXXXX")"
  artifacts="$ROOT/build-fuzz/artifacts/$name"
  mkdir -p "$artifacts"
  dirs=("$corpus")
  seed="$ROOT/tests/fuzz/corpus/$name"
  if [[ -d "$seed" ]]; then
    dirs+=("$seed")
  fi
  log="$logs/$name.log"
  found="$(find "$artifacts" -type f | wc -l)"
  echo "--- $target for ${FUZZ_SECONDS}s (${dirs[*]})" >"$log"
  set +e
  # The outer timeout is a backstop should a target ignore its own limits.
  timeout --kill-after=30 "$((FUZZ_SECONDS + 120))" \
    "$target" -max_total_time="$FUZZ_SECONDS" -rss_limit_mb=2048 -timeout=60 \
    -artifact_prefix="$artifacts/" "${dirs[@]}" >>"$log" 2>&1 </dev/null
  rc=$?
  set -e
  rm -rf "$corpus"
  found="$(($(find "$artifacts" -type f | wc -l) - found))"
  {
    fuzz_summary "$name" "$log" "$rc" "$found"
    if ((rc != 0)); then
      echo "FAILED: $target exited with $rc; any crashing input is in $artifacts/; the end of $log:"
      tail -n 40 "$log" | sed 's/^/    /'
    fi
  } >"$logs/$name.summary"
  echo "$rc" >"$logs/$name.rc"
}

# One line for a target's run, from the last status line libFuzzer printed
# ("#123 DONE cov: 45 ft: 67 corp: 8/90b ... exec/s: 12 rss: 34Mb"):
# "fuzz NAME: N runs, cov C, ft F, corpus K inputs, X findings, exit R (log)".
fuzz_summary() {
  local name=$1 log=$2 rc=$3 found=$4
  awk -v name="$name" -v logfile="${log#"$ROOT"/}" -v rc="$rc" -v found="$found" '
    /^#[0-9]+[ \t]/ {
      runs = substr($1, 2)
      for (i = 2; i < NF; i++) {
        if ($i == "cov:") cov = $(i + 1)
        if ($i == "ft:") ft = $(i + 1)
        if ($i == "corp:") { corp = $(i + 1); sub(/\/.*/, "", corp) }
      }
    }
    /^Done [0-9]+ runs/ { runs = $2 }
    END {
      printf "fuzz %s: %s runs, cov %s, ft %s, corpus %s inputs, %d findings, exit %d (%s)\n",
        name, runs == "" ? "0" : runs, cov == "" ? "?" : cov, ft == "" ? "?" : ft,
        corp == "" ? "?" : corp, found, rc, logfile
    }' "$log"
}

# --- 4. benchmarks -----------------------------------------------------------
stage_bench() {
  deps_install "${BUILD_TOOLS[@]}"
  # Normally configured and built by scripts/test.sh already; this is a no-op then.
  if [[ ! -f build/CMakeCache.txt ]]; then
    quiet_step build/logs/configure.log "configure build/" \
      cmake -S . -B build -G Ninja "${extra_args[@]}"
  fi
  quiet_step build/logs/build.log "build build/" deps_build build -j "$JOBS"

  local benches=() f
  for f in build/bench/bench_*; do
    if [[ -f "$f" && -x "$f" ]]; then benches+=("$f"); fi
  done
  if ((${#benches[@]} == 0)); then
    echo "no benchmarks (build/bench/bench_*) built; nothing to run"
    return 0
  fi
  # CI prints the figures and never judges them: the short mode tells it
  # enough in minutes. CLIPQUILL_BENCH_SHORT=0 runs the full benchmarks.
  export CLIPQUILL_BENCH_SHORT="${CLIPQUILL_BENCH_SHORT:-1}"
  if [[ "$CLIPQUILL_BENCH_SHORT" != 0 ]]; then
    echo "short mode (CLIPQUILL_BENCH_SHORT=$CLIPQUILL_BENCH_SHORT): fewer rounds over smaller inputs"
  fi
  local failed=0 bench rc start
  for bench in "${benches[@]}"; do
    echo "--- $(basename "$bench")"
    start=$SECONDS
    set +e
    # A backstop only: the editor benchmark alone takes minutes in full.
    timeout --kill-after=30 1200 "$bench" </dev/null
    rc=$?
    set -e
    if ((rc != 0)); then
      echo "FAILED: $bench exited with $rc"
      failed=1
    fi
    echo "--- $(basename "$bench"): $((SECONDS - start)) s"
  done
  return "$failed"
}

# --- 5. package ---------------------------------------------------------------
stage_package() {
  bash scripts/check_package.sh
}

# --- 6. windows ---------------------------------------------------------------
stage_windows() {
  # The window's figures on Wine in the benchmarks' short mode too.
  CLIPQUILL_BENCH_SHORT="${CLIPQUILL_BENCH_SHORT:-1}" bash scripts/test-windows.sh
}

# --- 7. first start -----------------------------------------------------------
stage_first_start() {
  bash scripts/time_first_start.sh
}

# --- driver ------------------------------------------------------------------
failed_stages=()
stage_times=()
run_stage() {
  local title="$1" fn="$2" start rc
  echo
  echo "==================== $title ===================="
  start=$SECONDS
  # A plain subshell (not in an if or ||) so that set -e works inside it.
  set +e
  (
    set -euo pipefail
    "$fn"
  )
  rc=$?
  set -e
  if ((rc == 0)); then
    echo "==== $title: ok ($((SECONDS - start)) s)"
    stage_times+=("$(printf '%6d s  ok      %s' "$((SECONDS - start))" "$title")")
  else
    echo "==== $title: FAILED ($((SECONDS - start)) s)"
    failed_stages+=("$title")
    stage_times+=("$(printf '%6d s  FAILED  %s' "$((SECONDS - start))" "$title")")
  fi
}

run_stage "clang-format" stage_format
run_stage "ASan + UBSan build and tests" stage_sanitize
run_stage "fuzzing (libFuzzer)" stage_fuzz
run_stage "benchmarks (figures only)" stage_bench
run_stage "Debian package: install, check, remove" stage_package
run_stage "Windows: cross-build, tests and command line under Wine" stage_windows
run_stage "first start of run.sh on a fresh clone (timed)" stage_first_start

echo
echo "check.sh: the stages' times"
printf '  %s\n' "${stage_times[@]}"
printf '  %6d s  in all\n' "$SECONDS"
if ((${#failed_stages[@]} > 0)); then
  echo "check.sh: failed stages:"
  printf '  %s\n' "${failed_stages[@]}"
  exit 1
fi
echo "check.sh: every stage ok"
