#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installer as a Windows user meets it, under wine64: a silent install
# per user and for all users, the page's "Just me" taken with Next alone,
# what each put where (the files, the Start menu shortcut, the file types and
# the entry under Apps in Wine's registry; nothing of the machine's for a
# per-user install), the installed clipquill-cli.exe finding its own
# AviSynth.dll from any current folder, a
# .qtpl opened through its type starting the window with it, an upgrade that
# keeps the user's settings and flags, and an uninstall that leaves nothing
# of its own and everything of the user's.
#
#   WINEPREFIX=... bash tests/windows/installer_on_wine.sh SETUP_EXE
#
# The Wine prefix must exist and say Windows 10. Runs itself on a desktop of
# its own (scripts/with-desktop.sh), for the window a .qtpl opens.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
setup="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
if [[ -z "${CLIPQUILL_ON_DESKTOP:-}" ]]; then
  exec env CLIPQUILL_ON_DESKTOP=1 bash "$ROOT/scripts/with-desktop.sh" bash "$0" "$setup"
fi
# shellcheck source=scripts/wine-on-desktop.sh
source "$ROOT/scripts/wine-on-desktop.sh"

work="$(mktemp -d "${TMPDIR:-/tmp}/clipquill-setup.XXXXXX")"
cleanup() {
  pkill -f 'clipquill\.exe' 2>/dev/null || true
  wineserver --kill >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "installer_on_wine: $*" >&2
  exit 1
}
say() { echo "installer_on_wine: $*"; }
# A Windows path in the prefix as a Linux path.
unix() { winepath -u "$1" 2>/dev/null; }
# Wine's idea of a folder of the user's (LOCALAPPDATA, APPDATA, ProgramData...).
folder_of() { unix "$("$WINE64" cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')"; }
reg_value() { "$WINE64" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v v="$2" '$1 == v {$1 = $2 = ""; sub(/^ +/, ""); print}'; }
reg_default() { "$WINE64" reg query "$1" /ve 2>/dev/null | tr -d '\r' | awk '/REG_SZ/ {sub(/.*REG_SZ +/, ""); print}'; }
reg_exists() { "$WINE64" reg query "$1" >/dev/null 2>&1; }
# Waits up to 30 s for a path to go (the uninstaller runs a copy of itself).
gone() {
  for _ in $(seq 300); do
    if [[ ! -e "$1" ]]; then return 0; fi
    sleep 0.1
  done
  return 1
}

user_programs="$(folder_of LOCALAPPDATA)/Programs/Clipquill"
all_programs="$(folder_of ProgramW6432)/Clipquill"
user_menu="$(folder_of APPDATA)/Microsoft/Windows/Start Menu/Programs/Clipquill.lnk"
all_menu="$(folder_of ProgramData)/Microsoft/Windows/Start Menu/Programs/Clipquill.lnk"
settings="$(folder_of APPDATA)/Clipquill/settings"
VERSION="$(sed -n 's/^project(Clipquill VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Clipquill'

