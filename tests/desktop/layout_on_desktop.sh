#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The first window as a user sees it on a desktop with a window manager
# (Xvfb with openbox), on a screen of the size and scale given: the frame
# inside the screen, a run whose scripts partly fail their check with
# AviSynth+, and the picture of a good script and of a failing one.
#
#   bash tests/desktop/layout_on_desktop.sh PATH/TO/clipquill WIDTHxHEIGHT [SCALE] [LIBAVISYNTH]
#
# Runs itself on a desktop of its own through scripts/with-desktop.sh.
# KEEP_SHOTS=DIR keeps the screenshots there.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
program="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
screen="$2"
scale="${3:-1}"
library="${4:-}"
if [[ -z "${CLIPQUILL_ON_DESKTOP:-}" ]]; then
  exec env CLIPQUILL_ON_DESKTOP=1 WITH_DESKTOP_SIZE="${screen}x24" \
    bash "$ROOT/scripts/with-desktop.sh" bash "$0" "$program" "$screen" "$scale" "$library"
fi

work="$(mktemp -d)"
pid=""
cleanup() {
  if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
shot() {
  if [[ -n "${KEEP_SHOTS:-}" ]]; then
    import -window root "$KEEP_SHOTS/layout-$screen-scale$scale-$1.png" || true
  fi
}
fail() {
  echo "layout_on_desktop ($screen, scale $scale): $*" >&2
  shot failure
  exit 1
}
# shellcheck source=tests/desktop/windows_on_screen.sh
source "$ROOT/tests/desktop/windows_on_screen.sh"

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" QT_SCALE_FACTOR="$scale"
unset QT_QPA_PLATFORM
# AviSynth+ as the loader finds it, when named.
if [[ -n "$library" ]]; then export LD_LIBRARY_PATH="$(dirname "$library")${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"; fi
mkdir -p "$HOME" "$work/clips" "$work/out"
# Two good clips, and four whose quote ends the template's string early.
for clip in a b 'q1"' 'q2"' 'q3"' 'q4"'; do touch "$work/clips/$clip.avi"; done
printf 'name = "<F>"\r\nBlankClip(width=320, height=240, length=100, color=$204060)\r\nSubtitle(name)\r\n' >"$work/Hall.qtpl"
printf '[Entries]\r\nClipLoc=%s\r\nScriptDest=%s\r\n[FilterBy]\r\nExt0=avi\r\n[FilterState]\r\nExt0State=1\r\n' \
  "$work/clips" "$work/out" >"$work/Hall.ini"

"$program" "$work/Hall.qtpl" &
pid=$!
main="$(window_named '^Clipquill$' 300)" || fail "no main window"
sleep 2.5 # placed again once the window manager has framed it

read -r sw sh < <(xdpyinfo | awk '/dimensions:/{split($2, d, "x"); print d[1], d[2]}')
read -r X Y WIDTH HEIGHT < <(xwininfo -id "$main" | awk '/Absolute upper-left X/{x=$4}
  /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
extents="$(xprop -id "$main" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')"
read -r left right top bottom <<<"${extents:-0 0 0 0}"
((X - left >= 0 && Y - top >= 0 && X + WIDTH + right <= sw && Y + HEIGHT + bottom <= sh)) ||
  fail "the frame ($((X - left)),$((Y - top)) $((WIDTH + left + right))x$((HEIGHT + top + bottom))) leaves the ${sw}x${sh} screen"
echo "first window on ${sw}x${sh} at scale $scale: ${WIDTH}x${HEIGHT} device pixels plus $extents"

xdotool windowactivate --sync "$main"
sleep 0.3
xdotool key --clearmodifiers alt+a # De/Select All
sleep 2                            # the picture of a's script
shot picture
xdotool key --clearmodifiers ctrl+Return
sleep 4 # written, then checked
shot failed
xdotool key --clearmodifiers alt+u End # on a failing clip: its error under the picture
sleep 3
shot error
[[ -n "$(ls -A "$work/out")" ]] || fail "no script written"

xdotool key --clearmodifiers ctrl+x
if prompt="$(window_named '^Information$' 30)"; then
  xdotool windowactivate --sync "$prompt"
  xdotool key alt+d
fi
process_ends "$pid" || fail "the window did not close"
wait "$pid" || true
pid=""
echo "layout_on_desktop ($screen, scale $scale): passed"
