#!/usr/bin/env bash
# The Windows steps, in order (or only those named):
#   build     both cross builds into out/windows-x86 and out/windows-x64, and
#             the 64-bit tests (scripts/build-windows.sh --tests)
#   test      the 64-bit tests under Wine, through CTest (their own Wine prefix,
#             build-win64/tests/wine, with the null display driver)
#   smoke     out/windows-x64/Vostrel.exe under Wine on a virtual X screen:
#             waits for the window "Kelvane", sends Alt+S, takes a screenshot
#             ($ARTIFACTS_DIR/vostrel-wine.png), closes the window and
#             expects the program to end
#   inspect   the 32-bit outputs, which this machine cannot run: PE32 for
#             i386, Peloc.dll's one export GetOffset found by the project's
#             own lookup (a host build of vostrel-scan) where binutils puts
#             it, and imports of system DLLs only
# Each step expects the ones before it to have run once.
#   ARTIFACTS_DIR  where the screenshot goes (default: build/artifacts)
#   JOBS           parallel jobs (default 2)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
jobs=${JOBS:-2}
artifacts=$(realpath -m "${ARTIFACTS_DIR:-$root/build/artifacts}")
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

say() { printf -- '--- windows: %s\n' "$*"; }
fail() { printf 'windows: %s\n' "$*" >&2; exit 1; }

step_build() {
  say "cross builds (out/windows-x86, out/windows-x64) and the 64-bit tests"
  JOBS=$jobs bash "$root/scripts/build-windows.sh" --tests
}

step_test() {
  say "64-bit tests under Wine"
  ctest --test-dir "$root/build-win64/tests" -j"$jobs" --output-on-failure
}

# --- smoke test -------------------------------------------------------------

smoke_prefix="$root/build-win64/wine-smoke"
smoke_demo="$root/build-win64/smoke-demo"

step_smoke() {
  say "Vostrel.exe under Wine and Xvfb"
  local out="$root/out/windows-x64"
  [ -f "$out/Vostrel.exe" ] && [ -f "$out/Peloc.dll" ] || fail "no $out/Vostrel.exe: run the build step first"
  # The demo folder: the program, the library and a few missions, as in a game's folder.
  rm -rf "$smoke_demo"
  mkdir -p "$smoke_demo" "$artifacts"
  cp "$out/Vostrel.exe" "$out/Peloc.dll" "$smoke_demo/"
  local dlls="$root/ui/win32/tests/dlls" name
  for name in ridge_mission harbour_mission scouting_mission plain_functions; do
    i686-w64-mingw32-gcc -shared -s -O1 -o "$smoke_demo/${name%_*}.dll" "$dlls/$name.c"
  done
  rm -f "$artifacts/vostrel-wine.png"
  xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" smoke-on-screen
  [ -s "$artifacts/vostrel-wine.png" ] || fail "no screenshot"
  say "screenshot: $artifacts/vostrel-wine.png"
}

# The X window that shows frmMain. Looked up afresh each time: Wine may
# replace a window's X window as the window changes state.
kelvane_window() {
  timeout "${1:-10}" xdotool search --sync --onlyvisible --name '^Kelvane$' | head -n 1
}

# Runs inside xvfb-run.
step_smoke_on_screen() {
  export WINEPREFIX=$smoke_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Whatever happens, the Wine processes of this prefix end with the step.
  trap '"$wineserver" -k 2>/dev/null || true' EXIT
  "$wine" wineboot -i >/dev/null 2>&1 || true
  # No window manager runs on the virtual screen: Wine draws the frames itself,
  # so that the caption and the icon show in the screenshot.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

  (cd "$smoke_demo" && exec "$wine" Vostrel.exe) &
  local program=$! window
  window=$(kelvane_window 90) && [ -n "$window" ] || fail "the window Kelvane did not appear"
  sleep 1
  window=$(kelvane_window) && [ -n "$window" ] || fail "the window Kelvane went away"
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key --window "$window" alt+s
  sleep 3  # four DLLs scan in far less
  kill -0 "$program" 2>/dev/null || fail "Vostrel.exe ended during the scan"
  import -window root "$artifacts/vostrel-wine.png"

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

# --- 32-bit inspection ------------------------------------------------------

host_build="$root/build-win32/host"

objdump32() { i686-w64-mingw32-objdump "$@"; }

# The DLL names a PE file imports, one per line, upper case.
imports() { objdump32 -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:lower:]' '[:upper:]' | sort -u; }

# (Outputs are taken whole before they are searched: with pipefail, grep -q
# leaving a pipe early would fail the writer.)
expect_pe32_i386() {
  local file=$1 header private
  header=$(objdump32 -f "$file")
  private=$(objdump32 -p "$file")
  grep -q 'file format pei-i386' <<<"$header" || fail "$file: not a PE image for i386"
  grep -q '^architecture: i386' <<<"$header" || fail "$file: machine is not i386"
  grep -Eq '^Magic[[:space:]]+010b' <<<"$private" || fail "$file: optional header magic is not 0x10b (PE32)"
}

expect_imports_within() {  # file allowed-DLL...
  local file=$1 dll
  shift
  for dll in $(imports "$file"); do
    case " ${*^^} " in
      *" $dll "*) ;;
      *) fail "$file imports $dll, which is not a system DLL" ;;
    esac
  done
}