# checks ROOT_KEY FOLDER MENU: what an install put where.
installed() {
  local hive="$1" dir="$2" menu="$3" f
  for f in clipquill.exe clipquill-cli.exe qscintilla2_qt6.dll Qt6Widgets.dll \
    platforms/qwindows.dll styles/qwindowsvistastyle.dll DefaultTemplate.qtpl \
    licenses/Clipquill-GPL-3.0-or-later.txt licenses/Qt/LGPL-3 uninstall.exe; do
    [[ -f "$dir/$f" ]] || fail "$hive install: no $f in $dir"
  done
  [[ -f "$menu" ]] || fail "$hive install: no Start menu shortcut at $menu"
  [[ "$(reg_default "$hive\\Software\\Classes\\.qtpl")" == Clipquill.Template ]] ||
    fail "$hive install: .qtpl is not a Clipquill template"
  [[ "$(reg_default "$hive\\Software\\Classes\\Clipquill.Template")" == "Clipquill template" ]] ||
    fail "$hive install: the type is not named"
  reg_default "$hive\\Software\\Classes\\Clipquill.Template\\shell\\open\\command" |
    grep -qF 'clipquill.exe" "%1"' || fail "$hive install: no Open command for .qtpl"
  reg_exists "$hive\\Software\\Classes\\.avs\\OpenWithProgids" || fail "$hive install: no Open with for .avs"
  [[ "$(reg_value "$hive\\$uninstall_key" DisplayVersion)" == "$VERSION" ]] ||
    fail "$hive install: not version $VERSION under Apps"
  [[ -n "$(reg_value "$hive\\$uninstall_key" Publisher)" ]] || fail "$hive install: no publisher"
  [[ -n "$(reg_value "$hive\\$uninstall_key" EstimatedSize)" ]] || fail "$hive install: no size"
}
# uninstalled ROOT_KEY FOLDER MENU: nothing of the installer's is left.
uninstalled() {
  local hive="$1" dir="$2" menu="$3"
  gone "$dir" || fail "$hive uninstall left $(find "$dir" | head -n 5)"
  [[ ! -e "$menu" ]] || fail "$hive uninstall left the shortcut"
  local key
  for key in "Software\\Classes\\.qtpl" "Software\\Classes\\Clipquill.Template" \
    "Software\\Classes\\Clipquill.Script" "Software\\Classes\\Applications\\clipquill.exe" \
    "$uninstall_key"; do
    if reg_exists "$hive\\$key"; then fail "$hive uninstall left the key $key"; fi
  done
}

# The machine's keys a per-user install must leave alone, as text: the
# classes and the entries under Apps.
machine_keys() {
  local out="$1" key
  : >"$out"
  for key in 'HKLM\Software\Classes' "HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"; do
    "$WINE64" reg export "$key" "$(winepath -w "$work/export.reg")" /y >/dev/null 2>&1 ||
      fail "could not export $key"
    # Wine writes the export as UTF-16.
    iconv -f UTF-16 -t UTF-8 "$work/export.reg" | tr -d '\r' >>"$out"
  done
}
machine_untouched() {
  machine_keys "$work/hklm-after"
  if ! cmp -s "$work/hklm-before" "$work/hklm-after"; then
    diff "$work/hklm-before" "$work/hklm-after" | head -n 20 >&2
    fail "$1 wrote under HKEY_LOCAL_MACHINE"
  fi
}

