#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a desktop of its own: a fresh Xvfb display with Debian's
# openbox as the window manager, so that focus, stacking and decorations
# behave as on a user's desktop (offscreen Qt has none of them).
#
#   bash scripts/with-desktop.sh COMMAND [ARGS...]
#
# DISPLAY is set for the command; the display and the window manager end
# with it. WITH_DESKTOP_SIZE (default 1920x1080x24) sets the screen.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/deps.sh
source "$ROOT/scripts/deps.sh"
deps_install xvfb openbox xdotool imagemagick x11-utils

size="${WITH_DESKTOP_SIZE:-1920x1080x24}"
# -displayfd lets Xvfb pick a free display number: several runs at once
# never fight over :99.
fdfile="$(mktemp)"
Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
xvfb=$!
wm=""
cleanup() {
  if [[ -n "$wm" ]]; then kill "$wm" 2>/dev/null || true; fi
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -f "$fdfile"
}
trap cleanup EXIT

for _ in $(seq 100); do
  if [[ -s "$fdfile" ]]; then break; fi
  sleep 0.05
done
if [[ ! -s "$fdfile" ]]; then
  echo "with-desktop: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$fdfile")"

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# The window manager owns the screen once it has set its supporting window.
for _ in $(seq 100); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then break; fi
  sleep 0.05
done

set +e
"$@"
rc=$?
set -e
exit "$rc"
