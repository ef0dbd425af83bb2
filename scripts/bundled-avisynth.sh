#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds what the picture needs beyond the window into a build folder, for a
# first start: the command line (the checking helper), then the AviSynth+
# and FFMS2 that come with Clipquill. scripts/run.sh starts it in the
# background once the window is built, so that the window shows at once
# and the picture follows when they are ready.
#
#   bash scripts/bundled-avisynth.sh BUILD_DIR
#
# While it builds, BUILD_DIR/avisynth-building holds its process number: the
# programs in BUILD_DIR/bin read it to say what the picture waits for, and
# look again until the marker is gone. Both builds are cached by their
# tarballs' checksums (scripts/avisynth.sh, scripts/ffms2.sh): with both
# there, it returns at once and leaves no marker.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:?usage: bundled-avisynth.sh BUILD_DIR}"
mkdir -p "$BUILD"
BUILD="$(cd "$BUILD" && pwd)"

helper_ready() {
  [[ -x "$BUILD/bin/clipquill-cli" ]] && ninja -C "$BUILD" -n clipquill-cli 2>/dev/null |
    grep -q '^ninja: no work to do'
}
if [[ -f "$BUILD/avisynthplus/stamp" && -e "$BUILD/avisynthplus/build/avs_core/libavisynth.so" &&
  -f "$BUILD/ffms2/stamp" && -e "$BUILD/ffms2/plugins/libffms2.so" ]] && helper_ready; then
  exit 0
fi

marker="$BUILD/avisynth-building"
echo "$$" >"$marker"
trap 'rm -f "$marker"' EXIT

start=$SECONDS
# Every core, at a low priority: the window the user is looking at mostly
# waits for them, and stays quick when it does not.
renice -n 10 -p $$ >/dev/null 2>&1 || true
cmake --build "$BUILD" --target clipquill-cli -j "$(nproc)"
bash "$ROOT/scripts/avisynth.sh" "$BUILD" >/dev/null
bash "$ROOT/scripts/ffms2.sh" "$BUILD" >/dev/null
echo "bundled AviSynth+ and FFMS2 ready in $((SECONDS - start)) s"
