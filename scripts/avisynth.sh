#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds AviSynth+'s core library from the vendored source tarball, once, so
# that the tests check written scripts with the real frame server. Debian does
# not package AviSynth+; the tarball sits beside the checkout.
#
#   bash scripts/avisynth.sh [BUILD_DIR]    # prints the path of libavisynth.so
#
# The build goes to BUILD_DIR/avisynthplus (BUILD_DIR defaults to build/).
# A second run with the same tarball does nothing and takes a moment: a stamp
# holding the tarball's checksum records a finished build. Progress goes to
# standard error, the library's path alone to standard output.
#
# The tarball is AVISYNTH_TARBALL when set, else the first of
# vendor/avisynthplus-*.tar.gz in the checkout and ../shared/vendor/ beside it.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${1:-$ROOT/build}"
mkdir -p "$BUILD_DIR"
BUILD_DIR="$(cd "$BUILD_DIR" && pwd)"
OUT="$BUILD_DIR/avisynthplus"

find_tarball() {
  if [[ -n "${AVISYNTH_TARBALL:-}" ]]; then
    echo "$AVISYNTH_TARBALL"
    return
  fi
  local f
  for f in "$ROOT"/vendor/avisynthplus-*.tar.gz "$ROOT"/../shared/vendor/avisynthplus-*.tar.gz; do
    if [[ -f "$f" ]]; then
      echo "$f"
      return
    fi
  done
}

TARBALL="$(find_tarball)"
if [[ -z "$TARBALL" || ! -f "$TARBALL" ]]; then
  echo "avisynth: no AviSynth+ source tarball (set AVISYNTH_TARBALL)" >&2
  exit 1
fi

LIB="$OUT/build/avs_core/libavisynth.so"
sum="$(sha256sum "$TARBALL" | cut -d' ' -f1)"
if [[ -f "$OUT/stamp" && "$(cat "$OUT/stamp")" == "$sum" && -e "$LIB" ]]; then
  echo "$LIB"
  exit 0
fi

# shellcheck source=scripts/deps.sh
source "$ROOT/scripts/deps.sh"
deps_install g++ cmake ninja-build >&2

start=$SECONDS
echo "avisynth: building $(basename "$TARBALL") into $OUT" >&2
rm -rf "$OUT"
mkdir -p "$OUT/src"
tar -xzf "$TARBALL" -C "$OUT/src" --strip-components=1

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# The compiler flags of the surrounding build (sanitizers, -Werror) are not
# AviSynth+'s business.
env -u CXXFLAGS -u CFLAGS -u LDFLAGS \
  cmake -S "$OUT/src" -B "$OUT/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DENABLE_PLUGINS=OFF "${launcher[@]}" >&2
# Into a log rather than a terminal, without ninja's line per step.
quiet=()
if [[ ! -t 2 ]]; then quiet=(-- --quiet); fi
cmake --build "$OUT/build" -j "${AVISYNTH_JOBS:-$(nproc)}" "${quiet[@]}" >&2
if [[ ! -e "$LIB" ]]; then
  echo "avisynth: the build gave no $LIB" >&2
  exit 1
fi
echo "$sum" >"$OUT/stamp"
echo "avisynth: built in $((SECONDS - start)) s" >&2
echo "$LIB"
