#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window's libraries for Windows, which Debian packages for Linux only:
# Qt 6 (the vendored prebuilt, unpacked), QScintilla and libjpeg-turbo (built
# from their vendored sources with the mingw-w64 cross compiler).
#
#   bash scripts/windows-deps.sh [BUILD_DIR]   # prints the three prefixes, one a line
#
# Each lands in BUILD_DIR/deps/<name> (BUILD_DIR defaults to build-windows/)
# and is checked against its SHA-256 in ../shared/vendor/README.md first; a
# stamp holding that checksum records a finished step, so a second run takes
# a moment. Nothing is ever downloaded: a missing tarball stops the script
# with how to get it. Progress goes to standard error, each step's whole
# output to BUILD_DIR/logs/.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${1:-$ROOT/build-windows}"
mkdir -p "$BUILD_DIR"
BUILD_DIR="$(cd "$BUILD_DIR" && pwd)"
DEPS="$BUILD_DIR/deps"
LOGS="$BUILD_DIR/logs"
VENDOR="${CLIPQUILL_VENDOR:-$ROOT/../shared/vendor}"
TOOLCHAIN="$ROOT/cmake/mingw-w64-x86_64.cmake"
JOBS="${WINDOWS_DEPS_JOBS:-$(nproc)}"
mkdir -p "$DEPS" "$LOGS"

# shellcheck source=scripts/deps.sh
source "$ROOT/scripts/deps.sh"
# qt6-base-dev brings the host tools (moc, rcc, uic) the cross build of Qt runs.
deps_install cmake ninja-build g++-mingw-w64-x86-64-posix qt6-base-dev xz-utils >&2

fail() {
  echo "windows-deps: $*" >&2
  exit 1
}

# The SHA-256 the vendor README (or the .sha256 file beside a tarball) gives.
expected_sum() {
  local name="$1" sum=""
  if [[ -f "$VENDOR/${name%.tar.*}.sha256" ]]; then
    sum="$(cut -d' ' -f1 "$VENDOR/${name%.tar.*}.sha256")"
  elif [[ -f "$VENDOR/README.md" ]]; then
    sum="$(grep -F "| $name |" "$VENDOR/README.md" | grep -oE '[0-9a-f]{64}' | head -n 1 || true)"
  fi
  [[ -n "$sum" ]] || fail "no SHA-256 for $name in $VENDOR/README.md"
  echo "$sum"
}

# checked_tarball NAME HOW: the tarball's path once its checksum is right.
checked_tarball() {
  local name="$1" how="$2" path="$VENDOR/$1" want got
  if [[ ! -f "$path" ]]; then
    fail "$path is missing. $how"
  fi
  want="$(expected_sum "$name")"
  got="$(sha256sum "$path" | cut -d' ' -f1)"
  [[ "$got" == "$want" ]] || fail "$path has SHA-256 $got, not $want: not the vendored file"
  echo "$path"
}

# fresh DIR SUM: true when DIR holds a finished step for the tarball SUM.
fresh() { [[ -f "$1/stamp" && "$(cat "$1/stamp")" == "$2" ]]; }

quietly() {
  local log="$1"
  shift
  if ! "$@" >>"$log" 2>&1; then
    tail -n 30 "$log" >&2
    fail "failed: $* (whole output in $log)"
  fi
}

# cmake_install NAME SOURCE PREFIX ARGS...: configures, builds and installs
# (stripped) into PREFIX, from PREFIX/build, the output in NAME's log.
cmake_install() {
  local name="$1" source="$2" prefix="$3"
  shift 3
  : >"$LOGS/$name.log"
  quietly "$LOGS/$name.log" cmake -S "$source" -B "$prefix/build" -G Ninja \
    -DCMAKE_INSTALL_PREFIX="$prefix" "$@"
  quietly "$LOGS/$name.log" cmake --build "$prefix/build" -j "$JOBS"
  quietly "$LOGS/$name.log" cmake --install "$prefix/build" --strip
}

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

# --- Qt: the prebuilt, unpacked --------------------------------------------------
qt_tar="$(checked_tarball qt6-windows-x86_64-6.4.2.tar.xz \
  "Build it by the recipe in the vendor README (\"Qt 6.4.2 for Windows: the recipe\") and put it there.")"
qt_sum="$(sha256sum "$qt_tar" | cut -d' ' -f1)"
QT="$DEPS/qt"
if ! fresh "$QT" "$qt_sum"; then
  start=$SECONDS
  rm -rf "$QT" && mkdir -p "$QT"
  tar -xJf "$qt_tar" -C "$QT" --strip-components=1
  echo "$qt_sum" >"$QT/stamp"
  echo "windows-deps: Qt 6.4.2 for Windows unpacked in $((SECONDS - start)) s" >&2
fi
qt_cmake=(-DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_PREFIX_PATH="$QT" -DCLIPQUILL_WINDOWS_PREFIXES="$QT"
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "${launcher[@]}")

# --- QScintilla: our CMake list over its source ---------------------------------
qsci_tar="$(checked_tarball qscintilla2_2.13.3+dfsg.orig.tar.gz "It is Debian 12's source package qscintilla2.")"
# The stamp covers our list too: a change to it rebuilds.
qsci_sum="$(cat "$qsci_tar" "$ROOT/cmake/qscintilla/CMakeLists.txt" "$qt_tar" | sha256sum | cut -d' ' -f1)"
QSCI="$DEPS/qscintilla"
if ! fresh "$QSCI" "$qsci_sum"; then
  start=$SECONDS
  rm -rf "$QSCI" && mkdir -p "$QSCI/src"
  tar -xzf "$qsci_tar" -C "$QSCI/src" --strip-components=1
  cmake_install qscintilla "$ROOT/cmake/qscintilla" "$QSCI" "${qt_cmake[@]}" \
    -DQSCINTILLA_SOURCE="$QSCI/src"
  rm -rf "$QSCI/build" "$QSCI/src"
  echo "$qsci_sum" >"$QSCI/stamp"
  echo "windows-deps: QScintilla 2.13.3 built in $((SECONDS - start)) s" >&2
fi

# --- libjpeg-turbo: its own CMake, without SIMD (no nasm) ---------------------------
jpeg_tar="$(checked_tarball libjpeg-turbo_2.1.5.orig.tar.gz "It is Debian 12's source package libjpeg-turbo.")"
jpeg_sum="$(sha256sum "$jpeg_tar" | cut -d' ' -f1)"
JPEG="$DEPS/libjpeg-turbo"
if ! fresh "$JPEG" "$jpeg_sum"; then
  start=$SECONDS
  rm -rf "$JPEG" && mkdir -p "$JPEG/src"
  tar -xzf "$jpeg_tar" -C "$JPEG/src" --strip-components=1
  # Static, so the program carries the decoder and no further DLL.
  cmake_install libjpeg-turbo "$JPEG/src" "$JPEG" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF "${launcher[@]}"
  mkdir -p "$JPEG/share/licenses/libjpeg-turbo"
  cp "$JPEG/src/LICENSE.md" "$JPEG/src/README.ijg" "$JPEG/share/licenses/libjpeg-turbo/"
  rm -rf "$JPEG/build" "$JPEG/src"
  echo "$jpeg_sum" >"$JPEG/stamp"
  echo "windows-deps: libjpeg-turbo 2.1.5 built in $((SECONDS - start)) s" >&2
fi

echo "$QT"
echo "$QSCI"
echo "$JPEG"
