#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window at batch scale on a desktop with a window manager (Xvfb with
# openbox), at the screen scale given: its frame inside the screen, clips
# that would share a script name refused with one box and nothing written,
# Alt+A with the find bar open replacing rather than dropping the
# selection, and keys, menus and Cancel taken while a big batch is written.
#
#   bash tests/desktop/batch_on_desktop.sh PATH/TO/clipquill [SCALE]
#
# Runs itself on a desktop of its own through scripts/with-desktop.sh.
# KEEP_SHOTS=DIR keeps the screenshots there.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
program="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
scale="${2:-1}"
if [[ -z "${CLIPQUILL_ON_DESKTOP:-}" ]]; then
  exec env CLIPQUILL_ON_DESKTOP=1 bash "$ROOT/scripts/with-desktop.sh" bash "$0" "$program" "$scale"
fi

work="$(mktemp -d)"
pid=""
cleanup() {
  if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
shot() {
  if [[ -n "${KEEP_SHOTS:-}" ]]; then import -window root "$KEEP_SHOTS/batch-$scale-$1.png" || true; fi
}
fail() {
  echo "batch_on_desktop (scale $scale): $*" >&2
  shot failure
  exit 1
}
# shellcheck source=tests/desktop/windows_on_screen.sh
source "$ROOT/tests/desktop/windows_on_screen.sh"

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" QT_SCALE_FACTOR="$scale"
unset QT_QPA_PLATFORM
mkdir -p "$HOME" "$work/clips" "$work/out"
for i in $(seq -w 1 300); do touch "$work/clips/Episode $i.avi"; done
touch "$work/clips/Episode 001.mkv"
printf 'AVISource("<P><F>")\r\n' >"$work/Batch.qtpl"
printf '[Entries]\r\nClipLoc=%s\r\nScriptName=*_enc\r\nScriptDest=%s\r\n[FilterBy]\r\nExt0=avi\r\nExt1=mkv\r\n[FilterState]\r\nExt0State=1\r\nExt1State=1\r\n' \
  "$work/clips" "$work/out" >"$work/Batch.ini"

"$program" "$work/Batch.qtpl" &
pid=$!
main="$(window_named '^Clipquill$' 300)" || fail "no main window"
sleep 2.5 # placed again once the window manager has framed it

# --- The frame inside the screen ---------------------------------------------
read -r sw sh < <(xdpyinfo | awk '/dimensions:/{split($2, d, "x"); print d[1], d[2]}')
read -r X Y WIDTH HEIGHT < <(xwininfo -id "$main" | awk '/Absolute upper-left X/{x=$4}
  /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
extents="$(xprop -id "$main" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')"
read -r left right top bottom <<<"${extents:-0 0 0 0}"
((X - left >= 0 && Y - top >= 0 && X + WIDTH + right <= sw && Y + HEIGHT + bottom <= sh)) ||
  fail "the frame ($((X - left)),$((Y - top)) $((WIDTH + left + right))x$((HEIGHT + top + bottom))) leaves the ${sw}x${sh} screen"
echo "frame inside the screen at scale $scale: ${WIDTH}x${HEIGHT} plus $extents"
shot window

# --- Clips that would share a script name ----------------------------------
xdotool windowactivate --sync "$main"
sleep 0.3
xdotool key --clearmodifiers alt+a # De/Select All
sleep 0.3
xdotool key --clearmodifiers ctrl+Return
box="$(window_named '^Error$' 50)" || fail "no box for the shared script name"
shot clash
xdotool windowactivate --sync "$box"
xdotool key Return
sleep 0.3
[[ -z "$(ls -A "$work/out")" ]] || fail "scripts were written: $(ls "$work/out" | head -3)"
echo "shared script name: one box, nothing written"

# --- Alt+A with the find bar open -------------------------------------------
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers alt+t # the template
xdotool key --clearmodifiers ctrl+h
sleep 0.3
xdotool type --delay 10 "AVISource"
xdotool key --clearmodifiers Tab
xdotool type --delay 10 "DirectShowSource"
shot findbar
xdotool key --clearmodifiers alt+a # Replace All: the selection stays
sleep 0.3
# Still all selected, so the run is refused again rather than writing none.
xdotool key --clearmodifiers ctrl+Return
box="$(window_named '^Error$' 50)" || fail "Alt+A dropped the selection"
xdotool windowactivate --sync "$box"
xdotool key Return
echo "Alt+A with the find bar open replaced all and kept the selection"

# --- Keys, menus and Cancel while a big batch is written --------------------
mkdir "$work/many"
(cd "$work/many" && seq -f 'clip %06g.avi' 1 100000 | xargs -d '\n' touch)
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers alt+t ctrl+f Escape # the find bar closes, its letters come back
xdotool key --clearmodifiers alt+l # its text selected, so typing replaces it
xdotool type --delay 10 "$work/many"
xdotool key --clearmodifiers Tab
# A sanitizer's build takes seconds over the typed keys and the listing.
sleep 5
xdotool key --clearmodifiers alt+a # all 100,000
sleep 5
xdotool key --clearmodifiers ctrl+Return
progress=""
# Listing and selecting 100,000 clips takes a while in a sanitizer's build.
for _ in $(seq 600); do
  progress="$(xdotool search --onlyvisible --name '^Clipquill$' 2>/dev/null | grep -vx "$main" | head -n1 || true)"
  if [[ -n "$progress" ]]; then break; fi
  sleep 0.1
done
[[ -n "$progress" ]] || fail "no progress window for a run of 100,000 scripts"
shot writing
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers ctrl+b # Help > About, while the run writes
about="$(window_named '^About$' 50)" || fail "the window took no key while the run wrote"
shot about-while-writing
xdotool windowactivate --sync "$about"
xdotool key Escape
xdotool search --onlyvisible --name '^Clipquill$' 2>/dev/null | grep -qx "$progress" ||
  fail "the run ended before the window's key could be shown to be taken"
xdotool windowactivate --sync "$progress"
xdotool key Escape # its Cancel
for _ in $(seq 100); do
  if ! xdotool search --onlyvisible --name '^Clipquill$' 2>/dev/null | grep -qx "$progress"; then break; fi
  sleep 0.1
done
written="$(find "$work/out" -name '*.avs' | wc -l)"
((written > 0 && written < 100000)) || fail "Cancel did not stop the run ($written of 100000 written)"
echo "while a run wrote: Help > About opened and closed, and Cancel stopped it at $written of 100000"

xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers ctrl+x
if prompt="$(window_named '^Information$' 30)"; then
  xdotool windowactivate --sync "$prompt"
  xdotool key alt+d
fi
process_ends "$pid" || fail "the window did not close"
wait "$pid" || true
pid=""
echo "batch_on_desktop (scale $scale): passed"
