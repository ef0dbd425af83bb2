#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds FFMS2's AviSynth+ source plugin from the vendored source, once, so
# that the tests check scripts that open real video clips. Debian packages
# FFMS2 but not its AviSynth+ plugin; it is built against Debian's FFmpeg
# libraries and the vendored AviSynth+ headers.
#
#   bash scripts/ffms2.sh [BUILD_DIR]    # prints the folder holding libffms2.so
#
# The build goes to BUILD_DIR/ffms2 (BUILD_DIR defaults to build/). A second
# run with the same tarballs does nothing and takes a moment: a stamp holding
# their checksums records a finished build. Progress goes to standard error,
# the plugin folder alone to standard output; the check loads the plugin
# from there (--avisynth-plugins).
#
# The tarball is FFMS2_TARBALL when set, else the first of
# vendor/ffms2-*.tar.gz in the checkout and ../shared/vendor/ beside it; the
# AviSynth+ headers come from its tarball, found as scripts/avisynth.sh does.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${1:-$ROOT/build}"
mkdir -p "$BUILD_DIR"
BUILD_DIR="$(cd "$BUILD_DIR" && pwd)"
OUT="$BUILD_DIR/ffms2"

find_tarball() {  # NAME_GLOB OVERRIDE
  if [[ -n "$2" ]]; then
    echo "$2"
    return
  fi
  local f
  for f in "$ROOT"/vendor/$1 "$ROOT"/../shared/vendor/$1; do
    if [[ -f "$f" ]]; then
      echo "$f"
      return
    fi
  done
}

TARBALL="$(find_tarball 'ffms2-*.tar.gz' "${FFMS2_TARBALL:-}")"
AVS_TARBALL="$(find_tarball 'avisynthplus-*.tar.gz' "${AVISYNTH_TARBALL:-}")"
if [[ -z "$TARBALL" || ! -f "$TARBALL" ]]; then
  echo "ffms2: no FFMS2 source tarball (set FFMS2_TARBALL)" >&2
  exit 1
fi
if [[ -z "$AVS_TARBALL" || ! -f "$AVS_TARBALL" ]]; then
  echo "ffms2: no AviSynth+ source tarball for its headers (set AVISYNTH_TARBALL)" >&2
  exit 1
fi

PLUGINS="$OUT/plugins"
sum="$(cat "$TARBALL" "$AVS_TARBALL" | sha256sum | cut -d' ' -f1)"
if [[ -f "$OUT/stamp" && "$(cat "$OUT/stamp")" == "$sum" && -e "$PLUGINS/libffms2.so" ]]; then
  echo "$PLUGINS"
  exit 0
fi

# shellcheck source=scripts/deps.sh
source "$ROOT/scripts/deps.sh"
deps_install g++ make autoconf automake libtool pkg-config libavformat-dev libavcodec-dev \
  libswscale-dev libswresample-dev libavutil-dev zlib1g-dev >&2

# On a terminal the build speaks as usual; into a log (CI's) the build's
# chatter goes to a file of its own, whose end shows on failure.
# shellcheck source=scripts/quiet.sh
source "$ROOT/scripts/quiet.sh"
log="$BUILD_DIR/logs/ffms2.log"
logged() { quiet_logged "$log" ffms2 "$@"; }

start=$SECONDS
echo "ffms2: building $(basename "$TARBALL") into $OUT" >&2
rm -rf "$OUT" "$log"
mkdir -p "$OUT/src" "$OUT/avisynth" "$PLUGINS"
tar -xzf "$TARBALL" -C "$OUT/src" --strip-components=1
tar -xzf "$AVS_TARBALL" -C "$OUT/avisynth" --strip-components=1 --wildcards '*/avs_core/include'

cc=(gcc)
cxx=(g++)
if command -v ccache >/dev/null 2>&1; then
  cc=(ccache gcc)
  cxx=(ccache g++)
fi
# The compiler flags of the surrounding build (sanitizers, -Werror) are not
# FFMS2's business.
cd "$OUT/src"
logged env -u CXXFLAGS -u CFLAGS -u LDFLAGS ./autogen.sh
logged env -u CXXFLAGS -u CFLAGS -u LDFLAGS ./configure --enable-avisynth --disable-static \
  CC="${cc[*]}" CXX="${cxx[*]}" CPPFLAGS="-I$OUT/avisynth/avs_core/include"
logged make -j "${FFMS2_JOBS:-$(nproc)}"
cd "$ROOT"
lib="$(readlink -f "$OUT/src/src/core/.libs/libffms2.so")"
if [[ ! -e "$lib" ]]; then
  echo "ffms2: the build gave no libffms2.so" >&2
  exit 1
fi
# The plugin alone in its folder: AviSynth+ loads every library it finds there.
cp "$lib" "$PLUGINS/libffms2.so"
echo "$sum" >"$OUT/stamp"
if [[ -t 2 ]]; then
  echo "ffms2: built in $((SECONDS - start)) s" >&2
else
  echo "ffms2: built in $((SECONDS - start)) s ($log)" >&2
fi
echo "$PLUGINS"
