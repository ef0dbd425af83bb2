#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window's figures on Windows, under wine64 on a desktop of its own, each
# beside its floor in the same run (printed, never judged):
#   - start to shown: clipquill.exe from its start to its main window on
#     screen, beside a bare Qt Widgets window (bare_window.exe) built the same
#     way, each the median of ROUNDS starts (default 3), taken in turns;
#   - Create Script(s) of CLIPS clips (default 10,000; 2,000 in the short run
#     CI asks for with CLIPQUILL_BENCH_SHORT=1, as Wine's cost per new name
#     grows with the folder): from the key to the last script on disk, beside
#     clipquill-cli.exe writing the same scripts (its whole run, its own start
#     under Wine included), each within LIMIT seconds (default 120), else how
#     far each got.
#
#   WINEPREFIX=... bash bench/windows/window_figures.sh PROGRAM_FOLDER BARE_WINDOW_EXE
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
folder="$(cd "$1" && pwd)"
bare="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
if [[ -z "${CLIPQUILL_ON_DESKTOP:-}" ]]; then
  exec env CLIPQUILL_ON_DESKTOP=1 bash "$ROOT/scripts/with-desktop.sh" bash "$0" "$folder" "$bare"
fi
# shellcheck source=scripts/wine-on-desktop.sh
source "$ROOT/scripts/wine-on-desktop.sh"
ROUNDS="${ROUNDS:-3}"
if [[ -n "${CLIPQUILL_BENCH_SHORT:-}" && "${CLIPQUILL_BENCH_SHORT}" != 0 ]]; then
  CLIPS="${CLIPS:-2000}"
else
  CLIPS="${CLIPS:-10000}"
fi
# How long each side of the many-clips figure may take: a bound on CI's time.
LIMIT="${LIMIT:-120}"

work="$(mktemp -d "${TMPDIR:-/tmp}/clipquill-figures.XXXXXX")"
pid=""
cleanup() {
  if [[ -n "$pid" ]]; then kill "$pid" 2>/dev/null || true; fi
  wineserver --kill >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
winpath() { winepath -w "$1" 2>/dev/null; }
now() { date +%s.%N; }
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
# The id of a visible window named $1 at least $2 pixels wide, or nothing.
visible() {
  local id w
  for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null || true); do
    w="$(xwininfo -id "$id" 2>/dev/null | awk '/Width:/{print $2}')" || continue
    if [[ -n "$w" ]] && ((w >= $2)); then
      echo "$id"
      return 0
    fi
  done
  return 1
}
# Starts $1 and prints the seconds until a window named $2, $3 wide, shows.
time_to_shown() {
  local program="$1" name="$2" least="$3" t0 id=""
  t0="$(now)"
  "$WINE64" "$program" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1200); do
    if id="$(visible "$name" "$least")"; then break; fi
    sleep 0.02
  done
  [[ -n "$id" ]] || {
    echo "window_figures: $program showed no window" >&2
    exit 1
  }
  awk -v a="$t0" -v b="$(now)" 'BEGIN{printf "%.3f\n", b - a}'
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
}

# The bare window finds Qt's DLLs and plugins beside it, as clipquill.exe
# does, in a copy of the program folder.
cp -r "$folder" "$work/bare"
cp "$bare" "$work/bare/"
bare="$work/bare/$(basename "$bare")"

# One Wine server for every run, so that neither side pays for its start.
wineserver --persistent
# A first start of each, untimed: Wine's own first loads of the DLLs.
time_to_shown "$bare" '^Bare Qt window$' 100 >/dev/null
time_to_shown "$folder/clipquill.exe" '^Clipquill$' 400 >/dev/null
: >"$work/bare.times" && : >"$work/window.times"
for _ in $(seq "$ROUNDS"); do
  time_to_shown "$bare" '^Bare Qt window$' 100 >>"$work/bare.times"
  time_to_shown "$folder/clipquill.exe" '^Clipquill$' 400 >>"$work/window.times"
done
b="$(median <"$work/bare.times")" w="$(median <"$work/window.times")"
echo "start to shown: clipquill.exe ${w} s, bare Qt window ${b} s (medians of $ROUNDS)," \
  "ratio $(awk -v a="$w" -v b="$b" 'BEGIN{printf "%.3g", a / b}')"

# --- Create Script(s) of many clips, beside the command line ---------------------
mkdir -p "$work/clips" "$work/out" "$work/out-cli"
(cd "$work/clips" && seq -f 'clip%05g.avi' 1 "$CLIPS" | xargs touch)
printf 'AviSource("<P><F>")\r\n' >"$work/Many.qtpl"
"$WINE64" "$folder/clipquill.exe" "$(winpath "$work/Many.qtpl")" >/dev/null 2>&1 &
pid=$!
main=""
for _ in $(seq 600); do
  if main="$(visible '^Clipquill$' 400)"; then break; fi
  sleep 0.1
done
[[ -n "$main" ]] || { echo "window_figures: no main window" >&2; exit 1; }
xdotool windowactivate --sync "$main" || true
sleep 0.5
xdotool key --clearmodifiers alt+l Home shift+End BackSpace
xdotool type --delay 10 "$(winpath "$work/clips")"
sleep 3 # the list of many clips
xdotool key --clearmodifiers alt+a
sleep 1
xdotool key --clearmodifiers alt+d Home shift+End BackSpace
xdotool type --delay 10 "$(winpath "$work/out")"
sleep 0.5
t0="$(now)"
start=$SECONDS
xdotool key --clearmodifiers ctrl+Return
while ((SECONDS - start < LIMIT)); do
  if (($(find "$work/out" -maxdepth 1 -name '*.avs' | wc -l) >= CLIPS)); then break; fi
  sleep 0.1
done
t1="$(now)"
written="$(find "$work/out" -maxdepth 1 -name '*.avs' | wc -l)"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
pid=""
t2="$(now)"
(cd "$work" && timeout "$LIMIT" "$WINE64" "$folder/clipquill-cli.exe" -s clips -d out-cli Many.qtpl \
  >/dev/null 2>&1 </dev/null) || true
t3="$(now)"
cli_written="$(find "$work/out-cli" -maxdepth 1 -name '*.avs' | wc -l)"
if ((written < CLIPS || cli_written < CLIPS)); then
  echo "create $CLIPS scripts: within $LIMIT s clipquill.exe wrote $written," \
    "clipquill-cli.exe $cli_written (Wine looks a new name up through the whole folder)"
  exit 0
fi
awk -v n="$CLIPS" -v w="$(awk -v a="$t0" -v b="$t1" 'BEGIN{print b - a}')" \
  -v c="$(awk -v a="$t2" -v b="$t3" 'BEGIN{print b - a}')" \
  'BEGIN{printf "create %d scripts: clipquill.exe %.3f s, clipquill-cli.exe %.3f s, ratio %.3g\n", n, w, c, w / c}'
