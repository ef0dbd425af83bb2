# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# The AviSynth+ check in the Windows stage, sourced by scripts/test-windows.sh:
# AviSynth.dll cross-built from the vendored source (once; scripts/avisynth.sh
# --windows), handed to the test programs, and clipquill-cli.exe --check run
# end to end under Wine: good scripts, a quoted clip name failing at its line
# and column, an endless loop ended at the time limit, a crash, and
# AviSynth.dll found where Windows users have it (the registry's folder, the
# system folder). One line per step here; the whole output in $LOGS.
#
# Expects ROOT, BUILD, LOGS, WINE64 and quietly from the caller; sets
# failed=1 when a step fails.

# Builds AviSynth.dll, or finds it built; sets AVISYNTH_DLL.
windows_check_build() {
  local step=$SECONDS log="$LOGS/avisynth.log"
  if ! AVISYNTH_DLL="$(bash "$ROOT/scripts/avisynth.sh" --windows "$BUILD" 2>"$log")"; then
    echo "FAILED: AviSynth.dll for Windows (the end of $log:)"
    tail -n 40 "$log"
    return 1
  fi
  if [[ -s "$log" ]]; then
    echo "windows: AviSynth.dll built in $((SECONDS - step)) s ($AVISYNTH_DLL, $log)"
  else
    echo "windows: AviSynth.dll built before, for this tarball ($AVISYNTH_DLL)"
  fi
}

# The test programs check scripts with it: its path as Windows names it.
windows_check_env() {
  CLIPQUILL_AVISYNTH_LIBRARY="$(winepath -w "$AVISYNTH_DLL" 2>/dev/null)"
  export CLIPQUILL_AVISYNTH_LIBRARY
}

# Runs clipquill-cli.exe in the caller's $work folder: its exit status in
# $status, the command and its output appended to the caller's $log.
windows_cli() {
  set +e
  (cd "$work" && "$WINE64" "$cli" "$@" </dev/null) >"$work/.out" 2>"$work/.err"
  status=$?
  set -e
  {
    echo "\$ clipquill-cli $* -> $status"
    cat "$work/.out" "$work/.err"
  } >>"$log"
}

# windows_expect WHAT COMMAND...: a case of the caller's $label; a failed one
# is said and sets the caller's bad=1.
windows_expect() {
  local what="$1"
  shift
  if ! "$@"; then
    echo "    $label: FAILED: $what"
    bad=1
  fi
}

