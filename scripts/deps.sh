#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages named on the command line that are not
# installed yet, from Debian's own archive through apt-get, and nothing else.
#
#   bash scripts/deps.sh g++ cmake ninja-build   # called
#   source scripts/deps.sh                       # sourced: defines deps_install
#   deps_install g++ cmake ninja-build
#
# "apt-get update" runs at most once per run (and only when something is
# missing); CLIPQUILL_APT_UPDATED=1 in the environment records that it ran, so
# scripts calling one another do not repeat it. Uses sudo when not root.

deps_install() {
  local missing=() pkg status
  for pkg in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    if [[ "$status" != "install ok installed" ]]; then
      missing+=("$pkg")
    fi
  done
  if ((${#missing[@]} == 0)); then
    return 0
  fi

  local sudo=()
  if [[ "$(id -u)" -ne 0 ]]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "deps: missing packages: ${missing[*]}" >&2
      echo "deps: not root and sudo is not available; install them as root" >&2
      return 1
    fi
    sudo=(sudo)
  fi

  echo "deps: installing ${missing[*]}"
  if [[ "${CLIPQUILL_APT_UPDATED:-}" != 1 ]]; then
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update || return 1
    export CLIPQUILL_APT_UPDATED=1
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${missing[@]}" </dev/null || return 1
}

# Called rather than sourced: install what the arguments name.
if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  set -euo pipefail
  deps_install "$@"
fi
