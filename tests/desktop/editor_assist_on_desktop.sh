#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The template editor's knowledge of AviSynth+ on a desktop (Xvfb with
# openbox), with the AviSynth+ and FFMS2 of the build tree that the program
# finds beside itself: a typo of a filter underlined, the completion list
# after two letters, and the call tip after "(", each its own popup or mark
# on screen, typed with xdotool. The table is asked of AviSynth+ on the first
# start and kept in the cache folder given.
#
#   bash tests/desktop/editor_assist_on_desktop.sh PATH/TO/clipquill
#
# KEEP_SHOTS=DIR keeps the screenshots there (marks.png, completion.png,
# call_tip.png).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
program="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
# A build without them (the sanitizers' build) has no table to show: skipped.
beside="$(dirname "$program")/.."
if [[ ! -f "$beside/avisynthplus/build/avs_core/libavisynth.so" || ! -d "$beside/ffms2/plugins" ]]; then
  echo "editor_assist_on_desktop: skipped: no AviSynth+ and FFMS2 in $beside (scripts/test.sh builds them)"
  exit 77
fi
if [[ -z "${CLIPQUILL_ON_DESKTOP:-}" ]]; then
  exec env CLIPQUILL_ON_DESKTOP=1 bash "$ROOT/scripts/with-desktop.sh" bash "$0" "$program"
fi

work="$(mktemp -d)"
pid=""
cleanup() {
  if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
shots="${KEEP_SHOTS:-$work}"
fail() {
  echo "editor_assist_on_desktop: $*" >&2
  import -window root "$shots/failure.png" || true
  exit 1
}

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
mkdir -p "$HOME"
unset QT_QPA_PLATFORM
printf 'FFVideoSourse("<P><F>")\r\nTrim(0, 100)\r\n' >"$work/t.qtpl"

"$program" "$work/t.qtpl" >"$work/app.log" 2>&1 &
pid=$!

# The table asked of AviSynth+ and kept: the editor knows the filters now.
for _ in $(seq 1 150); do
  if compgen -G "$work/cache/clipquill/functions-*.bin" >/dev/null; then break; fi
  sleep 0.2
done
compgen -G "$work/cache/clipquill/functions-*.bin" >/dev/null ||
  fail "no function table in the cache: $(cat "$work/app.log")"

wid=""
for _ in $(seq 1 50); do
  wid="$(xdotool search --onlyvisible --name '^Clipquill' 2>/dev/null | tail -1)" || wid=""
  if [[ -n "$wid" ]]; then break; fi
  sleep 0.2
done
[[ -n "$wid" ]] || fail "no main window"
xdotool windowactivate --sync "$wid" 2>/dev/null || true
sleep 0.5

# "x y width height" of a window.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
    /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}
# How many pixels of the window's area are the marks' red.
red_pixels() {
  read -r x y w h < <(geometry "$wid")
  convert "$1" -crop "${w}x${h}+${x}+${y}" +repage -fuzz 12% -fill black +opaque '#d02020' \
    -fill white -opaque '#d02020' -format '%[fx:round(mean*w*h)]' info:
}
# The visible windows of the program: a list or a tip is a popup of its own.
windows() {
  xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l
}

# --- The typo underlined ------------------------------------------------------
import -window root "$shots/marks.png"
red="$(red_pixels "$shots/marks.png")"
((red > 10)) || fail "FFVideoSourse is not underlined ($red red pixels)"

# --- Completion after two letters --------------------------------------------
# Into the editor: a click on its text, then to the end of the template.
read -r x y _ _ < <(geometry "$wid")
editor_id="$wid"
xdotool mousemove --window "$editor_id" 300 330 click 1
xdotool key --delay 60 ctrl+End Return
before="$(windows)"
xdotool type --delay 80 'FFV'
for _ in $(seq 1 25); do
  if (($(windows) > before)); then break; fi
  sleep 0.2
done
(($(windows) > before)) || fail "no completion list after FFV"
import -window root "$shots/completion.png"
xdotool key Return
sleep 0.3

# --- The call tip after "(" ----------------------------------------------------
xdotool type --delay 80 '("a", '
for _ in $(seq 1 25); do
  if (($(windows) > before)); then break; fi
  sleep 0.2
done
(($(windows) > before)) || fail "no call tip after FFVideoSource("
import -window root "$shots/call_tip.png"
echo "editor_assist_on_desktop: ok (marks $red red pixels; list and tip shown)"
