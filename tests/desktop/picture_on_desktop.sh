#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window's picture, as a user first sees it: PROGRAM started on a desktop
# of its own (Xvfb with openbox) with a red BlankClip template, a new user's
# home and no option set, so that the picture comes from the AviSynth+ it
# finds by itself. Its red pixels on the screen are the proof that the
# picture shows.
#
#   bash tests/desktop/picture_on_desktop.sh PATH/TO/clipquill [SHOT.png]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
program="$1"
shot="${2:-}"
if [[ -z "${CLIPQUILL_ON_DESKTOP:-}" ]]; then
  exec env CLIPQUILL_ON_DESKTOP=1 bash "$ROOT/scripts/with-desktop.sh" bash "$0" "$program" "$shot"
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/clipquill-picture.XXXXXX")"
pid=""
cleanup() {
  if [[ -n "$pid" ]]; then kill "$pid" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
if [[ -z "$shot" ]]; then shot="$work/picture.png"; fi

mkdir -p "$work/home"
printf 'BlankClip(width=320, height=240, color=$FF0000)\r\n' >"$work/Red.qtpl"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" "$program" "$work/Red.qtpl" \
  >"$work/program.log" 2>&1 &
pid=$!
red=0
for _ in $(seq 60); do
  sleep 1
  import -window root "$shot"
  red="$(convert "$shot" -fill white -opaque '#FF0000' -fill black +opaque white \
    -format '%[fx:int(mean*w*h)]' info:)"
  if ((red >= 500)); then break; fi
done
if ((red < 500)); then
  echo "picture_on_desktop: no picture within 60 s ($red red pixels)" >&2
  cat "$work/program.log" >&2
  exit 1
fi
echo "picture_on_desktop: the picture shows ($red red pixels)"
