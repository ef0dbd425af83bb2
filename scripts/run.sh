#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets everything up on a fresh Debian 12 machine and starts Clipquill.
#
#   bash scripts/run.sh [arguments for clipquill...]
#
# It builds the window, build-run/bin/clipquill, in Release, into a build
# folder of its own (build-run/), so that the tests' build/ stays as it is,
# then starts it with the arguments given. The command line beside it (which
# runs every check and picture) and AviSynth+ and FFMS2, which come with
# Clipquill, are built in the background meanwhile
# (scripts/bundled-avisynth.sh, its log in build-run/logs/): the picture
# shows once they are ready, without a restart. A second run only asks
# Ninja, which finds nothing to do. Extra CMake arguments for the first
# configuration may come from the CMAKE_ARGS environment variable.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build-run"

# shellcheck source=scripts/deps.sh
source "$ROOT/scripts/deps.sh"
# What the window needs to build, and nothing the tests or benchmarks do
# (nlohmann-json: CMake configures the command line too, though it is not built).
deps_install g++ cmake ninja-build pkg-config nlohmann-json3-dev qt6-base-dev \
  libqscintilla2-qt6-dev libjpeg-dev fonts-dejavu-core

extra_args=()
if [[ -n "${CMAKE_ARGS:-}" ]]; then
  read -r -a extra_args <<<"$CMAKE_ARGS"
fi

# No cd: the program's own arguments (file names) stay relative to where
# the user ran this from. Configured once; afterwards Ninja reconfigures by
# itself when a CMakeLists.txt changes.
if [[ ! -f "$BUILD/build.ninja" || ${#extra_args[@]} -gt 0 ]]; then
  # -O2, Debian's own level: quicker to build than CMake's -O3, and free of
  # the false alarms GCC 12 raises at -O3.
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DBUILD_TESTING=OFF -DCLIPQUILL_BENCH=OFF \
    -DCLIPQUILL_PCH=ON "${extra_args[@]}" >/dev/null
fi
cmake --build "$BUILD" --target clipquill -j "$(nproc)"

# In the background and in this process group: it outlives nothing but
# goes on while the window is open (a second start finds it done or goes on
# with what is left).
mkdir -p "$BUILD/logs"
bash "$ROOT/scripts/bundled-avisynth.sh" "$BUILD" >"$BUILD/logs/bundled-avisynth.log" 2>&1 </dev/null &
builder=$!
# Until it has said whether it builds (its marker) or found all there (it
# ended), so that the window's first picture knows what it waits for.
for _ in $(seq 100); do
  if [[ -e "$BUILD/avisynth-building" ]] || ! kill -0 "$builder" 2>/dev/null; then break; fi
  sleep 0.02
done

exec "$BUILD/bin/clipquill" "$@"
