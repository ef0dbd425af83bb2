#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package, installs it with apt-get as a user would, and
# checks Clipquill from the installed files only:
#   - an install tree moved elsewhere still finds its default template
#   - the package's dependencies come from dpkg-shlibdeps, and lintian finds
#     no error in it
#   - clipquill-cli --version, and a real bulk run on the installed default
#     template, which nothing writes into
#   - the window started on Qt's offscreen platform with a template, then
#     ended with SIGTERM (or, while the window is still a stub, its own exit)
#   - every program the check starts has ended before the package is removed:
#     one still running (the window, or anything it started) fails the check
#   - desktop-file-validate, appstreamcli validate, the ".qtpl" type through
#     xdg-mime and the shared-mime-info database, the desktop entry as the
#     type's handler, the icon sizes, the manual pages (groff warnings) and the
#     completion's loading; every option of clipquill-cli --help in its
#     manual page and completion
# The package is removed afterwards, whatever the outcome.
#
#   bash scripts/check_package.sh    # as root, or with sudo; changes /usr
#
# It builds in build/ (a no-op after scripts/test.sh); extra CMake arguments
# for a first configuration may come from CMAKE_ARGS.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

# shellcheck source=scripts/deps.sh
source scripts/deps.sh
# shellcheck source=scripts/marked_processes.sh
source scripts/marked_processes.sh
# shellcheck source=scripts/quiet.sh
source scripts/quiet.sh
deps_install g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
  nlohmann-json3-dev util-linux qt6-base-dev libqscintilla2-qt6-dev libjpeg-dev fonts-dejavu-core \
  dpkg-dev file desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl \
  groff-base man-db bash-completion lintian libglib2.0-bin

sudo=()
if [[ "$(id -u)" -ne 0 ]]; then sudo=(sudo); fi

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# --- the package ---------------------------------------------------------------
if [[ ! -f build/CMakeCache.txt ]]; then
  extra_args=()
  if [[ -n "${CMAKE_ARGS:-}" ]]; then read -r -a extra_args <<<"$CMAKE_ARGS"; fi
  quiet_step build/logs/configure.log "configure build/" \
    cmake -S . -B build -G Ninja "${extra_args[@]}"
