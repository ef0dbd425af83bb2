#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds AviSynth+'s core library from the vendored source tarball, once, so
# that the tests check written scripts with the real frame server. Debian does
# not package AviSynth+; the tarball sits beside the checkout.
#
#   bash scripts/avisynth.sh [BUILD_DIR]             # prints the path of libavisynth.so
#   bash scripts/avisynth.sh --windows [BUILD_DIR]   # prints the path of AviSynth.dll
#
# The build goes to BUILD_DIR/avisynthplus (BUILD_DIR defaults to build/);
# with --windows it is cross-built with Debian's mingw-w64 into
# BUILD_DIR/avisynthplus (BUILD_DIR defaults to build-windows/), with the
# compiler's run-time DLLs (libstdc++-6, libgcc_s_seh-1, libwinpthread-1)
# copied beside AviSynth.dll, as Windows looks for them there.
# A second run with the same tarball does nothing and takes a moment: a stamp
# holding the tarball's checksum records a finished build. Progress goes to
# standard error, the library's path alone to standard output.
#
# The tarball is AVISYNTH_TARBALL when set, else the first of
# vendor/avisynthplus-*.tar.gz in the checkout and ../shared/vendor/ beside it.
# A tarball of a version listed below must have that checksum.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TARGET=linux
if [[ "${1:-}" == "--windows" ]]; then
  TARGET=windows
  shift
fi
if [[ "$TARGET" == windows ]]; then
  BUILD_DIR="${1:-$ROOT/build-windows}"
else
  BUILD_DIR="${1:-$ROOT/build}"
fi
mkdir -p "$BUILD_DIR"
BUILD_DIR="$(cd "$BUILD_DIR" && pwd)"
OUT="$BUILD_DIR/avisynthplus"

# The vendored tarballs' SHA-256, as vendor/README.md lists them.
declare -A KNOWN_SUMS=(
  [avisynthplus-3.7.5.tar.gz]=f51070cce3b9db77a59fa41d8aa88680e93b4061a1555d4e32ef68f78328d499
)

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

sum="$(sha256sum "$TARBALL" | cut -d' ' -f1)"
expected="${KNOWN_SUMS[$(basename "$TARBALL")]:-}"
if [[ -n "$expected" && "$sum" != "$expected" ]]; then
  echo "avisynth: $TARBALL has SHA-256 $sum, not $expected: not building from it" >&2
  exit 1
fi

if [[ "$TARGET" == windows ]]; then
  LIB="$OUT/build/avs_core/AviSynth.dll"
else
  LIB="$OUT/build/avs_core/libavisynth.so"
fi
# The Windows stamp names its target, so that the two builds never pass for
# each other in one folder.
stamp="$sum"
if [[ "$TARGET" == windows ]]; then stamp="windows $sum"; fi
if [[ -f "$OUT/stamp" && "$(cat "$OUT/stamp")" == "$stamp" && -e "$LIB" ]]; then
  echo "$LIB"
  exit 0
fi

# shellcheck source=scripts/deps.sh
source "$ROOT/scripts/deps.sh"
if [[ "$TARGET" == windows ]]; then
  deps_install cmake ninja-build g++-mingw-w64-x86-64-posix >&2
else
  deps_install g++ cmake ninja-build >&2
fi

# On a terminal the build speaks as usual; into a log (CI's) the build's
# chatter goes to a file of its own, whose end shows on failure.
# shellcheck source=scripts/quiet.sh
source "$ROOT/scripts/quiet.sh"
log="$BUILD_DIR/logs/avisynth-$TARGET.log"
logged() { quiet_logged "$log" avisynth "$@"; }

start=$SECONDS
echo "avisynth: building $(basename "$TARBALL") for $TARGET into $OUT" >&2
rm -rf "$OUT" "$log"
mkdir -p "$OUT/src"
tar -xzf "$TARBALL" -C "$OUT/src" --strip-components=1

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cross=()
if [[ "$TARGET" == windows ]]; then
  # Our own toolchain file names the same posix-threads compilers. Release
  # as AviSynth+ builds it: the DLL ships in the Windows program folder.
  cross=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake")
fi
# The compiler flags of the surrounding build (sanitizers, -Werror) are not
# AviSynth+'s business.
logged env -u CXXFLAGS -u CFLAGS -u LDFLAGS \
  cmake -S "$OUT/src" -B "$OUT/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DENABLE_PLUGINS=OFF "${cross[@]}" "${launcher[@]}"
logged cmake --build "$OUT/build" -j "${AVISYNTH_JOBS:-$(nproc)}"
if [[ ! -e "$LIB" ]]; then
  echo "avisynth: the build gave no $LIB" >&2
  exit 1
fi
if [[ "$TARGET" == windows ]]; then
  for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    found="$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")"
    if [[ ! -f "$found" ]]; then
      echo "avisynth: the compiler has no $dll" >&2
      exit 1
    fi
    cp "$found" "$(dirname "$LIB")/"
  done
fi
echo "$stamp" >"$OUT/stamp"
if [[ -t 2 ]]; then
  echo "avisynth: built in $((SECONDS - start)) s" >&2
else
  echo "avisynth: built in $((SECONDS - start)) s ($log)" >&2
fi
echo "$LIB"
