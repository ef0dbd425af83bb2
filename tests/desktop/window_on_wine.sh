#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows program folder's clipquill.exe as a user meets it: under wine64
# on a desktop with a window manager (Xvfb with openbox), driven key by key
# with xdotool. A source folder typed as a Windows path, every clip selected,
# Create Script(s), the scripts checked byte for byte; the folder picker's
# drive selector offering C: and Wine's Z: (each chosen, and what the field
# then holds read back from a saved settings file); the close prompt's
# Cancel, Save and Don't Save; Options > AviSynth+ Library... and Clip Name
# to Last Dot kept across a start; the splash and the window shot at scale 1
# and 2.
#
#   WINEPREFIX=... bash tests/desktop/window_on_wine.sh PROGRAM_FOLDER [SHOTS_DIR]
#
# The Wine prefix must exist and say Windows 10 (scripts/test-windows.sh
# makes it). Runs itself on a desktop of its own through
# scripts/with-desktop.sh. Screenshots go to SHOTS_DIR (default: a
# temporary folder, removed).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
folder="$(cd "$1" && pwd)"
shots="${2:-}"
if [[ -z "${CLIPQUILL_ON_DESKTOP:-}" ]]; then
  exec env CLIPQUILL_ON_DESKTOP=1 bash "$ROOT/scripts/with-desktop.sh" bash "$0" "$folder" "$shots"
fi
# shellcheck source=scripts/wine-on-desktop.sh
source "$ROOT/scripts/wine-on-desktop.sh"

work="$(mktemp -d "${TMPDIR:-/tmp}/clipquill-wine.XXXXXX")"
if [[ -z "$shots" ]]; then shots="$work/shots"; fi
mkdir -p "$shots"
pid=""
cleanup() {
  if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  wineserver --kill >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "window_on_wine: $*" >&2
  import -window root "$shots/failure.png" 2>/dev/null || true
  exit 1
}
winpath() { winepath -w "$1" 2>/dev/null; }

# Waits up to $2 tenths of a second for a visible window named $1 at least
# $3 pixels wide (the splash has the main window's name, and is narrower).
window_named() {
  local name="$1" tries="${2:-100}" least="${3:-0}" id w
  for _ in $(seq "$tries"); do
    for id in $(xdotool search --onlyvisible --name "$name" 2>/dev/null || true); do
      w="$(xwininfo -id "$id" 2>/dev/null | awk '/Width:/{print $2}')" || continue
      if [[ -n "$w" ]] && ((w >= least)); then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}
# Waits up to $1 tenths of a second for the program to end.
ended() {
  for _ in $(seq "$1"); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" || true
      pid=""
      return 0
    fi
    sleep 0.1
  done
  return 1
}
# Saves the template through the Save dialog as $1 (a Linux path).
save_as() {
  # A dialog just closed may leave no window active under Wine.
  xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
  sleep 0.3
  xdotool key --clearmodifiers ctrl+s
  window_named '^Save' 100 >/dev/null || fail "no Save dialog"
  sleep 0.5
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 "$(winpath "$1")"
  xdotool key Return
  for _ in $(seq 100); do
    if [[ -f "${1%.qtpl}.ini" ]]; then return 0; fi
    sleep 0.1
  done
  fail "the template was not saved as $1"
}
# Waits for the close prompt and gives it the focus: on a busy machine the
# prompt is found before its window manager frame and focus have come.
close_prompt() {
  local prompt
  prompt="$(window_named '^Information$' "$1")" || return 1
  xdotool windowactivate --sync "$prompt" >/dev/null 2>&1 || true
  sleep 0.5
}
# The value of key $2 in settings file $1, without its CR.
setting() { grep -a "^$2=" "$1" | head -n1 | cut -d= -f2- | tr -d '\r'; }

