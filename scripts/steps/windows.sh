#!/usr/bin/env bash
# The Windows steps that are not CTest tests, in order (or only those named):
#   build     both cross builds into out/windows-x86 and out/windows-x64, and
#             the 32- and 64-bit tests (scripts/build-windows.sh --tests); the
#             tests, with the checks of the shipped files, then run with
#             ctest --test-dir build-win64/tests (and build-win32/tests)
#   smoke     out/windows-x64/Vostrel.exe under Wine on a virtual X screen,
#             given a folder named in Polish on its command line: waits for
#             the window "Kelvane", sends Alt+S, takes a screenshot
#             ($ARTIFACTS_DIR/vostrel-wine.png); Ctrl+F and a word typed
#             (vostrel-wine-filter.png); Escape, Home, Enter: the first row's
#             details window (vostrel-wine-details.png); closes the window and
#             expects the program to end
#   smoke32   the same for out/windows-x86/Vostrel.exe under 32-bit Wine
#             ($ARTIFACTS_DIR/vostrel-wine32.png, vostrel-wine32-filter.png,
#             vostrel-wine32-details.png)
# The smoke steps take their missions from the test builds.
#   ARTIFACTS_DIR  where the screenshots go (default: build/artifacts)
#   JOBS           parallel jobs (default 2)
#
# Sourced (. scripts/steps/windows.sh), it runs no step and gives the function
# wine32: "wine32 PROGRAM.exe [ARGS...]" runs a 32-bit Windows program under
# 32-bit Wine, in the prefix build-win32/wine (made on first use, by
# cmake/WineRun.cmake as for the tests), with its exit status. The same as a
# command: bash scripts/steps/windows.sh run32 PROGRAM.exe [ARGS...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
jobs=${JOBS:-2}
artifacts=$(realpath -m "${ARTIFACTS_DIR:-$root/build/artifacts}")
wine=/usr/lib/wine/wine64
wine32_loader=/usr/lib/wine/wine  # wine32:i386; the tests' one is cmake/Wine.cmake's VOSTREL_WINE
wineserver=/usr/lib/wine/wineserver
wine32_prefix="$root/build-win32/wine"

say() { printf -- '--- windows: %s\n' "$*"; }
fail() { printf 'windows: %s\n' "$*" >&2; exit 1; }

step_build() {
  say "cross builds (out/windows-x86, out/windows-x64) and the 32- and 64-bit tests"
  JOBS=$jobs bash "$root/scripts/build-windows.sh" --tests
}

# --- running 32-bit programs ------------------------------------------------

# The kernel must run the 32-bit Wine loader (a 32-bit Linux program).
expect_wine32() {
  "$wine32_loader" --version >/dev/null 2>&1 ||
    fail "$wine32_loader does not run: the 32-bit tests need wine32:i386 and a kernel that runs 32-bit programs"
}

# wine32 PROGRAM.exe [ARGS...]: see the head of this file.
wine32() {
  expect_wine32
  cmake "-DWINE=$wine32_loader" "-DWINEPREFIX=$wine32_prefix" -P "$root/cmake/WineRun.cmake" ||
    fail "cannot prepare the Wine prefix $wine32_prefix"
  WINEPREFIX=$wine32_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$wine32_loader" "$@"
}

# --- smoke test -------------------------------------------------------------

# smoke: 64-bit; smoke32: the same with the 32-bit files and Wine.
smoke_bits=${SMOKE_BITS:-64}
smoke_setup() {
  if [ "$smoke_bits" = 32 ]; then
    smoke_out="$root/out/windows-x86" smoke_wine=$wine32_loader smoke_shot=vostrel-wine32.png
  else
    smoke_out="$root/out/windows-x64" smoke_wine=$wine smoke_shot=vostrel-wine.png
  fi
  smoke_prefix="$root/build-win$smoke_bits/wine-smoke"
  smoke_demo="$root/build-win$smoke_bits/smoke-demo"
  smoke_missions="Łódź"
}
smoke_setup

step_smoke32() {
  expect_wine32
  SMOKE_BITS=32 bash "$0" smoke
}