fi
quiet_step build/logs/build.log "build build/" deps_build build -j "$(nproc)"
rm -f build/clipquill_*.deb build/logs/package.log
# Into a log (CI's), cpack's and apt-get's chatter goes to build/logs/package.log.
make_deb() { (cd build && cpack -G DEB); }
quiet_step build/logs/package.log "cpack -G DEB" make_deb
debs=(build/clipquill_*.deb)
if ((${#debs[@]} != 1)) || [[ ! -f "${debs[0]}" ]]; then
  fail "cpack made no single build/clipquill_*.deb"
fi
deb="${debs[0]}"
dpkg-deb --field "$deb" Package Version Architecture Depends
depends="$(dpkg-deb --field "$deb" Depends)"
[[ "$depends" == *libstdc++6* ]] || fail "no dependencies from dpkg-shlibdeps: '$depends'"
[[ "$depends" == *libqscintilla2-qt6* ]] || fail "the editor's library is not a dependency: '$depends'"
dpkg-deb --contents "$deb" | grep '\./usr/share/doc/clipquill/copyright$' >/dev/null ||
  fail "the package has no copyright file"

# Debian's own package checker: its warnings are shown, an error fails.
lintian --fail-on error --info "$deb" || fail "lintian reports errors on $deb"
echo "lintian: no errors"

work="$(mktemp -d "${TMPDIR:-/tmp}/clipquill-package.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# The installed tree can move: the programs find their data from where they are.
cmake --install build --prefix "$work/prefix" >/dev/null
mv "$work/prefix" "$work/moved"
moved_show="$(cd "$work" && HOME="$work" XDG_CONFIG_HOME="$work/config" \
  "$work/moved/bin/clipquill-cli" --show </dev/null)"
grep -qF "\"TemplatePath\": \"$work/moved/share/clipquill/DefaultTemplate.qtpl\"" <<<"$moved_show" ||
  fail "an installed tree that was moved lost its default template: $moved_show"
rm -rf "$work/moved" "$work/config"
echo "a moved install tree finds its default template"

if dpkg-query -W -f='${Status}' clipquill 2>/dev/null | grep -q 'install ok installed'; then
  echo "note: a clipquill package was installed already; it is replaced and then removed"
fi

# Every program started from the installed files carries the mark, and
# whatever still carries it when the check ends is ended (and, before the
# removal, fails the check).
marked_init
removed=0
cleanup() {
  marked_end_all >/dev/null
  if ((removed == 0)); then
    quiet_step build/logs/package.log "apt-get remove clipquill" \
      "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y clipquill </dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

quiet_step build/logs/package.log "apt-get install ./$deb" \
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --reinstall "./$deb" </dev/null

# --- the installed files ---------------------------------------------------------
bin=/usr/bin
share=/usr/share
app_id=org.clipquill.Clipquill
for f in "$bin/clipquill-cli" "$share/clipquill/DefaultTemplate.qtpl" \
  "$share/clipquill/DefaultTemplate.ini" "$share/doc/clipquill/copyright" \
  "$share/applications/$app_id.desktop" "$share/applications/$app_id.MakeScripts.desktop" \
  "$share/applications/$app_id.OpenClips.desktop" "$share/metainfo/$app_id.metainfo.xml" \
  "$share/mime/packages/$app_id.xml" "$share/icons/hicolor/scalable/apps/$app_id.svg" \
  "$share/bash-completion/completions/clipquill-cli" \
  "$share/bash-completion/completions/clipquill"; do
  [[ -f "$f" ]] || fail "not installed: $f"
done
for size in 16 22 24 32 48 64 128 256; do
  png="$share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  file --brief "$png" | grep -q "PNG image data, $size x $size," || fail "$png is no ${size}px PNG"
done
echo "installed: programs, default template, desktop entry, metainfo, MIME type, icons, completion"

# The programs run as a user would, in a folder of their own, with a home and
# a flags store there, and nothing from the build tree on their path.
mkdir -p "$work/home" "$work/clips" "$work/out"
touch "$work/clips/a.avi" "$work/clips/b.avi" "$work/clips/notes.txt"
run_env=(PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/config" LANG=C.UTF-8
  "$MARKED_ENV")
run() {
  (cd "$work" && exec env -i "${run_env[@]}" "$@")
}
# Fails when a program the check started still runs, after ending it.
expect_none_left() {
  local left
  left="$(marked_end_all)"
  [[ -z "$left" ]] || fail "$1, still running: $left"
}
data_before="$(ls -lA --time-style=full-iso "$share/clipquill")"

# --- the command line ------------------------------------------------------------
versions="$(run "$bin/clipquill-cli" --version)"
version="$(head -n 1 <<<"$versions")"
avisynth_line="$(sed -n 2p <<<"$versions")"
[[ "$version" == "clipquill-cli $(sed -n 's/^project(Clipquill VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)" ]] ||
  fail "clipquill-cli --version printed '$version'"
echo "clipquill-cli --version: $version"

# AviSynth+ and FFMS2 came with the package, in its private folder, and are
# found with no setting: the check of a template that opens a real clip
# passes, and FFMS2 leaves its index beside the clip.
private=/usr/lib/clipquill/avisynth
if [[ -f "$private/libavisynth.so" ]]; then
  [[ "$avisynth_line" == *", $private/libavisynth.so, that came with Clipquill" ]] ||
    fail "clipquill-cli --version did not name the bundled AviSynth+: '$avisynth_line'"
  [[ -f "$private/plugins/libffms2.so" ]] || fail "FFMS2's plugin is not in $private/plugins"
  mkdir -p "$work/real" "$work/real-out"
  ffmpeg -loglevel error -f lavfi -i testsrc2=size=320x240:rate=25 -frames:v 10 \
    -c:v mpeg4 "$work/real/clip one.mkv"
  printf 'FFVideoSource("<P><F>")\r\n' >"$work/Real.qtpl"
  checked="$(run "$bin/clipquill-cli" --check -s real -e mkv -d real-out Real.qtpl </dev/null 2>&1)" ||
    fail "the installed clipquill-cli --check failed: $checked"
  [[ -f "$work/real/clip one.mkv.ffindex" ]] || fail "FFMS2 wrote no index beside the clip: $checked"
  echo "bundled AviSynth+ and FFMS2: $avisynth_line; a real clip checked with no option"
  # And the installed window's picture, on a desktop, with no option either.
  if [[ -x "$bin/clipquill" ]]; then
    bash tests/desktop/picture_on_desktop.sh "$bin/clipquill" || fail "the installed window shows no picture"
  fi
fi

shown="$(run "$bin/clipquill-cli" --show </dev/null)"
grep -qF "\"TemplatePath\": \"$share/clipquill/DefaultTemplate.qtpl\"" <<<"$shown" ||
  fail "the installed default template was not the one loaded: $shown"
created="$(run "$bin/clipquill-cli" -s clips -e avi -n '*_default' -d out </dev/null)"
[[ "$created" == $'Script(s) Created:\na_default.avs\nb_default.avs' ]] ||
  fail "the bulk run printed: $created"
for clip in a b; do
  grep -qF "AVISource(\"$work/clips/$clip.avi\")"$'\r' "$work/out/${clip}_default.avs" ||
    fail "out/${clip}_default.avs: $(cat "$work/out/${clip}_default.avs")"
done
[[ ! -e "$work/out/notes_default.avs" ]] || fail "a script was written for notes.txt"
echo "bulk run with the installed default template: 2 scripts, as expected"

# --- the window ------------------------------------------------------------------
if [[ -x "$bin/clipquill" ]]; then
  printf 'AviSource("<P><F>")\r\n' >"$work/Start.qtpl"
  window_version="$(run "$bin/clipquill" --version </dev/null 2>&1 || true)"
  real_window=0
  if [[ "$window_version" == "clipquill ${version#clipquill-cli }" ]]; then real_window=1; fi
  # Started as a subshell of this shell that becomes the window (exec, not a
  # function in the background): $! is the window's own pid, not a wrapper's.
  (cd "$work" && exec env -i "${run_env[@]}" QT_QPA_PLATFORM=offscreen "$bin/clipquill" \
    "$work/Start.qtpl") </dev/null >"$work/window.log" 2>&1 &
  window_pid=$!
  sleep 2
  if kill -0 "$window_pid" 2>/dev/null; then
    kill -TERM "$window_pid"
    status=0
    wait "$window_pid" || status=$?
    # Qt leaves SIGTERM to its default action: ended by the signal, 128 + 15.
    ((status == 0 || status == 143)) || fail "the window ended with $status: $(cat "$work/window.log")"
    expect_none_left "the window was ended"
    echo "window: ran 2 s on the offscreen platform with a template, ended by SIGTERM ($status)"
  else
    status=0
    wait "$window_pid" || status=$?
    if ((real_window)) || ((status != 0)); then
      fail "the window ended by itself with $status within 2 s: $(cat "$work/window.log")"
    fi
    echo "window: ended by itself with 0 and answers no --version ('$window_version'):" \
      "still the stub, so only its start was checked"
  fi
else
  echo "window: $bin/clipquill is not in the package (a build without the window)"
fi

data_after="$(ls -lA --time-style=full-iso "$share/clipquill")"
[[ "$data_before" == "$data_after" ]] || fail "something wrote into $share/clipquill: $data_after"

# --- the validators --------------------------------------------------------------
for entry in "$app_id" "$app_id.MakeScripts" "$app_id.OpenClips"; do
  desktop-file-validate "$share/applications/$entry.desktop"
done
echo "desktop-file-validate: ok (the program, Make AviSynth scripts, Open in Clipquill)"
appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml"

# The type as shared-mime-info compiled it (dpkg's trigger ran
# update-mime-database), and as a desktop looks it up.
grep -qx "text/x-clipquill-template text/plain" "$share/mime/subclasses" ||
  fail "text/x-clipquill-template is no sub-class of text/plain in $share/mime/subclasses"
filetype="$(run xdg-mime query filetype "$work/Start.qtpl")"
[[ "$filetype" == "text/x-clipquill-template" ]] || fail "xdg-mime query filetype: '$filetype'"
handler="$(run xdg-mime query default text/x-clipquill-template)"
[[ "$handler" == "$app_id.desktop" ]] || fail "xdg-mime query default: '$handler'"
echo "MIME: Start.qtpl is $filetype, opened by $handler"
# The two actions on video files, as a file manager's "Open With" lists them
# (dpkg's trigger ran update-desktop-database).
for type in video/x-matroska video/mp4 video/vnd.avi; do
  offered="$(run gio mime "$type")"
  for entry in MakeScripts OpenClips; do
    grep -q "$app_id.$entry.desktop" <<<"$offered" || fail "$type does not offer $app_id.$entry"
  done
done
echo "MIME: video clips offer Make AviSynth scripts and Open in Clipquill"

# --- manual pages and completion -------------------------------------------------
for page in clipquill clipquill-cli; do
  path="$(man -w "$page" 2>/dev/null || true)"
  if [[ -z "$path" ]]; then
    # A minimal image's dpkg may drop /usr/share/man (path-exclude): read the
    # page from the package instead.
    dpkg-deb -x "$deb" "$work/deb"
    path="$work/deb/usr/share/man/man1/$page.1.gz"
    echo "note: $page(1) was not installed here (dpkg path-exclude?); checking the packaged page"
  fi
  warnings="$(zcat "$path" | groff -man -Tutf8 -ww -z 2>&1)"
  [[ -z "$warnings" ]] || fail "groff warnings in $page(1): $warnings"
  MANWIDTH=80 man -l "$path" 2>/dev/null | grep -q "^NAME" || fail "man -l $path shows no page"
  echo "man: $page(1) at $path, no groff warnings"
done

for program in clipquill clipquill-cli; do
  bash -n "$share/bash-completion/completions/$program"
  completion="$(bash -c 'source /usr/share/bash-completion/bash_completion
    _completion_loader "$1"; complete -p "$1"' _ "$program")"
  [[ "$completion" == "complete -F _${program//-/_} $program" ]] ||
    fail "bash completion not loaded for $program: '$completion'"
done
echo "bash completion: loaded on demand for clipquill and clipquill-cli"

# Every option of clipquill-cli --help is in its manual page and its
# completion, and the completion offers the values of --type.
page_path="$(man -w clipquill-cli 2>/dev/null || echo "$work/deb/usr/share/man/man1/clipquill-cli.1.gz")"
bash scripts/check_cli_docs.sh "$bin/clipquill-cli" "$page_path" \
  "$share/bash-completion/completions/clipquill-cli"
offered() {
  bash -c 'source /usr/share/bash-completion/bash_completion; _completion_loader clipquill-cli
    COMP_WORDS=(clipquill-cli "$@"); COMP_CWORD=$(($# )); COMP_LINE="clipquill-cli $*"
    COMP_POINT=${#COMP_LINE}; _clipquill_cli clipquill-cli "${@: -1}" "${@: -2:1}"
    printf "%s\n" "${COMPREPLY[@]}"' _ "$@" | sort | tr '\n' ' '
}
[[ "$(offered --type '')" == "all avs qtpl txt " ]] || fail "--type completes to: $(offered --type '')"
[[ "$(offered --n)" == "--name --name-to-last-dot --no-clobber --no-ini --null " ]] ||
  fail "--n completes to: $(offered --n)"

# --- removal ---------------------------------------------------------------------
expect_none_left "the checks are done"
quiet_step build/logs/package.log "apt-get remove clipquill" \
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y clipquill </dev/null
removed=1
for f in "$bin/clipquill-cli" "$share/clipquill/DefaultTemplate.qtpl" \
  "$share/mime/packages/$app_id.xml"; do
  [[ ! -e "$f" ]] || fail "left after removal: $f"
done
if grep -q "text/x-clipquill-template" "$share/mime/subclasses"; then
  fail "the MIME type is still known after removal"
fi
echo "package removed; its files and its MIME type are gone"
