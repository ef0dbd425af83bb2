# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Paths as Windows users write them, in the Windows stage: sourced by
# scripts/test-windows.sh, which calls windows_paths_end_to_end once the
# Wine prefix is there. clipquill-cli.exe run with a share's path
# (\\server\share, which Wine finds through dosdevices/unc/), a drive-relative
# and a root-relative source, a folder beyond MAX_PATH, and a folder named in
# another case. One line here; the whole output in $LOGS/paths-end-to-end.log.
#
# Expects BUILD, LOGS, WINE64 and WINEPREFIX from the caller, and
# scripts/windows-check.sh sourced before it (windows_cli, windows_expect);
# sets failed=1 when a case fails.

windows_paths_end_to_end() {
  local step=$SECONDS cli="$BUILD/bin/clipquill-cli.exe" log="$LOGS/paths-end-to-end.log"
  local work status=0 bad=0
  work="$(mktemp -d "$BUILD/paths-e2e.XXXXXX")"
  : >"$log"
  local label="paths end to end"
  # The script for clip a.avi, with the clips' folder as Windows names it.
  script_is() { test "$(cat "$1")" = "$(printf 'AviSource("%sa.avi")\r' "$2")"; }

  printf 'AviSource("<P><F>")\r\n' >"$work/Hall.qtpl"
  mkdir -p "$work/share/clips" "$work/share/out" "$work/out"
  : >"$work/share/clips/a.avi"

  # A share: Wine reads \\server\share through dosdevices/unc/server/share.
  local unc="$WINEPREFIX/dosdevices/unc/server"
  mkdir -p "$unc"
  ln -sfn "$work/share" "$unc/share"
  windows_cli -s '\\server\share\clips' -e avi -d '\\server\share\out' Hall.qtpl
  windows_expect "a share's folders as source and destination" test "$status" -eq 0
  windows_expect "... the clip named by the share's path" \
    script_is "$work/share/out/a.avs" '\\server\share\clips\'
  windows_cli -y -s '//server/share/clips' -e avi -d '//server/share/out' Hall.qtpl
  windows_expect "... replaced there with -y, written with /" test "$status" -eq 0
  windows_expect "... naming it as typed" script_is "$work/share/out/a.avs" '//server/share/clips/'
  rm -f "$unc/share"

  # Drive-relative and root-relative: the scripts name the folder in full.
  local work_win root_rel
  work_win="$(winepath -w "$work" 2>/dev/null)"
  root_rel="${work_win:2}"
  windows_cli -s "${work_win:0:2}share\\clips" -e avi -d out Hall.qtpl
  windows_expect "a drive-relative source" test "$status" -eq 0
  windows_expect "... named in full" script_is "$work/out/a.avs" "$work_win\\share\\clips\\"
  windows_cli -y -s "$root_rel\\share\\clips" -e avi -d out Hall.qtpl
  windows_expect "a root-relative source" test "$status" -eq 0
  windows_expect "... named in full" script_is "$work/out/a.avs" "$work_win\\share\\clips\\"

  # Another case names the same folder.
  windows_cli -y -s 'SHARE\CLIPS' -e avi -d OUT Hall.qtpl
  windows_expect "folders named in another case" test "$status" -eq 0
  windows_expect "... the script where the folder is" test -f "$work/out/a.avs"

  # Beyond MAX_PATH, source and destination.
  local deep="$work/deep" deep_win
  local part
  part="$(printf 'd%.0s' {1..60})"
  while ((${#deep} < 400)); do deep="$deep/$part"; done
  mkdir -p "$deep/clips" "$deep/out"
  : >"$deep/clips/a.avi"
  # winepath stops at MAX_PATH itself: the rest is spelt here.
  deep_win="$work_win${deep#"$work"}"
  deep_win="${deep_win//\//\\}"
  windows_cli -s "$deep_win\\clips" -e avi -d "$deep_win\\out" Hall.qtpl
  windows_expect "folders beyond MAX_PATH (${#deep_win} characters)" test "$status" -eq 0
  windows_expect "... the script written there" script_is "$deep/out/a.avs" "$deep_win\\clips\\"

  rm -rf "$work"
  if ((bad)); then
    echo "windows: clipquill-cli.exe paths end to end: FAILED ($log)"
    # shellcheck disable=SC2034  # the caller's
    failed=1
  else
    echo "windows: clipquill-cli.exe paths end to end: ok in $((SECONDS - step)) s ($log)"
  fi
}