mkdir -p "$work/clips" "$work/out"
: >"$work/clips/a.avi"
: >"$work/clips/b.avi"
: >"$work/clips/c.mkv"
printf 'AviSource("<P><F>")\r\n' >"$work/Hall.qtpl"
clips_win="$(winpath "$work/clips")"
out_win="$(winpath "$work/out")"

# --- Start, scale 1: the splash, then the window ------------------------------
start=$SECONDS
"$WINE64" "$folder/clipquill.exe" "$(winpath "$work/Hall.qtpl")" >"$work/program.log" 2>&1 &
pid=$!
# A fresh Wine prefix's first window takes Wine a while (its fonts, its
# desktop): up to two minutes.
splash_seen=0
while ((SECONDS - start < 120)); do
  if window_named '^Clipquill$' 1 >/dev/null; then
    import -window root "$shots/splash-scale1.png" 2>/dev/null || true
    splash_seen=1
    break
  fi
  sleep 0.05
done
((splash_seen)) || fail "nothing named Clipquill came up ($(cat "$work/program.log"))"
main="$(window_named '^Clipquill$' 600 400)" || fail "no main window"
echo "window_on_wine: the window is up after $((SECONDS - start)) s"
sleep 1
import -window root "$shots/window-scale1.png"

# --- A source folder typed key by key, every clip, Create Script(s) -----------
xdotool windowactivate --sync "$main" || true
sleep 0.5
# Types $2 key by key into the field whose label's letter is $1, over its text.
fill() {
  xdotool key --clearmodifiers "alt+$1" Home shift+End BackSpace
  xdotool type --delay 30 "$2"
  sleep 0.5
}
fill l "$clips_win"
xdotool key --clearmodifiers alt+a
sleep 0.3
fill d "$out_win"
xdotool key --clearmodifiers ctrl+Return
for _ in $(seq 100); do
  if (($(find "$work/out" -name '*.avs' | wc -l) == 3)); then break; fi
  sleep 0.1
done
import -window root "$shots/created-scale1.png"
for clip in a.avi b.avi c.mkv; do
  script="$work/out/${clip%.*}.avs"
  [[ -f "$script" ]] || fail "no script for $clip: $(ls "$work/out")"
  printf 'AviSource("%s\\%s")\r\n' "$clips_win" "$clip" | cmp -s - "$script" ||
    fail "${clip%.*}.avs is not as written: $(od -c "$script" | head -n 3)"
done
[[ "$(find "$work/out" -type f | wc -l)" == 3 ]] || fail "more than the three scripts: $(ls -A "$work/out")"
echo "window_on_wine: a typed Windows path, three clips, three scripts byte for byte"

# --- The folder picker's drive selector: C: and Z: -------------------------
for drive in c z; do
  xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
  sleep 0.3
  xdotool key --clearmodifiers alt+c
  picker="$(window_named 'Clips Folder$' 100)" || fail "no folder picker"
  sleep 0.5
  # The drive selector has the focus; a letter picks the drive of that name.
  xdotool key --clearmodifiers "$drive"
  sleep 0.5
  import -window root "$shots/picker-$drive.png"
  # Tab to the list, Tab to OK ("New Folder" is hidden for the clips).
  xdotool key --clearmodifiers Tab Tab Return
  for _ in $(seq 50); do
    if ! xdotool search --onlyvisible --name 'Clips Folder$' >/dev/null 2>&1; then break; fi
    sleep 0.1
  done
  save_as "$work/Drive-$drive.qtpl"
  loc="$(setting "$work/Drive-$drive.ini" ClipLoc)"
  [[ "${loc,,}" == "${drive}:\\"* ]] || fail "drive ${drive^^}: gave the source folder '$loc'"
  echo "window_on_wine: drive ${drive^^}: in the picker, chosen as '$loc'"
done

