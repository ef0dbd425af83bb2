#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets everything up on a fresh Debian 12 machine and runs every test.
#
#   bash scripts/test.sh [extra CMake arguments...]
#
# Extra CMake arguments may also come from the CMAKE_ARGS environment variable,
# e.g. CMAKE_ARGS="-DCLIPQUILL_WERROR=ON" bash scripts/test.sh
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

# shellcheck source=scripts/deps.sh
source scripts/deps.sh
# shellcheck source=scripts/quiet.sh
source scripts/quiet.sh
# util-linux provides setpriv, dbus-daemon a session bus, groff-base renders
# the manual page whose options a test checks; the tests use them.
deps_install g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
  nlohmann-json3-dev util-linux qt6-base-dev libqscintilla2-qt6-dev libjpeg-dev fonts-dejavu-core \
  dbus-daemon groff-base ffmpeg libpng-dev

extra_args=()
if [[ -n "${CMAKE_ARGS:-}" ]]; then
  read -r -a extra_args <<<"$CMAKE_ARGS"
fi

# The tests check the scripts they write with AviSynth+ itself, built once
# from the vendored source into build/avisynthplus (quick when already built).
avisynth_lib="$(bash scripts/avisynth.sh build)"
# And scripts over real clips (ffmpeg makes them) with FFMS2's source
# plugin, built once the same way into build/ffms2.
ffms2_plugins="$(bash scripts/ffms2.sh build)"

# On a terminal each step speaks as usual; into a log (CI's) each leaves a
# line, its chatter in build/logs/, and ctest its summary and failures. The
# tests run side by side, one per core, but for the desktop's (RUN_SERIAL).
quiet_step build/logs/configure.log "configure build/" \
  cmake -S . -B build -G Ninja -DCLIPQUILL_AVISYNTH_LIBRARY="$avisynth_lib" \
  -DCLIPQUILL_FFMS2_PLUGINS="$ffms2_plugins" "${extra_args[@]}" "$@"
quiet_step build/logs/build.log "build build/" deps_build build -j "$(nproc)"
quiet_ctest build -j "$(nproc)"
