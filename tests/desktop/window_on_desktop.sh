#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window as a user meets it on a desktop with a window manager (Xvfb with
# openbox), which the offscreen tests cannot show: the splash drawn during a
# slow start, a path typed key by key into "Location of sources" arriving
# whole, the usage window beside the main window and above it after a click
# on the main window, and the close prompt's Cancel keeping the window.
#
#   bash tests/desktop/window_on_desktop.sh PATH/TO/clipquill
#
# Runs itself on a desktop of its own through scripts/with-desktop.sh.
# KEEP_SHOTS=DIR keeps the screenshots there.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
program="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
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
fail() {
  echo "window_on_desktop: $*" >&2
  if [[ -n "${KEEP_SHOTS:-}" ]]; then import -window root "$KEEP_SHOTS/failure.png" || true; fi
  exit 1
}

export HOME="$work/home" XDG_CONFIG_HOME="$work/config"
mkdir -p "$HOME" "$work/clips/take one" "$work/out"
touch "$work/clips/take one/a.avi"
unset QT_QPA_PLATFORM

# shellcheck source=tests/desktop/windows_on_screen.sh
source "$ROOT/tests/desktop/windows_on_screen.sh"
# "x y width height" of a window, its frame excluded.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
    /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}
# The mean brightness (0..1) of a part of a screenshot.
brightness() {
  convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:mean]' info:
}

# --- The splash during a slow start -----------------------------------------
# A large template keeps the main window's creation busy for a while.
yes 'AVISource("<P><F>") # a long template line to make the start slow' |
  head -c 100000000 >"$work/Big.qtpl" || true # yes ends on the closed pipe
"$program" "$work/Big.qtpl" &
pid=$!
splash=""
for _ in $(seq 100); do
  for id in $(xdotool search --onlyvisible --class clipquill 2>/dev/null || true); do
    read -r _ _ w h < <(geometry "$id")
    if [[ "$w" == 352 && "$h" == 161 ]]; then splash="$id"; fi
  done
  if [[ -n "$splash" ]]; then break; fi
  sleep 0.05
done
[[ -n "$splash" ]] || fail "no splash window"
read -r sx sy _ _ < <(geometry "$splash")
# Shot after shot while the splash stands: it must be drawn within moments
# of showing, long before the start-up's work ends.
whole=0 bar=0 caption=0
for _ in $(seq 20); do
  import -window root "$work/splash.png"
  whole="$(brightness "$work/splash.png" "352x161+$sx+$sy")"
  bar="$(brightness "$work/splash.png" "272x16+$((sx + 44))+$((sy + 125))")"
  caption="$(convert "$work/splash.png" -crop "200x36+$((sx + 44))+$((sy + 10))" +repage \
    -colorspace Gray -format '%[fx:maxima]' info:)"
  if awk -v w="$whole" -v b="$bar" -v c="$caption" 'BEGIN{exit !(w > 0.08 && b > 0.5 && c > 0.9)}'; then
    break
  fi
  sleep 0.05
done
if [[ -n "${KEEP_SHOTS:-}" ]]; then cp "$work/splash.png" "$KEEP_SHOTS/"; fi
echo "splash: mean $whole, bar $bar, brightest of the caption $caption"
awk -v w="$whole" -v b="$bar" -v c="$caption" 'BEGIN{exit !(w > 0.08 && b > 0.5 && c > 0.9)}' ||
  fail "the splash is not drawn (mean $whole, bar $bar, caption $caption)"

main="$(window_named '^Clipquill$' 600)" || fail "no main window"
read -r mx my mw mh < <(geometry "$main")

# --- A path typed key by key ------------------------------------------------
xdotool windowactivate --sync "$main"
sleep 0.3
# The focus starts in "Location of sources"; its home folder text goes first.
xdotool key --clearmodifiers Home shift+End BackSpace
typed="$work/clips/take one"
xdotool type --delay 15 "$typed"
sleep 0.3
# Saving writes the field to the settings file: the text as it arrived.
xdotool key --clearmodifiers ctrl+s
save="$(window_named 'Save' 50)" || fail "no save dialog (a box took the keys?)"
sleep 0.3
xdotool key --clearmodifiers ctrl+a # the preset name goes
xdotool type --delay 5 "$work/Saved.qtpl"
xdotool key Return
for _ in $(seq 50); do
  if [[ -f "$work/Saved.ini" ]]; then break; fi
  sleep 0.1
done
grep -qxF "ClipLoc=$typed"$'\r' "$work/Saved.ini" ||
  fail "the typed path did not arrive: $(grep ClipLoc "$work/Saved.ini" || echo 'no settings file')"
echo "typed path arrived whole"

# --- The usage window beside the main window, and kept above it -------------
xdotool key --clearmodifiers ctrl+u
usage="$(window_named '^Using Clipquill$' 50)" || fail "no usage window"
sleep 0.3
read -r ux _ uw _ < <(geometry "$usage")
screen_w="$(xdotool getdisplaygeometry | cut -d' ' -f1)"
# Beside the main window where the screen has room for it there; else as
# far right as the screen lets it stand, never past its edge.
if ((mx + mw + uw <= screen_w)); then
  ((ux >= mx + mw)) || fail "the usage window at x $ux covers the main window ($mx..$((mx + mw)))"
else
  ((ux + uw <= screen_w && ux + uw >= screen_w - 40)) ||
    fail "the usage window at x $ux (width $uw) is not at the screen's right edge ($screen_w)"
fi
xdotool mousemove --sync $((mx + mw / 2)) $((my + mh / 2)) click 1
sleep 0.3
# Bottom to top: after the click the usage window still stands above.
stacking="$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/, /\n/g')"
place() { grep -n -x "$(printf '0x%x' "$1")" <<<"$stacking" | cut -d: -f1; }
main_at="$(place "$main")" usage_at="$(place "$usage")"
[[ -n "$main_at" && -n "$usage_at" ]] || fail "windows not in the stacking list: $stacking"
((usage_at > main_at)) || fail "a click on the main window hid the usage window"
echo "usage window at x $ux, right of the main window or at the screen's edge, and above it after a click"
if [[ -n "${KEEP_SHOTS:-}" ]]; then import -window root "$KEEP_SHOTS/usage.png"; fi

# --- The close prompt -------------------------------------------------------
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers ctrl+a # toggles an option: unsaved changes
xdotool key --clearmodifiers ctrl+x
prompt="$(window_named '^Information$' 50)" || fail "no close prompt"
if [[ -n "${KEEP_SHOTS:-}" ]]; then import -window root "$KEEP_SHOTS/prompt.png"; fi
sleep 0.3
xdotool key Escape
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "Escape on the close prompt closed the window"
window_named '^Clipquill$' 10 >/dev/null || fail "the main window went after Cancel"
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers ctrl+x
prompt="$(window_named '^Information$' 50)" || fail "no close prompt the second time"
sleep 0.3
xdotool key alt+d
process_ends "$pid" || fail "Don't Save did not close the window"
wait "$pid" || true
pid=""
echo "window_on_desktop: passed"