# The installed clipquill-cli.exe, run from a folder of the user's, names
# the AviSynth.dll in its own folder's avisynth\. The compiler's run-time
# that DLL needs is put aside from Wine's system folder, where earlier tests
# left it, so that only the program folder can give it.
bundled_avisynth() {
  local dir="$1" aside="$work/system32-aside" f
  local system32="$WINEPREFIX/drive_c/windows/system32"
  if reg_exists 'HKLM\Software\AviSynth' || [[ -e "$system32/avisynth.dll" ]]; then
    fail "an AviSynth+ is installed in the prefix: the bundled one cannot be told apart"
  fi
  mkdir -p "$aside" "$work/elsewhere"
  for f in libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll; do
    if [[ -e "$system32/$f" ]]; then mv "$system32/$f" "$aside/"; fi
  done
  (cd "$work/elsewhere" && "$WINE64" "$dir/clipquill-cli.exe" --version </dev/null) \
    >"$work/version.txt" 2>&1 || true
  if compgen -G "$aside/*.dll" >/dev/null; then mv "$aside"/*.dll "$system32/"; fi
  local expected
  expected="$(winepath -w "$dir" 2>/dev/null)\\avisynth\\AviSynth.dll, that came with Clipquill"
  grep -qiF -- "$expected" "$work/version.txt" ||
    fail "$2: --version from another folder does not name $expected: $(tr -d '\r' <"$work/version.txt")"
}

# Waits for the window a .qtpl opened, and checks it was given the template.
opened_with_window() {
  local window="" args
  for _ in $(seq 600); do
    window="$(xdotool search --onlyvisible --name '^Clipquill$' 2>/dev/null | head -n1 || true)"
    if [[ -n "$window" ]]; then break; fi
    sleep 0.1
  done
  [[ -n "$window" ]] || fail "$1: no window"
  args="$(pgrep -af 'clipquill\.exe' || true)"
  grep -q 'Opened\.qtpl' <<<"$args" || fail "$1: the window was started without the template: $args"
  say "$1: the window started with the template"
  # The window is killed, not closed: the helper it started for the editor's
  # function table would outlive it and hold its program file open.
  pkill -f 'clipquill(-cli)?\.exe' || true
  for _ in $(seq 100); do
    if ! pgrep -f 'clipquill(-cli)?\.exe' >/dev/null; then break; fi
    sleep 0.1
  done
  sleep 1
}

# --- Per user: install, the user's own things, an upgrade, a .qtpl opened -------
machine_keys "$work/hklm-before"
"$WINE64" "$setup" /S /CURRENTUSER || fail "the per-user install failed ($?)"
installed HKCU "$user_programs" "$user_menu"
say "per user: the program folder in $user_programs, the shortcut, the types, the Apps entry"
machine_untouched "the per-user install"
say "per user: nothing written under HKEY_LOCAL_MACHINE (its classes and Apps entries)"
bundled_avisynth "$user_programs" "per user"
say "per user: the installed clipquill-cli.exe, run elsewhere, uses its own avisynth\\AviSynth.dll"

mkdir -p "$(dirname "$settings")"
printf 'preview.shown=0\n' >"$settings"
"$WINE64" reg add 'HKCU\Software\Clipquill\Hall' /v LoadInis /t REG_DWORD /d 0 /f >/dev/null
"$WINE64" "$setup" /S /CURRENTUSER || fail "the upgrade failed"
installed HKCU "$user_programs" "$user_menu"
grep -q 'preview.shown=0' "$settings" || fail "the upgrade lost the per-user settings"
reg_exists 'HKCU\Software\Clipquill\Hall' || fail "the upgrade lost the template's flags"
say "per user: an upgrade over it kept the per-user settings and the template's flags"

printf 'AviSource("<P><F>")\r\n' >"$work/Opened.qtpl"
# Wine 8 does not lay the user's own classes (HKCU\Software\Classes) over
# HKEY_CLASSES_ROOT as Windows does, so its shell cannot open a type
# registered per user: the registered command is run as Explorer would.
command="$(reg_default 'HKCU\Software\Classes\Clipquill.Template\shell\open\command')"
command="${command//%1/$(winepath -w "$work/Opened.qtpl")}"
printf '@%s\r\n' "$command" >"$work/open.bat"
(cd "$work" && "$WINE64" cmd /c "$(winepath -w "$work/open.bat")") >/dev/null 2>&1 &
opened_with_window "per user: the registered Open command"

"$WINE64" "$user_programs/uninstall.exe" /CURRENTUSER /S || fail "the per-user uninstall failed"
uninstalled HKCU "$user_programs" "$user_menu"
# The window opened above may have saved the settings, the former key under
# its new name, before it was ended, or not: the choice, not its spelling, is
# what must outlive the uninstall.
grep -Eq '^(PreviewShown|preview\.shown)=0' "$settings" || fail "the uninstall took the per-user settings"
reg_exists 'HKCU\Software\Clipquill\Hall' || fail "the uninstall took the template's flags"
[[ -f "$work/Opened.qtpl" ]] || fail "the uninstall took a template"
say "per user: the uninstall left nothing of its own, and the user's settings, flags and templates"

# --- For all users ---------------------------------------------------------------
"$WINE64" "$setup" /S /ALLUSERS || fail "the all-users install failed ($?)"
installed HKLM "$all_programs" "$all_menu"
if reg_exists "HKCU\\$uninstall_key"; then fail "the all-users install wrote the user's hive"; fi
say "all users: the program folder in $all_programs, the shortcut, the types, the Apps entry"
bundled_avisynth "$all_programs" "all users"
say "all users: the installed clipquill-cli.exe, run elsewhere, uses its own avisynth\\AviSynth.dll"
(cd "$work" && timeout 60 "$WINE64" start /unix "$work/Opened.qtpl") >/dev/null 2>&1 &
opened_with_window "all users: start Opened.qtpl"
"$WINE64" "$all_programs/uninstall.exe" /ALLUSERS /S || fail "the all-users uninstall failed"
uninstalled HKLM "$all_programs" "$all_menu"
say "all users: the uninstall left nothing of its own"

# --- With no switch: per user, silent or through the page ----------------------
# Wine runs every program elevated: a silent install given no scope is still
# the user's.
machine_keys "$work/hklm-before"
"$WINE64" "$setup" /S || fail "the silent install with no switch failed ($?)"
installed HKCU "$user_programs" "$user_menu"
machine_untouched "the silent install with no switch"
"$WINE64" "$user_programs/uninstall.exe" /CURRENTUSER /S || fail "its uninstall failed"
uninstalled HKCU "$user_programs" "$user_menu"
say "no switch, silent: per user, nothing under HKEY_LOCAL_MACHINE"

# Through the pages with Enter alone (welcome, licence, for whom, folder,
# finish): "Just me" is what the page offers first. INSTALLER_SHOTS, when
# set, is a folder for a picture of each page.
shot() {
  if [[ -n "${INSTALLER_SHOTS:-}" ]]; then
    mkdir -p "$INSTALLER_SHOTS"
    import -window root "$INSTALLER_SHOTS/$1.png" 2>/dev/null || true
  fi
}
# through_pages NAME [X Y]: installs with Enter on each page (welcome,
# licence, for whom, folder, finish), first clicking at X,Y of the window on
# the page for whom when given.
through_pages() {
  local name="$1" x="${2:-}" y="${3:-}" window="" page setup_pid
  "$WINE64" "$setup" >/dev/null 2>&1 &
  setup_pid=$!
  for _ in $(seq 600); do
    window="$(xdotool search --onlyvisible --name '^Clipquill .* Setup$' 2>/dev/null | head -n1 || true)"
    if [[ -n "$window" ]]; then break; fi
    sleep 0.1
  done
  [[ -n "$window" ]] || fail "$name: the installer showed no window"
  for page in 1-welcome 2-licence 3-for-whom 4-folder; do
    sleep 2
    if [[ "$page" == 3-for-whom && -n "$x" ]]; then
      xdotool mousemove --window "$window" "$x" "$y" click 1
      sleep 1
    fi
    shot "$name-$page"
    xdotool windowactivate --sync "$window" key Return 2>/dev/null ||
      fail "$name: could not press Enter on the page $page"
  done
  for _ in $(seq 600); do
    if reg_exists "HKCU\\$uninstall_key" || reg_exists "HKLM\\$uninstall_key"; then break; fi
    sleep 0.2
  done
  sleep 3
  shot "$name-5-finish"
  # Finish, leaving "Run Clipquill" as it is: the window starts.
  xdotool windowactivate --sync "$window" key Return 2>/dev/null || true
  for _ in $(seq 300); do
    if ! kill -0 "$setup_pid" 2>/dev/null; then break; fi
    sleep 0.1
  done
  if kill -0 "$setup_pid" 2>/dev/null; then fail "$name: the installer did not end after Finish"; fi
  sleep 2
  pkill -f 'clipquill\.exe' 2>/dev/null || true
  sleep 1
}
machine_keys "$work/hklm-before"
through_pages just-me
installed HKCU "$user_programs" "$user_menu"
machine_untouched "the install through the pages"
"$WINE64" "$user_programs/uninstall.exe" /CURRENTUSER /S || fail "its uninstall failed"
uninstalled HKCU "$user_programs" "$user_menu"
say "no switch, through the pages with Enter alone: Just me, nothing under HKEY_LOCAL_MACHINE"
# "Everyone" clicked (Wine runs the installer elevated already: no restart).
through_pages everyone 45 169
installed HKLM "$all_programs" "$all_menu"
if reg_exists "HKCU\\$uninstall_key"; then fail "everyone through the pages wrote the user's hive"; fi
"$WINE64" "$all_programs/uninstall.exe" /ALLUSERS /S || fail "its uninstall failed"
uninstalled HKLM "$all_programs" "$all_menu"
say "through the pages, Everyone clicked: installed in $all_programs, for all users"
say "passed"
