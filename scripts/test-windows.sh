#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Clipquill for Windows, from Linux: cross-builds the window, the command line
# and every layer below them with Debian's mingw-w64 (warnings as errors; Qt,
# QScintilla and libjpeg-turbo for Windows from the vendored tarballs through
# scripts/windows-deps.sh; GoogleTest from Debian's own source), makes the
# program folder, runs every test program under wine64, then runs
# clipquill-cli.exe end to end in a temporary folder (scripts written,
# replaced with -y, a template and its settings saved and loaded, the flags
# in Wine's registry) and the window itself on a desktop of its own
# (tests/desktop/window_on_wine.sh).
#
#   bash scripts/test-windows.sh
#   WINDOWS_FIGURES=0 bash scripts/test-windows.sh   # without the figures
#
# Everything lands in build-windows/ (or $WINDOWS_BUILD): the build, the
# program folder (Clipquill/), a fresh Wine prefix, the window's screenshots
# (shots/), and each step's whole output in logs/. The log here stays short:
# one line per step and test program, the reasons of any test skipped, and
# how long each step and the whole stage took.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

# shellcheck source=scripts/deps.sh
source scripts/deps.sh
# shellcheck source=scripts/windows-check.sh
source scripts/windows-check.sh
# shellcheck source=scripts/windows-paths.sh
source scripts/windows-paths.sh
# googletest is Debian's source package of GoogleTest (/usr/src/googletest);
# wine provides wineboot, wine64 the 64-bit loader.
deps_install cmake ninja-build g++-mingw-w64-x86-64-posix googletest nlohmann-json3-dev \
  wine wine64 fonts-wine xvfb openbox xdotool imagemagick x11-utils nsis zip

BUILD="${WINDOWS_BUILD:-$ROOT/build-windows}"
LOGS="$BUILD/logs"
TOOLCHAIN="$ROOT/cmake/mingw-w64-x86_64.cmake"
WINE64=/usr/lib/wine/wine64
[[ -x "$WINE64" ]] || WINE64="$(command -v wine64 || command -v wine)"
mkdir -p "$LOGS"
stage_start=$SECONDS

# Runs a step with its output in a log of its own; on failure the log's end
# is shown.
quietly() {
  local log="$1"
  shift
  if ! "$@" >"$log" 2>&1; then
    echo "FAILED: $* (the end of $log:)"
    tail -n 40 "$log"
    return 1
  fi
}

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

# --- the window's libraries for Windows, built once ----------------------------
step=$SECONDS
mapfile -t prefixes < <(bash scripts/windows-deps.sh "$BUILD")
QT_PREFIX="${prefixes[0]}"
deps_seconds=$((SECONDS - step))
echo "windows: Qt, QScintilla and libjpeg-turbo for Windows ready in ${deps_seconds} s"

# --- the build ----------------------------------------------------------------
step=$SECONDS
quietly "$LOGS/googletest.log" cmake -S /usr/src/googletest -B "$BUILD/googletest" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF \
  -DINSTALL_GTEST=ON -DCMAKE_INSTALL_PREFIX="$BUILD/googletest-install" "${launcher[@]}"
quietly "$LOGS/googletest.log" cmake --build "$BUILD/googletest" -j "$(nproc)" --target install
# Optimised as the other builds are, without the debug information, which
# nothing here reads and which only costs compile time.
quietly "$LOGS/build.log" cmake -S . -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCLIPQUILL_WERROR=ON \
  -DCLIPQUILL_BENCH=OFF -DGTest_DIR="$BUILD/googletest-install/lib/cmake/GTest" \
  -DCMAKE_PREFIX_PATH="$(IFS=';'; echo "${prefixes[*]}")" \
  -DCLIPQUILL_WINDOWS_PREFIXES="$(IFS=';'; echo "${prefixes[*]}")" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "${launcher[@]}"
quietly "$LOGS/build.log" cmake --build "$BUILD" -j "$(nproc)"
build_seconds=$((SECONDS - step))
echo "windows: cross-built in ${build_seconds} s (GoogleTest and Clipquill, $LOGS/build.log)"
windows_check_build