# clipquill-cli.exe --check end to end, in a work folder of its own.
windows_check_end_to_end() {
  local step=$SECONDS cli="$BUILD/bin/clipquill-cli.exe" log="$LOGS/check-end-to-end.log"
  local work status=0 bad=0
  work="$(mktemp -d "$BUILD/check-e2e.XXXXXX")"
  : >"$log"
  local label="check end to end"
  has() { grep -qF -- "$2" "$1"; }

  local dll_win sys32="$WINEPREFIX/drive_c/windows/system32"
  dll_win="$(winepath -w "$AVISYNTH_DLL" 2>/dev/null)"
  mkdir -p "$work/clips" "$work/out"
  # Clips AviSynth+'s core opens without plugins: scripts giving a clip.
  printf 'BlankClip(length=10, width=64, height=48)\r\n' >"$work/clips/a.avsi"
  printf 'BlankClip(length=10, width=64, height=48)\r\n' >"$work/clips/b c.avsi"
  printf 'Import("<P><F>")\r\n' >"$work/Hall.qtpl"

  windows_cli --avisynth "$dll_win" --check -s clips -e avsi -d out Hall.qtpl
  windows_expect "good scripts pass (exit 0)" test "$status" -eq 0
  windows_expect "... each written" test "$(ls "$work/out" | wc -l)" -eq 2

  # A quote in a name ends AviSynth's string early: column 10 is past it.
  printf 'Import("it"s.avsi")\r\nBlankClip()\r\n' >"$work/quoted.avs"
  windows_cli --avisynth "$dll_win" --check-only quoted.avs
  windows_expect "a quoted clip name fails (exit 4)" test "$status" -eq 4
  windows_expect "... at its line and column" has "$work/.err" 'quoted.avs:1:12: Script error: expected a , or )'

  printf 'x = 0\r\nwhile (true) {\r\n x = x + 1\r\n}\r\n' >"$work/loop.avs"
  local began=$SECONDS
  windows_cli --avisynth "$dll_win" --check-time 2 --check-only loop.avs out/a.avs
  windows_expect "an endless loop fails (exit 4)" test "$status" -eq 4
  windows_expect "... at the time limit" has "$work/.err" 'loop.avs: timed out after 2 s'
  windows_expect "... the next script still checked" test "$(wc -l <"$work/.err")" -eq 1
  windows_expect "... within moments of it" test $((SECONDS - began)) -lt 30

  # The stand-in library crashes on demand, as a plugin might.
  local fake
  fake="$(winepath -w "$BUILD/tests/libfake_avisynth.dll" 2>/dev/null)"
  : >"$work/crash.avs"
  windows_cli --avisynth "$fake" --check-only crash.avs out/a.avs
  windows_expect "a crash fails (exit 4)" test "$status" -eq 4
  windows_expect "... told as a crash" has "$work/.err" \
    'crash.avs: crashed while AviSynth+ imported the script (exception 0xC0000005, access violation)'

  # As Windows users have it: nothing installed, then the folder its registry
  # entry names, then the system folder's avisynth.dll.
  windows_cli --check-only out/a.avs
  windows_expect "without AviSynth+ the check is unavailable (exit 2)" test "$status" -eq 2
  windows_expect "... and says where it looked" has "$work/.err" 'AviSynth.dll'
  local dll_dir
  dll_dir="$(winepath -w "$(dirname "$AVISYNTH_DLL")" 2>/dev/null)"
  "$WINE64" reg add 'HKLM\Software\AviSynth' /ve /d "$dll_dir" /f >>"$log" 2>&1
  windows_cli --check-only out/a.avs
  windows_expect "found through its registry entry" test "$status" -eq 0
  "$WINE64" reg delete 'HKLM\Software\AviSynth' /f >>"$log" 2>&1
  cp "$AVISYNTH_DLL" "$sys32/avisynth.dll"
  cp "$(dirname "$AVISYNTH_DLL")"/lib*.dll "$sys32/"
  windows_cli --check-only out/a.avs
  windows_expect "found in the system folder" test "$status" -eq 0
  rm -f "$sys32/avisynth.dll"

  rm -rf "$work"
  if ((bad)); then
    echo "windows: clipquill-cli.exe --check end to end: FAILED ($log)"
    # shellcheck disable=SC2034  # the caller's
    failed=1
  else
    echo "windows: clipquill-cli.exe --check end to end: ok in $((SECONDS - step)) s ($log)"
  fi
}

# The program folder's clipquill-cli.exe with its own AviSynth.dll: found
# with no AviSynth+ installed and no option, and passed over for an
# installed one (its registry entry), as a user's own plugins go with it.
windows_bundled_end_to_end() {
  local step=$SECONDS cli="$FOLDER/clipquill-cli.exe" log="$LOGS/bundled-avisynth.log"
  local work status=0 bad=0 label="bundled AviSynth.dll"
  work="$(mktemp -d "$BUILD/bundled-e2e.XXXXXX")"
  : >"$log"
  has() { grep -qF -- "$2" "$1"; }
  printf 'BlankClip(length=10, width=64, height=48)\r\n' >"$work/blank.avs"

  windows_cli --version
  windows_expect "--version names the bundled AviSynth.dll" \
    has "$work/.out" '\avisynth\AviSynth.dll, that came with Clipquill'
  windows_cli --check-only blank.avs
  windows_expect "a BlankClip script passes with nothing installed" test "$status" -eq 0
  # The editor's function table, as the bundled AviSynth.dll declares it.
  windows_cli --functions
  windows_expect "--functions lists BlankClip with its parameter string" \
    has "$work/.out" '{"name":"BlankClip","source":"internal","signature":"[]c*[length]i[width]i'
  windows_expect "--functions lists the functions of AviSynth.dll" \
    test "$(grep -c '"source":"internal"' "$work/.out")" -gt 100

  local dll_dir
  dll_dir="$(winepath -w "$(dirname "$AVISYNTH_DLL")" 2>/dev/null)"
  "$WINE64" reg add 'HKLM\Software\AviSynth' /ve /d "$dll_dir" /f >>"$log" 2>&1
  windows_cli --version
  windows_expect "an installed AviSynth+ comes first" has "$work/.out" ', installed on the system'
  "$WINE64" reg delete 'HKLM\Software\AviSynth' /f >>"$log" 2>&1

  rm -rf "$work"
  if ((bad)); then
    echo "windows: the program folder's own AviSynth.dll: FAILED ($log)"
    failed=1
  else
    echo "windows: the program folder's own AviSynth.dll: ok in $((SECONDS - step)) s ($log)"
  fi
}

