#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer and the portable .zip, from the program folder that
# scripts/test-windows.sh makes:
#
#   bash scripts/windows-installer.sh PROGRAM_FOLDER OUT_DIR
#
# gives OUT_DIR/clipquill-<version>-setup.exe (NSIS, installer/clipquill.nsi)
# and OUT_DIR/clipquill-<version>-windows-x86_64.zip, and prints their sizes.
# The installer's file lists are made from the folder, so that the
# uninstaller removes exactly the files the installer put there.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
FOLDER="$(cd "$1" && pwd)"
OUT="$(mkdir -p "$2" && cd "$2" && pwd)"
# shellcheck source=scripts/deps.sh
source "$ROOT/scripts/deps.sh"
deps_install nsis zip imagemagick >&2

version="$(sed -n 's/^project(Clipquill VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
[[ -n "$version" ]] || { echo "windows-installer: no version in CMakeLists.txt" >&2; exit 1; }
lists="$(mktemp -d)"
trap 'rm -rf "$lists"' EXIT

# files.nsh: each folder, then its files; unfiles.nsh: the files, then the
# folders deepest first. Windows paths inside the installer, Linux paths
# for makensis to read.
{
  while IFS= read -r -d '' dir; do
    rel="${dir#"$FOLDER"}"
    echo "SetOutPath \"\$INSTDIR${rel//\//\\}\""
    find "$dir" -maxdepth 1 -type f -print0 | sort -z |
      while IFS= read -r -d '' f; do echo "File \"$f\""; done
  done < <(find "$FOLDER" -type d -print0 | sort -z)
  echo "SetOutPath \"\$INSTDIR\""
} >"$lists/files.nsh"
{
  while IFS= read -r -d '' f; do
    rel="${f#"$FOLDER"/}"
    echo "Delete \"\$INSTDIR\\${rel//\//\\}\""
  done < <(find "$FOLDER" -type f -print0 | sort -z)
  while IFS= read -r -d '' dir; do
    rel="${dir#"$FOLDER"/}"
    echo "RMDir \"\$INSTDIR\\${rel//\//\\}\""
  done < <(find "$FOLDER" -mindepth 1 -type d -print0 | sort -rz)
} >"$lists/unfiles.nsh"

# The welcome and finish pages' picture: the program's icon on a plain
# ground, at the size those pages show (164x314), as the old-style BMP that
# NSIS reads.
side="$lists/side.bmp"
convert -size 164x314 xc:'#f4f1ea' \
  "$ROOT/resources/icons/hicolor/128x128/apps/org.clipquill.Clipquill.png" \
  -gravity center -geometry +0-40 -composite -alpha off -type TrueColor "BMP3:$side"

setup="$OUT/clipquill-$version-setup.exe"
makensis -V2 -DVERSION="$version" -DFOLDER="$FOLDER" -DOUTFILE="$setup" -DLISTS="$lists" \
  -DICON="$ROOT/resources/windows/clipquill.ico" -DSIDE_IMAGE="$side" \
  "$ROOT/installer/clipquill.nsi" >&2

# The portable folder: the same files, in a folder named for the version.
zipfile="$OUT/clipquill-$version-windows-x86_64.zip"
rm -f "$zipfile"
staging="$lists/Clipquill-$version"
cp -r "$FOLDER" "$staging"
(cd "$lists" && zip -qr -9 "$zipfile" "Clipquill-$version")

size() { awk -v b="$(stat -c %s "$1")" 'BEGIN{printf "%.1f MB", b / 1000000}'; }
echo "windows-installer: $(basename "$setup"): $(size "$setup"); $(basename "$zipfile"): $(size "$zipfile")" >&2
echo "$setup"
echo "$zipfile"