# --- the program folder -------------------------------------------------------
FOLDER="$BUILD/Clipquill"
rm -rf "$FOLDER"
quietly "$LOGS/install.log" cmake --install "$BUILD" --prefix "$FOLDER" --strip
# AviSynth.dll comes with the program, used only where no AviSynth+ is
# installed: in a folder of its own, so that it never shadows an installed
# one through the DLL search path (the compiler's run-time it needs is in
# the program folder, which Windows searches for a DLL's own imports).
mkdir -p "$FOLDER/avisynth" "$FOLDER/licenses/AviSynth+"
cp "$AVISYNTH_DLL" "$FOLDER/avisynth/AviSynth.dll"
x86_64-w64-mingw32-strip --strip-unneeded "$FOLDER/avisynth/AviSynth.dll"
cp "$BUILD/avisynthplus/src/distrib/gpl.txt" "$FOLDER/licenses/AviSynth+/GPL-2.0-or-later.txt"
awk '/^Files: usr\/lib\/clipquill\/avisynth\/libavisynth.so/,/^$/' resources/copyright \
  >"$FOLDER/licenses/AviSynth+/copyright.txt"
echo "windows: program folder $FOLDER: $(du -sh "$FOLDER" | cut -f1) stripped," \
  "$(find "$FOLDER" -type f | wc -l) files, AviSynth.dll in avisynth\\"

# --- a fresh Wine, with no window and no installer asking for anything -------
export WINEPREFIX="$BUILD/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
step=$SECONDS
rm -rf "$WINEPREFIX"
quietly "$LOGS/wineboot.log" wineboot --init
wineserver --wait || true
# Qt 6 runs on Windows 10 and later only.
quietly "$LOGS/wineboot.log" "$WINE64" winecfg /v win10
wineserver --wait || true
echo "windows: fresh Wine prefix in $((SECONDS - step)) s ($("$WINE64" --version 2>/dev/null || echo wine))"

# The test programs of the window's seams load Qt from the program folder.
WINEPATH="$(winepath -w "$FOLDER" 2>/dev/null)"
export WINEPATH