# --- The close prompt: Cancel keeps the window, Save saves and closes -------
xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
sleep 0.3
xdotool key --clearmodifiers ctrl+a # an option toggled: a change to save
xdotool key --clearmodifiers ctrl+x
close_prompt 100 || fail "no close prompt"
import -window root "$shots/prompt-scale1.png"
sleep 0.3
xdotool key Escape
sleep 1
kill -0 "$pid" 2>/dev/null || fail "Escape on the close prompt closed the window"
xdotool key --clearmodifiers ctrl+x
close_prompt 100 || fail "no close prompt the second time"
sleep 0.3
xdotool key --clearmodifiers alt+s
window_named '^Save' 100 >/dev/null || fail "Save on the close prompt asked for no name"
sleep 0.5
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 "$(winpath "$work/Closing.qtpl")"
xdotool key Return
ended 100 || fail "Save on the close prompt did not close the window"
[[ -f "$work/Closing.qtpl" ]] || fail "Save on the close prompt saved nothing"
echo "window_on_wine: the close prompt's Cancel kept the window, its Save saved and closed it"

# --- The picture, with no AviSynth+ installed ------------------------------------
# The folder's own avisynth\AviSynth.dll renders a red BlankClip: its pixels
# on the screen are the proof that the picture shows.
red_pixels() {
  import -window root "$1"
  convert "$1" -fill white -opaque '#FF0000' -fill black +opaque white \
    -format '%[fx:int(mean*w*h)]' info:
}
if [[ -f "$folder/avisynth/AviSynth.dll" ]]; then
  printf 'BlankClip(width=320, height=240, color=$FF0000)\r\n' >"$work/Blank.qtpl"
  "$WINE64" "$folder/clipquill.exe" "$(winpath "$work/Blank.qtpl")" >"$work/program.log" 2>&1 &
  pid=$!
  main="$(window_named '^Clipquill$' 600 400)" || fail "no main window for the picture"
  red=0
  for _ in $(seq 60); do
    red="$(red_pixels "$shots/picture.png")"
    if ((red >= 500)); then break; fi
    sleep 1
  done
  ((red >= 500)) || fail "no picture from the bundled AviSynth.dll ($red red pixels)"
  echo "window_on_wine: the bundled AviSynth.dll's picture shows ($red red pixels)"
  xdotool windowactivate --sync "$main" || true
  xdotool key --clearmodifiers ctrl+x
  ended 100 || fail "Exit did not close the window with the picture"
fi

# --- Options kept per user: AviSynth+ Library... and Clip Name to Last Dot ----
# A library chosen through the menu comes back from the registry whole (the
# registry store's own test covers names beyond ASCII: xdotool's typing of
# them does not reach Wine); the name option, set before a restart, still
# gives dotted clips scripts of their own after it.
library_dir="$work/AviSynth Plus"
mkdir -p "$library_dir" "$work/dotted" "$work/dotted-out"
if [[ -f "$folder/avisynth/AviSynth.dll" ]]; then
  cp "$folder/avisynth/AviSynth.dll" "$library_dir/AviSynth.dll"
else
  : >"$library_dir/AviSynth.dll"
fi
# The option starts off, whatever an earlier run in this prefix left.
settings_file="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Clipquill/settings"
if [[ -f "$settings_file" ]]; then sed -i '/^NameToLastDot=/d' "$settings_file"; fi
: >"$work/dotted/Show.S01E01.1080p.avi"
: >"$work/dotted/Show.S01E02.1080p.avi"
"$WINE64" "$folder/clipquill.exe" "$(winpath "$work/Hall.qtpl")" >"$work/program.log" 2>&1 &
pid=$!
main="$(window_named '^Clipquill$' 600 400)" || fail "no main window for the options"
xdotool windowactivate --sync "$main" || true
sleep 0.5
xdotool key --clearmodifiers alt+o b
window_named '^AviSynth\+ Library$' 100 >/dev/null || fail "no AviSynth+ Library dialog"
sleep 0.5
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 "$(winpath "$library_dir/AviSynth.dll")"
xdotool key Return
for _ in $(seq 50); do
  if ! xdotool search --onlyvisible --name '^AviSynth\+ Library$' >/dev/null 2>&1; then break; fi
  sleep 0.1