# Clips named with accents, Cyrillic, Japanese and an emoji, under Wine with
# the ANSI code page set to 1252 and to 1251: the scripts' bytes, per clip
# and joined, in the template's encoding; the check's and the picture's
# verdicts with AviSynth.dll (the pictures: check_tests'); the names a code
# page cannot hold left out and said. Import stands in for a source filter: it reads a name as AVISource
# does, in the code page unless given utf8=true.
windows_code_page_end_to_end() {
  local step=$SECONDS cli="$BUILD/bin/clipquill-cli.exe" log="$LOGS/code-page.log"
  local work status=0 bad=0 label dll_win locales="$BUILD/locales" c_utf8 name
  : >"$log"
  has() { grep -qF -- "$2" "$1"; }
  count() { find "$1" -type f | wc -l; }
  dll_win="$(winepath -w "$AVISYNTH_DLL" 2>/dev/null)"
  # Wine takes the ANSI code page from the locale's name and file names'
  # encoding from the locale's data: C.UTF-8's data under each name gives
  # either code page with UTF-8 names, and no locale need be installed.
  for c_utf8 in /usr/lib/locale/C.utf8 /usr/lib/locale/C.UTF-8; do
    [[ -d "$c_utf8" ]] && break
  done
  if [[ ! -d "$c_utf8" ]]; then
    echo "windows: clips' names in code pages 1252 and 1251: FAILED (no C.UTF-8 locale)"
    # shellcheck disable=SC2034  # the caller's
    failed=1
    return
  fi
  # Wine started through a script of its own per code page, so that only
  # Wine sees the locale.
  for name in en_US.UTF-8:1252 ru_RU.UTF-8:1251; do
    [[ -d "$locales/${name%:*}" ]] || { mkdir -p "$locales" && cp -r "$c_utf8" "$locales/${name%:*}"; }
    printf '#!/bin/sh\nLOCPATH="%s" LC_ALL=%s exec "%s" "$@"\n' "$locales" "${name%:*}" "$WINE64" \
      >"$locales/wine-${name#*:}"
    chmod +x "$locales/wine-${name#*:}"
  done

  local acp wine folder fit clip folder_win expected
  for acp in 1252 1251; do
    wine="$locales/wine-$acp"
    if ((acp == 1252)); then
      folder="Clips Été" fit="Café"
    else
      folder="Клипы" fit="Привет"
    fi
    label="code page $acp"
    work="$(mktemp -d "$BUILD/code-page.XXXXXX")"
    mkdir -p "$work/$folder" "$work/clips 🎬"
    for name in out joined out8 joined8 outw outf; do mkdir "$work/$name"; done
    for clip in plain Café Привет 日本 "clip 🎬"; do
      printf 'BlankClip(length=10, width=64, height=48)\r\n' >"$work/$folder/$clip.avsi"
    done
    cp "$work/$folder/plain.avsi" "$work/clips 🎬/plain.avsi"
    printf 'Import("<P><F>")\r\n' >"$work/ascii.qtpl"
    printf '# \xc3\x89t\xc3\xa9\r\nImport("<P><F>", utf8=true)\r\n' >"$work/utf8.qtpl"
    printf '# \xc3\x89t\xc3\xa9\r\nImport("<P><F>")\r\n' >"$work/misread.qtpl"
    folder_win="$(winepath -w "$work/$folder" 2>/dev/null)"
    expected="$(printf 'Import("%s\\%s.avsi")\r' "$folder_win" "$fit" | iconv -f UTF-8 -t "CP$acp")"
    echo "== $label" >>"$log"

    # A plain ASCII template is in the code page: the names it holds go in
    # in it, the others are left out, each said.
    WINE64="$wine" windows_cli --avisynth "$dll_win" --check \
      -s "$folder" -e avsi -d out ascii.qtpl
    windows_expect "names beyond the code page end the run in an error (exit 1)" test "$status" -eq 1
    windows_expect "... said, with what to do" has "$work/.err" "their scripts are left out"
    windows_expect "... the emoji's among them" has "$work/.err" "clip 🎬.avsi"
    windows_expect "... the others written" test "$(count "$work/out")" -eq 2
    windows_expect "... $fit's name in code page $acp" \
      test "$(cat "$work/out/$fit.avs")" = "$expected"
    WINE64="$wine" windows_cli --avisynth "$dll_win" --check-only "out/$fit.avs" out/plain.avs
    windows_expect "... which pass the check (exit 0)" test "$status" -eq 0

    WINE64="$wine" windows_cli --avisynth "$dll_win" --check -j -n all \
      -s "$folder" -e avsi -d joined ascii.qtpl
    windows_expect "joined, a name beyond it leaves the script out (exit 1)" test "$status" -eq 1
    windows_expect "... said" has "$work/.err" "the joined script is left out"
    windows_expect "... nothing written" test ! -e "$work/joined/all.avs"
    WINE64="$wine" windows_cli --avisynth "$dll_win" --check -j -n fit \
      -c plain.avsi -c "$fit.avsi" -s "$folder" -e avsi -d joined ascii.qtpl
    windows_expect "joined, the names it holds pass the check (exit 0)" test "$status" -eq 0

    # A UTF-8 template with utf8=true carries every name, the emoji's too.
    WINE64="$wine" windows_cli --avisynth "$dll_win" --check -s "$folder" -e avsi -d out8 utf8.qtpl
    windows_expect "UTF-8 with utf8=true: every script passes (exit 0)" test "$status" -eq 0
    windows_expect "... five written" test "$(count "$work/out8")" -eq 5
    WINE64="$wine" windows_cli --avisynth "$dll_win" --check -j -n all \
      -s "$folder" -e avsi -d joined8 utf8.qtpl
    windows_expect "... joined too (exit 0)" test "$status" -eq 0

    # Without utf8=true the names are written as asked, and the misreading
    # is said before AviSynth+ fails on them.
    WINE64="$wine" windows_cli --avisynth "$dll_win" --check \
      -s "$folder" -e avsi -d outw misread.qtpl
    windows_expect "UTF-8 without utf8=true: said" has "$work/.err" "AviSynth+ reads it in code page $acp and misreads the clips' folder"
    windows_expect "... written all the same" test "$(count "$work/outw")" -eq 5
    windows_expect "... and failing the check (exit 4)" test "$status" -eq 4

    # An emoji in the folder: no script can name a clip below it.
    WINE64="$wine" windows_cli -s "clips 🎬" -e avsi -d outf ascii.qtpl
    windows_expect "an emoji in the folder: an error (exit 1)" test "$status" -eq 1
    windows_expect "... naming the folder" has "$work/.err" "the clips' folder"
    windows_expect "... nothing written" test "$(count "$work/outf")" -eq 0

    # The test programs' cases of the code page and of scripts' names and
    # pictures (the stage's own run of them has 1252).
    if ((acp != 1252)); then
      local program
      for program in core_tests:SystemCodePage* check_tests:AvisynthCheckerTest.ScriptsOfAnyName*; do
        set +e
        (cd "$BUILD/tests" && "$wine" "${program%%:*}.exe" --gtest_filter="${program#*:}") >>"$log" 2>&1
        status=$?
        set -e
        windows_expect "${program%%:*} ${program#*:}" test "$status" -eq 0
      done
    fi
    rm -rf "$work"
  done

  if ((bad)); then
    echo "windows: clips' names in code pages 1252 and 1251: FAILED ($log)"
    # shellcheck disable=SC2034  # the caller's
    failed=1
  else
    echo "windows: clips' names in code pages 1252 and 1251: ok in $((SECONDS - step)) s ($log)"
  fi
}
