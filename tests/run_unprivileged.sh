#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test binary as the unprivileged user "nobody", for the checks that
# permission bits must stop (root ignores them). The binary is copied to a
# folder that user can reach, wherever the build tree lives.
#   run_unprivileged.sh BINARY [ARGS...]
set -eu
binary=$1
shift
dir=$(mktemp -d "${TMPDIR:-/tmp}/clipquill-unprivileged.XXXXXX")
trap 'rm -rf "$dir"' EXIT
chmod 755 "$dir"
cp "$binary" "$dir/"
chmod 755 "$dir/$(basename "$binary")"
cd "$dir"
setpriv --reuid=65534 --regid=65534 --clear-groups env TMPDIR=/tmp \
  "$dir/$(basename "$binary")" "$@"
