#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets everything up on a fresh Debian 12 machine and starts Clipquill.
#
#   bash scripts/run.sh [arguments for clipquill...]
#
# Extra CMake arguments may come from the CMAKE_ARGS environment variable.
# It starts the window, build/bin/clipquill, with the arguments given.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# shellcheck source=scripts/deps.sh
source "$ROOT/scripts/deps.sh"
deps_install g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
  nlohmann-json3-dev util-linux qt6-base-dev libqscintilla2-qt6-dev libjpeg-dev fonts-dejavu-core

extra_args=()
if [[ -n "${CMAKE_ARGS:-}" ]]; then
  read -r -a extra_args <<<"$CMAKE_ARGS"
fi

# No cd: the program's own arguments (file names) stay relative to where
# the user ran this from.
cmake -S "$ROOT" -B "$ROOT/build" -G Ninja "${extra_args[@]}"
cmake --build "$ROOT/build" -j "$(nproc)"

exec "$ROOT/build/bin/clipquill" "$@"
