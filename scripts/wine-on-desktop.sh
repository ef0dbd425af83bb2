# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts that drive Windows programs under wine64 on a
# desktop of their own, once they run on it (scripts/with-desktop.sh): needs
# WINEPREFIX, starts a Wine server of this run's own, and sets WINE64.
#
#   source scripts/wine-on-desktop.sh
: "${WINEPREFIX:?the Wine prefix to run in}"
# A Wine server started without this display (by tests that need none) would
# keep its desktop away from it: this run starts its own.
wineserver --kill >/dev/null 2>&1 || true
wineserver --wait >/dev/null 2>&1 || true
export WINEDEBUG=-all
WINE64=/usr/lib/wine/wine64
[[ -x "$WINE64" ]] || WINE64="$(command -v wine64 || command -v wine)"
