#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times what a new user waits for: from "bash scripts/run.sh" in a fresh
# clone to Clipquill's main window on the screen, and then a second start
# from the same clone. The window counts as shown once the window manager has
# mapped a visible normal window captioned "Clipquill" (the splash, of the
# same caption, is a splash window): the clone runs on a desktop of its own, Xvfb with openbox
# (scripts/with-desktop.sh), watched with xdotool. The window is then ended.
#
#   bash scripts/time_first_start.sh
#
# The clone is of this checkout's last commit. The compiler cache is off, as
# on a fresh machine; packages already installed are not installed again.
# The window opens a template FFVideoSource("<P><F>") whose settings file
# names a folder of one real clip: the first start also waits until that
# clip's picture shows, which needs the AviSynth+ and FFMS2 that run.sh
# builds in the background (FFMS2 writes its index beside the clip then).
# Prints "first start: N s", "first picture: N s" and "second start: N s";
# fails only when the window or the picture does not show within
# FIRST_START_LIMIT seconds (default 1800).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
LIMIT="${FIRST_START_LIMIT:-1800}"

if [[ -z "${DISPLAY_FOR_TIMING:-}" ]]; then
  # shellcheck source=scripts/deps.sh
  source "$ROOT/scripts/deps.sh"
  deps_install git x11-utils ffmpeg
  work="$(mktemp -d "${TMPDIR:-/tmp}/clipquill-first-start.XXXXXX")"
  trap 'rm -rf "$work"' EXIT
  git clone --quiet "$ROOT" "$work/clone"
  # The vendored sources beside the clone, as beside any checkout.
  if [[ -d "$ROOT/../shared" ]]; then ln -s "$(cd "$ROOT/../shared" && pwd)" "$work/shared"; fi
  mkdir -p "$work/real"
  ffmpeg -loglevel error -f lavfi -i testsrc2=size=320x240:rate=25 -frames:v 10 -c:v mpeg4 \
    "$work/real/clip.mkv"
  printf 'FFVideoSource("<P><F>")\r\n' >"$work/Real.qtpl"
  printf '[Entries]\r\nClipLoc=%s/real/\r\n[FilterBy]\r\nExt0=mkv\r\n[FilterState]\r\nExt0State=1\r\n' \
    "$work" >"$work/Real.ini"
  DISPLAY_FOR_TIMING=1 CLONE="$work/clone" WORK="$work" \
    bash "$ROOT/scripts/with-desktop.sh" bash "${BASH_SOURCE[0]}"
  exit
fi

# Whether the main window is on the screen: visible, of the caption, and a
# normal window rather than the splash.
main_window_shown() {
  local w
  for w in $(xdotool search --onlyvisible --name '^Clipquill$' 2>/dev/null); do
    if xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q '_NET_WM_WINDOW_TYPE_NORMAL'; then
      return 0
    fi
  done
  return 1
}

# On the desktop: one timed start of run.sh, ended once its window shows
# (and with "picture", once the clip's picture shows).
timed_start() {
  local label="$1" wait_picture="${2:-}" log="$CLONE/../$1.log" began pid tenths
  began="${EPOCHREALTIME/./}"  # microseconds
  # A session of its own, so that run.sh, the build and the window end together.
  # A new user's home: no window size, option or library kept from before.
  mkdir -p "$WORK/home"
  (cd "$CLONE/.." && HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" CCACHE_DISABLE=1 \
    exec setsid bash "$CLONE/scripts/run.sh" "$WORK/Real.qtpl") \
    >"$log" 2>&1 &
  pid=$!
  until main_window_shown; do
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "$label start: run.sh ended before the window showed:" >&2
      tail -n 30 "$log" >&2
      return 1
    fi
    if (((${EPOCHREALTIME/./} - began) / 1000000 > LIMIT)); then
      kill -TERM -- "-$pid" 2>/dev/null || true
      echo "$label start: no window within $LIMIT s" >&2
      return 1
    fi
    sleep 0.1
  done
  tenths=$(((${EPOCHREALTIME/./} - began) / 100000))
  echo "$label start: $((tenths / 10)).$((tenths % 10)) s"
  if [[ -n "$wait_picture" ]]; then
    until [[ -f "$WORK/real/clip.mkv.ffindex" ]]; do
      # The background build ended without its libraries: no picture will come.
      if [[ ! -e "$CLONE/build-run/avisynth-building" && -s "$CLONE/build-run/logs/bundled-avisynth.log" ]] &&
        ! grep -q 'ready in' "$CLONE/build-run/logs/bundled-avisynth.log"; then
        kill -TERM -- "-$pid" 2>/dev/null || true
        echo "$label start: AviSynth+ and FFMS2 were not built:" >&2
        tail -n 20 "$CLONE/build-run/logs/bundled-avisynth.log" >&2
        return 1
      fi
      if (((${EPOCHREALTIME/./} - began) / 1000000 > LIMIT)); then
        kill -TERM -- "-$pid" 2>/dev/null || true
        echo "$label start: no picture within $LIMIT s" >&2
        tail -n 20 "$CLONE/build-run/logs/bundled-avisynth.log" >&2 || true
        return 1
      fi
      sleep 0.5
    done
    tenths=$(((${EPOCHREALTIME/./} - began) / 100000))
    echo "first picture: $((tenths / 10)).$((tenths % 10)) s (AviSynth+ and FFMS2 built meanwhile)"
  fi
  kill -TERM -- "-$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

timed_start first picture
timed_start second
