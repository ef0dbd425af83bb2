#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The two actions on video files as a file manager starts them, on a desktop
# (Xvfb with openbox) with a session bus: each desktop entry validated and
# launched through `gio launch`, which expands its Exec line by the desktop
# entry rules, with three clips whose names hold spaces and non-ASCII.
# "Make AviSynth scripts": the scripts' bytes, the notification as a
# stand-in for the desktop's service receives it and its action opening the
# folder; three processes started at once (a desktop that starts one per
# file) gathered into one run and one notification; existing scripts asked
# about in a small window. "Open in Clipquill": the window's clip list, read
# through the accessibility bus, with those clips selected, nothing written.
#
#   bash tests/desktop/clips_from_file_manager.sh BUILD/bin
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
bin="$(cd "$1" && pwd)"
if [[ -z "${CLIPQUILL_ON_DESKTOP:-}" ]]; then
  # shellcheck source=scripts/deps.sh
  source "$ROOT/scripts/deps.sh"
  deps_install at-spi2-core python3-pyatspi gir1.2-atspi-2.0 dbus-daemon desktop-file-utils \
    libglib2.0-bin python3-dbus python3-gi
  exec env CLIPQUILL_ON_DESKTOP=1 bash "$ROOT/scripts/with-desktop.sh" \
    dbus-run-session -- bash "$0" "$bin"
fi

