#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The template editor as a screen reader meets it: the real program on a
# desktop (Xvfb with openbox) with the accessibility bus running, asked
# through AT-SPI as Orca asks, while keys are typed with xdotool. The
# offscreen tests stand in for the screen reader; this one is the real bus.
#
#   bash tests/desktop/editor_screen_reader.sh PATH/TO/clipquill
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
program="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
if [[ -z "${CLIPQUILL_ON_DESKTOP:-}" ]]; then
  # shellcheck source=scripts/deps.sh
  source "$ROOT/scripts/deps.sh"
  deps_install at-spi2-core python3-pyatspi gir1.2-atspi-2.0 dbus-daemon
  exec env CLIPQUILL_ON_DESKTOP=1 bash "$ROOT/scripts/with-desktop.sh" \
    dbus-run-session -- bash "$0" "$program"
fi

work="$(mktemp -d)"
pid=""
bus=""
cleanup() {
  for p in "$pid" "$bus"; do
    if [[ -n "$p" ]] && kill -0 "$p" 2>/dev/null; then kill "$p" 2>/dev/null || true; fi
  done
  rm -rf "$work"
}
trap cleanup EXIT

export HOME="$work/home" XDG_CONFIG_HOME="$work/config"
mkdir -p "$HOME"
unset QT_QPA_PLATFORM
# An é in the first line, so that offsets are characters, not bytes.
printf 'AVISource("<P><F>") # caf\xc3\xa9\r\nTrim(0, 100)\r\n' >"$work/t.qtpl"

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus=$!
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" "$work/t.qtpl" >"$work/app.log" 2>&1 &
pid=$!

# Asks the editor through AT-SPI; prints "focused chars caret" (focused is 1
# or 0) and the line at the caret, or fails after about 10 s.
ask() {
  /usr/bin/python3 - <<'EOF'
import sys, time
import pyatspi

def editor():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if not app or "clipquill" not in (app.name or "").lower():
            continue
        todo = [app]
        while todo:
            node = todo.pop()
            for k in range(node.childCount):
                child = node.getChildAtIndex(k)
                if child is None:
                    continue
                if child.name == "Script template:" and child.getRoleName() == "text":
                    return child
                todo.append(child)
    return None

for _ in range(50):
    found = editor()
    if found:
        text = found.queryText()
        caret = text.caretOffset
        line = text.getTextAtOffset(caret, pyatspi.TEXT_BOUNDARY_LINE_START)[0]
        focused = found.getState().contains(pyatspi.STATE_FOCUSED)
        print(int(focused), text.characterCount, caret, line.rstrip("\n"))
        sys.exit(0)
    time.sleep(0.2)
print("no template editor on the accessibility bus", file=sys.stderr)
sys.exit(1)
EOF
}

fail() {
  echo "editor_screen_reader: $*" >&2
  cat "$work/app.log" >&2
  exit 1
}

before="$(ask)" || fail "the editor was not found"
# 26 characters (é is one), a line end, 12 more: 39; the caret at the start.
[[ "${before#? }" == "39 0 AVISource(\"<P><F>\") # café" ]] || fail "first answer: $before"

# Into the editor, once its window is on screen and the click has given the
# editor the focus: then Ctrl+End to its end and three keys one by one.
for _ in $(seq 1 50); do
  # The splash has the same name and may go while it is looked at: a
  # window that vanishes is looked for again.
  wid="$(xdotool search --onlyvisible --name '^Clipquill$' 2>/dev/null | tail -1)" || wid=""
  if [[ -n "$wid" ]]; then
    xdotool windowactivate --sync "$wid" 2>/dev/null || true
    if xdotool mousemove --window "$wid" 150 250 click 1 2>/dev/null &&
      [[ "$(ask)" == 1* ]]; then
      break
    fi
  fi
  sleep 0.2
done
xdotool key --delay 50 ctrl+End x y z
for _ in $(seq 1 50); do
  after="$(ask)" || fail "the editor was lost"
  if [[ "$after" == "1 42 42 Trim(0, 100)xyz" ]]; then
    echo "editor_screen_reader: ok ($before -> $after)"
    exit 0
  fi
  sleep 0.2
done
fail "after typing: $after"