done
xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
sleep 0.3
xdotool key --clearmodifiers alt+o n
sleep 0.5
import -window root "$shots/options-scale1.png"
xdotool key --clearmodifiers ctrl+x
ended 100 || fail "Exit did not close the window after the options"
# The store writes below HKEY_LOCAL_MACHINE where it may (Wine's user may),
# else below HKEY_CURRENT_USER.
stored=""
for hive in HKLM HKCU; do
  rm -f "$work/options.reg"
  "$WINE64" reg export "$hive\\Software\\Clipquill" "$(winpath "$work/options.reg")" /y \
    >/dev/null 2>&1 || continue
  stored="$(iconv -f UTF-16LE -t UTF-8 "$work/options.reg" | tr -d '\r' |
    sed -n 's/^"AviSynthLibrary"="\(.*\)"$/\1/p' | sed 's/\\\\/\\/g')"
  if [[ -n "$stored" ]]; then break; fi
done
[[ "$stored" == "$(winpath "$library_dir/AviSynth.dll")" ]] ||
  fail "the AviSynth+ library stored as '$stored'"
echo "window_on_wine: Options > AviSynth+ Library... kept '$stored' in the registry"
"$WINE64" "$folder/clipquill.exe" "$(winpath "$work/Hall.qtpl")" >"$work/program.log" 2>&1 &
pid=$!
main="$(window_named '^Clipquill$' 600 400)" || fail "no main window after the options"
xdotool windowactivate --sync "$main" || true
sleep 0.5
fill l "$(winpath "$work/dotted")"
xdotool key --clearmodifiers alt+a
sleep 0.3
fill d "$(winpath "$work/dotted-out")"
xdotool key --clearmodifiers ctrl+Return
for _ in $(seq 100); do
  if (($(find "$work/dotted-out" -name '*.avs' | wc -l) == 2)); then break; fi
  sleep 0.1
done
for name in Show.S01E01.1080p Show.S01E02.1080p; do
  [[ -f "$work/dotted-out/$name.avs" ]] ||
    fail "Clip Name to Last Dot was not kept: $(ls "$work/dotted-out")"
done
echo "window_on_wine: Clip Name to Last Dot kept across a start: $(ls "$work/dotted-out" | tr '\n' ' ')"
xdotool key --clearmodifiers alt+o n # back as it was, for the runs that follow
sleep 0.3
xdotool key --clearmodifiers ctrl+x
if ! ended 50; then
  # The typed folders are a change to the template: leave it unsaved.
  close_prompt 50 && xdotool key --clearmodifiers alt+d
  ended 100 || fail "the window after the options did not close"
fi

# --- Scale 2: the window, then Don't Save -------------------------------------
# Wine keeps Qt's variables (QT_*) out of a Windows program's environment;
# a batch file sets it there.
printf '@set QT_SCALE_FACTOR=2\r\n@"%s" "%s"\r\n' "$(winpath "$folder/clipquill.exe")" \
  "$(winpath "$work/Hall.qtpl")" >"$work/scale2.bat"
"$WINE64" cmd /c "$(winpath "$work/scale2.bat")" >"$work/program.log" 2>&1 &
pid=$!
main="$(window_named '^Clipquill$' 600 800)" || fail "no main window at scale 2"
sleep 1
import -window root "$shots/window-scale2.png"
xdotool windowactivate --sync "$main" || true
xdotool key --clearmodifiers ctrl+a
xdotool key --clearmodifiers ctrl+x
close_prompt 100 || fail "no close prompt at scale 2"
import -window root "$shots/prompt-scale2.png"
sleep 0.3
xdotool key --clearmodifiers alt+d
ended 100 || fail "Don't Save did not close the window"
echo "window_on_wine: passed (screenshots in $shots)"