# The file offset of a PE file's export, as binutils reads the tables.
binutils_export_offset() {  # file export-name
  local file=$1 name=$2 index rva base
  local dump
  dump=$(objdump32 -p "$file")
  index=$(sed -n "/^\[Ordinal\/Name Pointer\] Table/,/^\$/s/^[[:space:]]*\[ *\([0-9]*\)\] $name\$/\1/p" <<<"$dump")
  [ -n "$index" ] || return 1
  rva=$(sed -n "s/^[[:space:]]*\[ *$index\] +base\[ *[0-9]*\] \([0-9a-f]*\) Export RVA\$/\1/p" <<<"$dump")
  base=$(sed -n 's/^ImageBase[[:space:]]*\([0-9a-f]*\)$/\1/p' <<<"$dump")
  [ -n "$rva" ] && [ -n "$base" ] || return 1
  rva=$((16#$rva))
  base=$((16#$base))
  # Sections: "Idx Name Size VMA LMA File-off Algn"
  local idx section size vma lma raw rest start
  while read -r idx section size vma lma raw rest; do
    [[ $idx =~ ^[0-9]+$ ]] || continue
    start=$((16#$vma - base))
    if ((rva >= start && rva < start + 16#$size)); then
      echo $((rva - start + 16#$raw))
      return 0
    fi
  done < <(objdump32 -h "$file")
  return 1
}

step_inspect() {
  say "32-bit outputs"
  local out="$root/out/windows-x86" file
  for file in Vostrel.exe Peloc.dll vostrel-scan.exe; do
    [ -f "$out/$file" ] || fail "no $out/$file: run the build step first"
    expect_pe32_i386 "$out/$file"
  done

  local exports
  exports=$(objdump32 -p "$out/Peloc.dll" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p')
  [ "$exports" = "GetOffset" ] || fail "Peloc.dll exports [$exports], not just GetOffset"

  expect_imports_within "$out/Peloc.dll" KERNEL32.DLL MSVCRT.DLL
  expect_imports_within "$out/vostrel-scan.exe" KERNEL32.DLL MSVCRT.DLL
  expect_imports_within "$out/Vostrel.exe" KERNEL32.DLL USER32.DLL GDI32.DLL COMCTL32.DLL MSVCRT.DLL \
    ADVAPI32.DLL SHELL32.DLL

  # The program file's resources: icon (3), icon group (14), version (16), manifest (24).
  local type resources texts
  resources=$(objdump32 -p "$out/Vostrel.exe")
  for type in 03 0e 10 18; do
    grep -Eq "^[0-9a-f]{3}   Entry: ID: 0x0000$type," <<<"$resources" ||
      fail "Vostrel.exe lacks resources of type 0x$type"
  done
  texts=$(strings -el "$out/Vostrel.exe")
  grep -qx '040904E4' <<<"$texts" || fail "Vostrel.exe has no US English version block"
  for type in FileVersion ProductVersion; do
    [ "$(grep -A1 -x "$type" <<<"$texts" | tail -n 1)" = "1.00" ] || fail "Vostrel.exe's $type is not 1.00"
  done

  # The project's own lookup, built for this machine, on the 32-bit library.
  local generator=()
  [ -f "$host_build/CMakeCache.txt" ] || generator=(-G Ninja)
  cmake -S "$root" -B "$host_build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DVOSTREL_TESTS=OFF -DVOSTREL_UI=none >/dev/null
  cmake --build "$host_build" -j"$jobs" --target vostrel-scan >/dev/null
  local found expected
  found=$("$host_build/bin/vostrel-scan" --offset "$out/Peloc.dll" GetOffset | cut -f1) ||
    fail "the lookup does not find GetOffset in the 32-bit Peloc.dll"
  expected=$(binutils_export_offset "$out/Peloc.dll" GetOffset) || fail "binutils finds no GetOffset in Peloc.dll"
  [ "$found" -ne 0 ] && [ "$found" -eq "$expected" ] ||
    fail "the lookup puts GetOffset at $found, binutils at $expected"
  say "Peloc.dll (PE32): GetOffset at file offset $found; imports $(imports "$out/Peloc.dll" | tr '\n' ' ')"
  say "Vostrel.exe (PE32): imports $(imports "$out/Vostrel.exe" | tr '\n' ' ')"
}

steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(build test smoke inspect)
for step in "${steps[@]}"; do
  case "$step" in
    build | test | smoke | inspect) "step_$step" ;;
    smoke-on-screen) step_smoke_on_screen ;;
    *) echo "usage: $0 [build] [test] [smoke] [inspect]" >&2; exit 2 ;;
  esac
done
