#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the splash picture and the about box's icon with ImageMagick. Both are
# committed beside this script; run it again only to change the design.
set -euo pipefail
cd "$(dirname "$0")"

# splash.jpg: 352x161, the splash window's whole client area. The left side
# stays dark and plain for the title, the version and the progress bar; a
# quill, clear of the text, and a strip of film sit on the right.
holes=()
for y in $(seq 4 14 160); do
  holes+=(-draw "roundrectangle 325,$y 330,$((y + 7)) 1,1"
          -draw "roundrectangle 338,$y 343,$((y + 7)) 1,1")
done
convert -size 352x161 -define gradient:angle=120 'gradient:#0a1640-#1f6d8f' \
  -fill 'rgba(255,255,255,0.06)' -draw 'circle 250,28 292,28' -draw 'circle 205,150 228,150' \
  -draw 'circle 118,36 186,36' -draw 'circle 18,150 44,150' \
  -fill 'rgba(0,0,0,0.55)' -draw 'rectangle 320,0 348,161' \
  -fill '#e8e2cf' "${holes[@]}" \
  -fill 'rgba(255,255,255,0.42)' \
  -draw 'path "M 312,8 C 292,16 274,46 270,88 C 279,80 284,80 289,71 C 298,55 308,34 312,8 Z"' \
  -fill 'rgba(255,255,255,0.28)' \
  -draw 'path "M 312,8 C 316,32 307,62 287,94 C 286,88 283,88 279,88 C 294,64 307,40 312,8 Z"' \
  -stroke 'rgba(255,255,255,0.9)' -strokewidth 2 -fill none \
  -draw 'path "M 266,122 C 282,84 298,46 312,8"' \
  -quality 90 -sampling-factor 2x2 -strip splash.jpg

# about_icon.png: 64x64, the same quill over a strip of film.
sprockets=()
for x in 11 19 27 35 43 51; do
  sprockets+=(-draw "rectangle $x,42 $((x + 2)),44" -draw "rectangle $x,51 $((x + 2)),53")
done
convert -size 64x64 xc:none \
  -fill '#0f2a5c' -draw 'roundrectangle 2,2 61,61 10,10' \
  -fill '#1f6d8f' -draw 'roundrectangle 5,5 58,58 8,8' \
  -fill '#101010' -draw 'rectangle 8,40 55,55' \
  -fill '#e8e2cf' "${sprockets[@]}" \
  -fill '#6f8fb5' -draw 'rectangle 11,46 53,49' \
  -fill 'rgba(255,255,255,0.85)' \
  -draw 'path "M 54,7 C 42,9 30,20 26,36 C 32,32 36,32 40,28 C 46,22 52,16 54,7 Z"' \
  -fill 'rgba(255,255,255,0.55)' \
  -draw 'path "M 54,7 C 55,18 48,30 34,40 C 34,36 32,36 30,36 C 40,28 50,18 54,7 Z"' \
  -stroke '#ffffff' -strokewidth 1.5 -fill none -draw 'path "M 20,47 C 30,34 42,20 54,7"' \
  -depth 8 -strip PNG32:about_icon.png