# --- the program folder holds every DLL its programs import --------------------
# What is neither in the folder nor Windows' own (Wine's system32) would stop
# clipquill.exe on a user's machine before it shows anything.
system32="$WINEPREFIX/drive_c/windows/system32"
missing=()
while IFS= read -r -d '' binary; do
  while IFS= read -r dll; do
    # API sets (api-ms-win-*) are names the Windows loader maps, not files.
    if [[ "${dll,,}" == api-ms-win-* || "${dll,,}" == ext-ms-win-* ]]; then continue; fi
    if [[ -z "$(find "$FOLDER" "$system32" -maxdepth 1 -iname "$dll" -print -quit)" ]]; then
      missing+=("${binary#"$FOLDER"/}: $dll")
    fi
  done < <(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\tDLL Name: //p')
done < <(find "$FOLDER" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)
if ((${#missing[@]} > 0)); then
  echo "FAILED: the program folder lacks DLLs its programs import:"
  printf '    %s\n' "${missing[@]}"
  exit 1
fi
echo "windows: every DLL the program folder's programs import is there or Windows' own"

# --- every test program -------------------------------------------------------
windows_check_env
step=$SECONDS
failed=0
total_passed=0
total_failed=0
total_skipped=0
programs=("$BUILD"/tests/*_tests.exe)
if [[ ! -e "${programs[0]}" ]]; then
  echo "FAILED: no test programs in $BUILD/tests"
  exit 1
fi
for program in "${programs[@]}"; do
  name="$(basename "$program" .exe)"
  log="$LOGS/$name.log"
  set +e
  (cd "$(dirname "$program")" && timeout --kill-after=30 600 "$WINE64" "$program") >"$log" 2>&1
  rc=$?
  set -e
  # GoogleTest's own closing lines: "[  PASSED  ] N tests." and the like.
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -n 1)
  skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) test.*/\1/p' "$log" | tail -n 1)
  failures=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -n 1)
  passed=${passed:-0} skipped=${skipped:-0} failures=${failures:-0}
  if ((rc != 0 && failures == 0)); then failures=1; fi
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failures))
  total_skipped=$((total_skipped + skipped))
  status=ok
  if ((rc != 0)); then
    status="FAILED (exit $rc)"
    failed=1
  fi
  echo "windows: $name: $passed passed, $failures failed, $skipped skipped: $status ($log)"
  # A test skipped under Wine says why; the reason is shown here.
  grep -B1 '^\[  SKIPPED \] [A-Za-z]' "$log" | grep -v '^\[  SKIPPED \]\|^--' |
    sed 's/^/    skipped: /' || true
  if ((rc != 0)); then
    grep '^\[  FAILED  \] [A-Za-z]' "$log" | sed 's/^/    /' || true
  fi
done
tests_seconds=$((SECONDS - step))
echo "windows: test programs ran in ${tests_seconds} s under wine64"

# --- the program itself, end to end ------------------------------------------
step=$SECONDS
cli="$BUILD/bin/clipquill-cli.exe"
work="$(mktemp -d "$BUILD/e2e.XXXXXX")"
e2e_log="$LOGS/end-to-end.log"
: >"$e2e_log"
e2e_failed=0
# Runs clipquill-cli.exe in the work folder; its exit status is kept in $status.
cq() {
  set +e
  (cd "$work" && "$WINE64" "$cli" "$@" </dev/null) >"$work/.out" 2>"$work/.err"
  status=$?
  set -e
  {
    echo "\$ clipquill-cli $* -> $status"
    cat "$work/.out" "$work/.err"
  } >>"$e2e_log"
}
check() {
  local what="$1"
  shift
  if ! "$@"; then
    echo "    end to end: FAILED: $what"
    e2e_failed=1
  fi
}
contains() { grep -qF -- "$2" "$1"; }

mkdir -p "$work/clips" "$work/out"
: >"$work/clips/a.avi"
: >"$work/clips/b.avi"
: >"$work/clips/skip.mpg"
printf 'AviSource("<P><F>")\r\n' >"$work/Hall.qtpl"
clips_win="$(cd "$work" && winepath -w "$work/clips" 2>/dev/null)\\"

cq -s clips -e avi -d out Hall.qtpl
check "scripts written" test "$status" -eq 0
check "one script per clip, no other" test "$(ls "$work/out")" = "$(printf 'a.avs\nb.avs')"
check "the clip named by its Windows path, CR LF" \
  test "$(cat "$work/out/a.avs")" = "$(printf 'AviSource("%sa.avi")\r' "$clips_win")"

printf 'AviSource("<P><F>").Trim(0, 99)\r\n' >"$work/Hall.qtpl"
cq -s clips -e avi -d out Hall.qtpl
check "no replacement unasked (exit 3)" test "$status" -eq 3
check "the old script kept" contains "$work/out/a.avs" 'AviSource("'
check "the old script kept whole" test "$(grep -c Trim "$work/out/a.avs")" -eq 0
cq -y -s clips -e avi -d out Hall.qtpl
check "replaced with -y" test "$status" -eq 0
check "the new script in place" contains "$work/out/b.avs" '.Trim(0, 99)'
check "no temporary left" test "$(ls -A "$work/out" | wc -l)" -eq 2

cq --save Saved.qtpl --load-inis off -s clips -e avi -d out Hall.qtpl
check "template saved" test "$status" -eq 0
check "the template written byte for byte" cmp -s "$work/Hall.qtpl" "$work/Saved.qtpl"
check "its settings file beside it" contains "$work/Saved.ini" 'ScriptDest='
WINEDEBUG=-all "$WINE64" reg query 'HKLM\Software\Clipquill\Saved' >"$work/.reg" 2>&1 || true
cat "$work/.reg" >>"$e2e_log"
check "LoadInis 0 in Wine's registry" grep -qE 'LoadInis +REG_DWORD +0x0' "$work/.reg"
check "SaveInis 1 in Wine's registry" grep -qE 'SaveInis +REG_DWORD +0x1' "$work/.reg"
cq --show Saved.qtpl
check "the saved template loads" test "$status" -eq 0
check "its flag read back from the registry" contains "$work/.out" '"LoadInis": false'
check "so its settings file is not loaded" contains "$work/.out" '"ScriptDest": ""'
cq --load-inis on --save Saved.qtpl -y -s clips -e avi -d out Saved.qtpl
cq --show Saved.qtpl
check "with the flag on, the settings load" contains "$work/.out" "\"ScriptDest\": \""
check "... naming the destination" contains "$work/.out" '\\out'

cq -s nothere Hall.qtpl
check "a missing folder fails (exit 1)" test "$status" -eq 1
check "... as File not found" contains "$work/.err" 'File not found.'
rm -rf "$work"
e2e_seconds=$((SECONDS - step))
if ((e2e_failed)); then
  echo "windows: clipquill-cli.exe end to end: FAILED ($e2e_log)"
  failed=1
else
  echo "windows: clipquill-cli.exe end to end: ok in ${e2e_seconds} s ($e2e_log)"
fi

windows_check_end_to_end
windows_code_page_end_to_end
windows_paths_end_to_end
windows_bundled_end_to_end

# --- the window itself, on a desktop --------------------------------------------
step=$SECONDS
SHOTS="$BUILD/shots"
rm -rf "$SHOTS" && mkdir -p "$SHOTS"
if bash tests/desktop/window_on_wine.sh "$FOLDER" "$SHOTS" >"$LOGS/window.log" 2>&1; then
  echo "windows: clipquill.exe on a desktop: ok in $((SECONDS - step)) s (screenshots in $SHOTS)"
  grep '^window_on_wine: ' "$LOGS/window.log" | sed 's/^window_on_wine: /    /'
else
  echo "windows: clipquill.exe on a desktop: FAILED (the end of $LOGS/window.log:)"
  tail -n 20 "$LOGS/window.log" | sed 's/^/    /'
  failed=1
fi
window_seconds=$((SECONDS - step))

# --- the installer and the portable .zip, installed and removed under Wine -------
step=$SECONDS
if mapfile -t packages < <(bash scripts/windows-installer.sh "$FOLDER" "$BUILD/packages" \
  2>"$LOGS/installer.log") && [[ -f "${packages[0]:-}" ]]; then
  grep '^windows-installer: ' "$LOGS/installer.log" | sed 's/^windows-installer: /windows: /'
  if INSTALLER_SHOTS="$SHOTS/installer" bash tests/windows/installer_on_wine.sh "${packages[0]}" \
    >>"$LOGS/installer.log" 2>&1; then
    echo "windows: the installer under Wine: ok in $((SECONDS - step)) s"
    grep '^installer_on_wine: ' "$LOGS/installer.log" | sed 's/^installer_on_wine: /    /'
  else
    echo "windows: the installer under Wine: FAILED (the end of $LOGS/installer.log:)"
    tail -n 15 "$LOGS/installer.log" | sed 's/^/    /'
    failed=1
  fi
else
  echo "windows: the installer: FAILED to build (the end of $LOGS/installer.log:)"
  tail -n 15 "$LOGS/installer.log" | sed 's/^/    /'
  failed=1
fi
installer_seconds=$((SECONDS - step))

# --- the window's figures, beside their floors -----------------------------------
step=$SECONDS
if [[ "${WINDOWS_FIGURES:-1}" == 0 ]]; then
  echo "windows: the window's figures left out (WINDOWS_FIGURES=0)"
elif bash bench/windows/window_figures.sh "$FOLDER" "$BUILD/bin/bare_window.exe" \
  >"$LOGS/figures.log" 2>&1; then
  grep -E '^(start to shown|create)' "$LOGS/figures.log" | sed 's/^/windows: /'
else
  # Figures are printed, never judged; a run that could not measure says so.
  echo "windows: the window's figures could not be taken (the end of $LOGS/figures.log:)"
  tail -n 10 "$LOGS/figures.log" | sed 's/^/    /'
fi
figures_seconds=$((SECONDS - step))

wineserver --kill >/dev/null 2>&1 || true
echo "windows: ${total_passed} passed, ${total_failed} failed, ${total_skipped} skipped"
echo "windows: the Windows stage took $((SECONDS - stage_start)) s (libraries ${deps_seconds} s," \
  "build ${build_seconds} s, tests ${tests_seconds} s, end to end ${e2e_seconds} s," \
  "window ${window_seconds} s, installer ${installer_seconds} s, figures ${figures_seconds} s)"
exit "$failed"
