# SPDX-License-Identifier: GPL-3.0-or-later
# What the desktop tests ask of the screen, sourced by each: the windows on
# it as xdotool finds them.

# Waits up to $2 tenths of a second (default 100) for a visible window named
# $1 (a regular expression) and prints its id.
window_named() {
  local name="$1" tries="${2:-100}" id
  for _ in $(seq "$tries"); do
    id="$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n1 || true)"
    if [[ -n "$id" ]]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Whether process $1 ends within $2 tenths of a second (default 50).
process_ends() {
  local pid="$1" tries="${2:-50}"
  for _ in $(seq "$tries"); do
    if ! kill -0 "$pid" 2>/dev/null; then return 0; fi
    sleep 0.1
  done
  ! kill -0 "$pid" 2>/dev/null
}
