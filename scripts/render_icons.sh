#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the icon's PNG sizes from its SVG into resources/icons/hicolor/,
# and the Windows icon file (resources/windows/clipquill.ico) from them,
# where they are committed, so that building Clipquill needs no renderer.
# Run it after changing resources/icons/org.clipquill.Clipquill.svg.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/deps.sh
source "$ROOT/scripts/deps.sh"
deps_install librsvg2-bin imagemagick

svg="$ROOT/resources/icons/org.clipquill.Clipquill.svg"
for size in 16 22 24 32 48 64 128 256; do
  dir="$ROOT/resources/icons/hicolor/${size}x${size}/apps"
  mkdir -p "$dir"
  rsvg-convert --width "$size" --height "$size" "$svg" --output "$dir/org.clipquill.Clipquill.png"
done
hicolor="$ROOT/resources/icons/hicolor"
convert "$hicolor"/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/org.clipquill.Clipquill.png \
  "$ROOT/resources/windows/clipquill.ico"
echo "rendered into $hicolor/ and resources/windows/clipquill.ico"
