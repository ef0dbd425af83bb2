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
  # On a terminal apt speaks as usual; into a log (CI's) its hundreds of
  # lines go to a file instead, shown only when it fails.
  local quiet=""
  if [[ ! -t 1 ]]; then
    quiet="$(mktemp "${TMPDIR:-/tmp}/clipquill-apt.XXXXXX")"
  fi
  if [[ "${CLIPQUILL_APT_UPDATED:-}" != 1 ]]; then
    deps_apt "$quiet" "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update || return 1
    export CLIPQUILL_APT_UPDATED=1
  fi
  # On CI's machine, used once and thrown away, dpkg need not sync every file
  # it unpacks: a gigabyte of packages goes in much sooner. Elsewhere a
  # power cut mid-install must not leave broken files, so dpkg syncs as usual.
  local unsafe=()
  if [[ "${CI:-}" == true ]]; then unsafe=(-o Dpkg::Options::=--force-unsafe-io); fi
  deps_apt "$quiet" "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${unsafe[@]}" "${missing[@]}" </dev/null || return 1
  if [[ -n "$quiet" ]]; then rm -f "$quiet"; fi
}

# deps_apt LOG COMMAND...: runs the command, its output into LOG when LOG is
# not empty, the log's end shown if it fails.
deps_apt() {
  local log="$1"
  shift
  if [[ -z "$log" ]]; then
    "$@"
    return
  fi
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "deps: apt-get failed; its whole output is in $log" >&2
    return 1
  fi
}

# deps_build DIR [cmake --build arguments...]: builds; into a log rather than a
# terminal, without ninja's line per step, so that warnings and errors stand
# out.
deps_build() {
  local dir="$1"
  shift
  if [[ -t 1 ]]; then
    cmake --build "$dir" "$@"
  else
    cmake --build "$dir" "$@" -- --quiet
  fi
}

# Called rather than sourced: install what the arguments name.
if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  set -euo pipefail
  deps_install "$@"
fi