step_smoke() {
  say "Vostrel.exe ($smoke_bits-bit) under Wine and Xvfb"
  local out=$smoke_out
  [ -f "$out/Vostrel.exe" ] && [ -f "$out/Peloc.dll" ] || fail "no $out/Vostrel.exe: run the build step first"
  # The demo folder: the program and the library, and a few missions in a
  # folder beside them named in Polish, which the program is given.
  rm -rf "$smoke_demo"
  mkdir -p "$smoke_demo/$smoke_missions" "$artifacts"
  cp "$out/Vostrel.exe" "$out/Peloc.dll" "$smoke_demo/"
  local dlls="$root/build-win$smoke_bits/tests/bin/win32-testdlls" name
  for name in ridge harbour scouting plain; do
    [ -f "$dlls/win32_$name.dll" ] || fail "no $dlls/win32_$name.dll: run the build step first"
    cp "$dlls/win32_$name.dll" "$smoke_demo/$smoke_missions/$name.dll"
  done
  local shots=("$smoke_shot" "${smoke_shot%.png}-filter.png" "${smoke_shot%.png}-details.png") shot
  for shot in "${shots[@]}"; do rm -f "$artifacts/$shot"; done
  SMOKE_BITS=$smoke_bits xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" smoke-on-screen
  for shot in "${shots[@]}"; do
    [ -s "$artifacts/$shot" ] || fail "no screenshot $shot"
    say "screenshot: $artifacts/$shot"
  done
}

# The X window that shows frmMain. Looked up afresh each time: Wine may
# replace a window's X window as the window changes state.
kelvane_window() {
  timeout "${1:-10}" xdotool search --sync --onlyvisible --name '^Kelvane$' | head -n 1
}

# The filter box with a word typed in it; then, the box hidden again, the
# details window of the table's first row. Runs inside xvfb-run.
smoke_filter_and_details() {
  local window details
  window=$(kelvane_window) && [ -n "$window" ] || fail "the window Kelvane went away"
  xdotool key --window "$window" ctrl+f
  xdotool type --window "$window" --delay 50 ridge
  sleep 1
  import -window root "$artifacts/${smoke_shot%.png}-filter.png"
  xdotool key --window "$window" Escape Home Return
  # Titled with the mission's file name.
  details=$(timeout 10 xdotool search --sync --onlyvisible --name '\.dll$' | head -n 1) && [ -n "$details" ] ||
    fail "no details window opened"
  sleep 1
  import -window root "$artifacts/${smoke_shot%.png}-details.png"
  # The window goes as soon as Escape is down, so sending the key's release may fail.
  xdotool key --window "$details" Escape 2>/dev/null || true
}

# Runs inside xvfb-run.
step_smoke_on_screen() {
  export WINEPREFIX=$smoke_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Whatever happens, the Wine processes of this prefix end with the step.
  trap '"$wineserver" -k 2>/dev/null || true' EXIT
  "$smoke_wine" wineboot -i >/dev/null 2>&1 || true
  # No window manager runs on the virtual screen: Wine draws the frames itself,
  # so that the caption and the icon show in the screenshot.
  "$smoke_wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

  # The folder relative to the working folder; Wine reads the argument in the
  # locale's character set, which the program gets as UTF-16.
  (cd "$smoke_demo" && LANG=C.UTF-8 exec "$smoke_wine" Vostrel.exe "$smoke_missions") &
  local program=$! window
  window=$(kelvane_window 90) && [ -n "$window" ] || fail "the window Kelvane did not appear"
  sleep 1
  window=$(kelvane_window) && [ -n "$window" ] || fail "the window Kelvane went away"
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key --window "$window" alt+s  # the same folder again
  sleep 3  # four DLLs scan in far less
  kill -0 "$program" 2>/dev/null || fail "Vostrel.exe ended during the scan"
  import -window root "$artifacts/$smoke_shot"
  smoke_filter_and_details

  # Closing the window must end the program.
  window=$(kelvane_window) && [ -n "$window" ] || fail "the window Kelvane went away"
  # The window goes as soon as F4 is down, so sending the key releases may fail.
  xdotool key --window "$window" alt+F4 2>/dev/null || true
  local waited=0
  while kill -0 "$program" 2>/dev/null; do
    [ "$waited" -lt 30 ] || fail "Vostrel.exe did not end when its window was closed"
    sleep 0.5
    waited=$((waited + 1))
  done
  wait "$program" || fail "Vostrel.exe ended with status $?"
}

# Sourced: only the functions.
[ "${BASH_SOURCE[0]}" = "$0" ] || return 0

steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(build smoke smoke32)
[ "${steps[0]}" != run32 ] || { wine32 "${steps[@]:1}"; exit; }
for step in "${steps[@]}"; do
  case "$step" in
    build | smoke | smoke32) "step_$step" ;;
    smoke-on-screen) step_smoke_on_screen ;;
    *) echo "usage: $0 [build] [smoke] [smoke32] | run32 PROGRAM.exe [ARGS...]" >&2; exit 2 ;;
  esac
done