work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do
    if kill -0 "$p" 2>/dev/null; then kill "$p" 2>/dev/null || true; fi
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "clips_from_file_manager: $*" >&2
  for log in "$work"/*.log; do
    [[ -s "$log" ]] && { echo "--- $log" >&2; cat "$log" >&2; }
  done
  exit 1
}

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
unset QT_QPA_PLATFORM
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Clipquill" "$work/apps" "$work/fakebin"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The folder is opened through xdg-open, as on a desktop without its own
# opener; the stand-in says which folder.
printf '#!/bin/sh\necho "$@" >>"%s/opened.txt"\n' "$work" >"$work/fakebin/xdg-open"
chmod +x "$work/fakebin/xdg-open"
export PATH="$bin:$work/fakebin:$PATH"
printf 'AVISource("<P><F>")\r\n' >"$XDG_CONFIG_HOME/Clipquill/DefaultTemplate.qtpl"

clips="$work/clips é"
mkdir -p "$clips" "$work/apart"
names=("Take 1.avi" "Café scène.mkv" "naïve 2.mp4")
for n in "${names[@]}"; do : >"$clips/$n"; : >"$work/apart/$n"; done

for entry in MakeScripts OpenClips; do
  file="$ROOT/resources/linux/org.clipquill.Clipquill.$entry.desktop"
  desktop-file-validate "$file" || fail "$entry: desktop-file-validate"
  cp "$file" "$work/apps/"
done

# The desktop's notification service: records each notice, and answers
# every one with its action, as a click on it would.
/usr/bin/python3 - "$work/notices.txt" >"$work/notices.log" 2>&1 <<'EOF' &
import sys
import dbus, dbus.service, dbus.mainloop.glib
from gi.repository import GLib

IFACE = "org.freedesktop.Notifications"
dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)

class Service(dbus.service.Object):
    count = 0

    @dbus.service.method(IFACE, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        Service.count += 1
        ident = Service.count
        with open(sys.argv[1], "a", encoding="utf-8") as out:
            out.write("%s|%s|%s\n" % (summary, body.replace("\n", "/"), ",".join(actions)))
        if actions:
            GLib.timeout_add(200, lambda: (self.ActionInvoked(ident, actions[0]), False)[1])
        return dbus.UInt32(ident)

    @dbus.service.method(IFACE, out_signature="as")
    def GetCapabilities(self):
        return ["actions", "body"]

    @dbus.service.signal(IFACE, signature="us")
    def ActionInvoked(self, ident, key):
        pass

    @dbus.service.signal(IFACE, signature="uu")
    def NotificationClosed(self, ident, reason):
        pass

bus = dbus.SessionBus()
name = dbus.service.BusName(IFACE, bus)
Service(bus, "/org/freedesktop/Notifications")
GLib.MainLoop().run()
EOF
pids+=($!)
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
sleep 1

# Waits for the count of notices to reach $1; prints the last.
notice() {
  for _ in $(seq 1 100); do
    if [[ -f "$work/notices.txt" ]] && (($(wc -l <"$work/notices.txt") >= $1)); then
      tail -n 1 "$work/notices.txt"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
expect_scripts() {
  local folder="$1" n base
  for n in "${names[@]}"; do
    base="${n%%.*}"
    [[ -f "$folder/$base.avs" ]] || fail "no $folder/$base.avs"
    [[ "$(od -An -c "$folder/$base.avs")" == "$(printf 'AVISource("%s/%s")\r\n' "$folder" "$n" | od -An -c)" ]] ||
      fail "$folder/$base.avs holds: $(cat -A "$folder/$base.avs")"
  done
}

# --- Make AviSynth scripts, the selection passed at once (%F) -----------------
make="$work/apps/org.clipquill.Clipquill.MakeScripts.desktop"
gio launch "$make" "$clips/${names[0]}" "$clips/${names[1]}" "$clips/${names[2]}" \
  >"$work/launch.log" 2>&1 || fail "gio launch Make AviSynth scripts"
got="$(notice 1)" || fail "no notification after Make AviSynth scripts"
[[ "$got" == "3 scripts written in $clips|You have no default template of your own"* ]] &&
  fail "the user's default template was not used: $got"
[[ "$got" == "3 scripts written in $clips||default,Open Folder" ]] || fail "notification: $got"
expect_scripts "$clips"
for _ in $(seq 1 50); do [[ -s "$work/opened.txt" ]] && break; sleep 0.1; done
# The folder as a URL: its space and é escaped.
[[ "$(cat "$work/opened.txt" 2>/dev/null)" == "file://$work/clips%20%C3%A9/" ]] ||
  fail "the notification's action opened: $(cat "$work/opened.txt" 2>/dev/null)"
echo "clips_from_file_manager: Make AviSynth scripts: 3 scripts, notified, folder opened"

# --- One process per file, started together: one run, one notification -------
for n in "${names[@]}"; do
  clipquill-cli --clips --desktop "$work/apart/$n" >>"$work/apart.log" 2>&1 &
  pids+=($!)
done
got="$(notice 2)" || fail "no notification for the processes started together"
[[ "$got" == "3 scripts written in $work/apart|"* ]] || fail "started together: $got"
expect_scripts "$work/apart"
sleep 1
(($(wc -l <"$work/notices.txt") == 2)) || fail "more than one notification: $(cat "$work/notices.txt")"
echo "clips_from_file_manager: three processes gathered into one run"

# --- Existing scripts: the question in a small window, Replace All ------------
for n in "${names[@]}"; do printf 'old' >"$clips/${n%%.*}.avs"; done
gio launch "$make" "$clips/${names[0]}" "$clips/${names[1]}" "$clips/${names[2]}" \
  >>"$work/launch.log" 2>&1 || fail "gio launch Make AviSynth scripts again"
box=""
for _ in $(seq 1 100); do
  box="$(xdotool search --onlyvisible --name '^(Warning|Confirm)$' 2>/dev/null | head -1)" || box=""
  [[ -n "$box" ]] && break
  sleep 0.1
done
[[ -n "$box" ]] || fail "no question about the existing scripts"
if [[ -n "${KEEP_SHOTS:-}" ]]; then import -window root "$KEEP_SHOTS/replace-question.png" || true; fi
xdotool windowactivate --sync "$box" key --delay 100 alt+a
got="$(notice 3)" || fail "no notification after Replace All"
[[ "$got" == "3 scripts written in $clips|"* ]] || fail "after Replace All: $got"
expect_scripts "$clips"
echo "clips_from_file_manager: existing scripts asked about in a window, replaced"

# --- Open in Clipquill: the window with the clips selected --------------------
rm -f "$clips"/*.avs
gio launch "$work/apps/org.clipquill.Clipquill.OpenClips.desktop" "$clips/${names[2]}" \
  "$clips/${names[0]}" "$clips/${names[1]}" >>"$work/launch.log" 2>&1 || fail "gio launch Open in Clipquill"
selected="$(/usr/bin/python3 - <<'EOF'
import sys, time
import pyatspi

def clip_list():
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
                if child.name == "Source(s):" and child.getRoleName() in ("list", "list box"):
                    return child
                todo.append(child)
    return None

for _ in range(100):
    found = clip_list()
    if found and found.childCount > 0:
        names = []
        for k in range(found.childCount):
            item = found.getChildAtIndex(k)
            if item.getState().contains(pyatspi.STATE_SELECTED):
                names.append(item.name)
        print("|".join(names))
        sys.exit(0)
    time.sleep(0.1)
print("no clip list on the accessibility bus", file=sys.stderr)
sys.exit(1)
EOF
)" || fail "the window's clip list was not found"
# In the list's order, whatever the order given.
[[ "$selected" == "Café scène.mkv|naïve 2.mp4|Take 1.avi" ]] || fail "selected: $selected"
if [[ -n "${KEEP_SHOTS:-}" ]]; then import -window root "$KEEP_SHOTS/open-in-clipquill.png" || true; fi
[[ -z "$(find "$clips" -name '*.avs')" ]] || fail "Open in Clipquill wrote scripts"
echo "clips_from_file_manager: Open in Clipquill selects $selected, writes nothing"
