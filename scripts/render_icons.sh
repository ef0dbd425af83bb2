#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the icon's PNG sizes from its SVG into resources/icons/hicolor/,
# where they are committed, so that building Clipquill needs no renderer.
# Run it after changing resources/icons/org.clipquill.Clipquill.svg.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/deps.sh
source "$ROOT/scripts/deps.sh"
deps_install librsvg2-bin

svg="$ROOT/resources/icons/org.clipquill.Clipquill.svg"
for size in 16 22 24 32 48 64 128 256; do
  dir="$ROOT/resources/icons/hicolor/${size}x${size}/apps"
  mkdir -p "$dir"
  rsvg-convert --width "$size" --height "$size" "$svg" --output "$dir/org.clipquill.Clipquill.png"
done
echo "rendered into $ROOT/resources/icons/hicolor/"
