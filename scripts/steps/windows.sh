#!/usr/bin/env bash
# The Windows steps, in order (or only those named):
#   build     both cross builds into out/windows-x86 and out/windows-x64, and
#             the 32- and 64-bit tests (scripts/build-windows.sh --tests)
#   test      the 64-bit tests under 64-bit Wine, through CTest (their own Wine
#             prefix, build-win64/tests/wine, with the null display driver)
#   test32    the same tests, 32-bit, under 32-bit Wine (build-win32/tests)
#   codepages every byte and double-byte pair of every code page the program
#             reads texts in, decoded by the 64-bit test build's
#             code_page_dump.exe under Wine (Windows' own conversion) and by
#             the Linux code_page_dump (its tables): any difference fails
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
#   scan32    the shipped 32-bit vostrel-scan.exe and Peloc.dll: the rows of a
#             scan of the test missions and each export's offset, as the Linux
#             vostrel-scan gives them; then a scan of thousands of missions in
#             one run, each GetOffset call bound by name
#   scanlocales  the shipped vostrel-scan.exe, 64- and 32-bit, under Wine with
#             LANG set to each of several locales (generated here when the C
#             library lacks them: Wine takes the system's code page from LANG):
#             the rows of missions written in that locale's code page, as the
#             Linux vostrel-scan gives them under the same LANG; and the same
#             with --code-page under LANG=C.UTF-8
#   scannames the same files, themselves in a folder named in Greek, on a
#             mission named in Cyrillic (Мост.dll) in a folder named in Polish
#             (Łódź), the folder given on the command line, under LANG=C.UTF-8
#             (a Windows-1252 system): the row with its texts, as on Linux;
#             and the same on a console (a pseudo-terminal)
#   link      a C program linked with Peloc's import library (32- and 64-bit)
#             gives the offsets; each DLL and import library has the one name
#   inspect   what running does not show of the 32-bit files: PE32 for i386
#             (a 64-bit file would run too, Wine switching loaders), imports of
#             system DLLs only, the program's resources and version
# Each step expects the ones before it to have run once.
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
wine32_prefix="$root/build-win32/wine"  # wine64's: build-win64/wine

say() { printf -- '--- windows: %s\n' "$*"; }
fail() { printf 'windows: %s\n' "$*" >&2; exit 1; }

step_build() {
  say "cross builds (out/windows-x86, out/windows-x64) and the 32- and 64-bit tests"
  JOBS=$jobs bash "$root/scripts/build-windows.sh" --tests
}

step_test() {
  say "64-bit tests under Wine"
  # A test whose Wine program loses the wineserver as it starts ("wine client
  # error: recvmsg") is run once more; a real failure fails both times.
  ctest --test-dir "$root/build-win64/tests" -j"$jobs" --output-on-failure --repeat until-pass:2
}

step_test32() {
  say "32-bit tests under 32-bit Wine"
  expect_wine32
  local excluded="$root/cmake/wine32-excluded-tests.txt"
  # Said here too, not only where CTest reports them skipped.
  sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$excluded" | while read -r name reason; do
    say "not run under 32-bit Wine: $name: $reason"
  done
  ctest --test-dir "$root/build-win32/tests" -j"$jobs" --output-on-failure --repeat until-pass:2  # see step_test
}

# --- code pages: the Linux tables against Windows' conversion ---------------

step_codepages() {
  say "code pages: the Linux decoder's tables against Windows' conversion under Wine"
  local exe="$root/build-win64/tests/bin/code_page_dump.exe" host="$root/build-win64/codepages-host"
  local dir="$root/build-win64/codepages"
  [ -f "$exe" ] || fail "no $exe: run the build step first"
  # The Linux dump, from a Linux build of its own beside the Windows one.
  if [ ! -f "$host/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVOSTREL_UI=none >/dev/null
  fi
  cmake --build "$host" -j"$jobs" --target code_page_dump >/dev/null
  mkdir -p "$dir"
  windows_run 64 "$exe" >"$dir/windows.txt" || fail "code_page_dump.exe failed under Wine"
  "$host/bin/code_page_dump" >"$dir/linux.txt" || fail "the Linux code_page_dump failed"
  sed -i 's/\r$//' "$dir/windows.txt"
  [ -s "$dir/windows.txt" ] || fail "code_page_dump.exe printed nothing"
  if ! cmp -s "$dir/windows.txt" "$dir/linux.txt"; then
    # Lines are "code page and bytes<tab>characters": compared by the first field.
    awk -F'\t' 'NR == FNR { windows[$1] = $2; next }
      !($1 in windows) || windows[$1] != $2 { printf "  %s: Windows [%s], Linux [%s]\n", $1, windows[$1], $2 }
      { seen[$1] = 1 }
      END { for (key in windows) if (!(key in seen)) printf "  %s: Windows [%s], Linux nothing\n", key, windows[key] }' \
      "$dir/windows.txt" "$dir/linux.txt" >"$dir/differences.txt"
    fail "the Linux decoder differs from Windows for $(wc -l <"$dir/differences.txt") bytes and pairs; the first:
$(head -n 10 "$dir/differences.txt")
(all of them: $dir/differences.txt)"
  fi
  say "$(cut -d' ' -f1 "$dir/linux.txt" | uniq | wc -l) code pages, $(wc -l <"$dir/linux.txt") bytes and pairs: the Linux decoder gives what Windows gives"
}

# --- running 32-bit programs ------------------------------------------------

# The kernel must run the 32-bit Wine loader (a 32-bit Linux program).
expect_wine32() {
  "$wine32_loader" --version >/dev/null 2>&1 ||
    fail "$wine32_loader does not run: the 32-bit tests need wine32:i386 and a kernel that runs 32-bit programs"
}

# windows_run 32|64 PROGRAM.exe [ARGS...]: runs a Windows program under the
# Wine of its width, in the prefix build-win32/wine or build-win64/wine (made
# on first use by cmake/WineRun.cmake, as for the tests).
windows_run() {
  local bits=$1 loader=$wine prefix="$root/build-win64/wine"
  shift
  if [ "$bits" = 32 ]; then
    expect_wine32
    loader=$wine32_loader prefix=$wine32_prefix
  fi
  cmake "-DWINE=$loader" "-DWINEPREFIX=$prefix" -P "$root/cmake/WineRun.cmake" ||
    fail "cannot prepare the Wine prefix $prefix"
  WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$loader" "$@"
}

# wine32 PROGRAM.exe [ARGS...]: see the head of this file.
wine32() { windows_run 32 "$@"; }

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
  local dlls="$root/ui/win32/tests/dlls" name
  for name in ridge_mission harbour_mission scouting_mission plain_functions; do
    i686-w64-mingw32-gcc -shared -s -O1 -o "$smoke_demo/$smoke_missions/${name%_*}.dll" "$dlls/$name.c"
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

# --- the shipped 32-bit files, run ---------------------------------------------

host_build="$root/build-win32/host"
check_dir="$root/build-win32/check"

# Builds (or brings up to date) the Linux vostrel-scan.
build_host_scan() {
  local generator=()
  [ -f "$host_build/CMakeCache.txt" ] || generator=(-G Ninja)
  cmake -S "$root" -B "$host_build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DVOSTREL_TESTS=OFF -DVOSTREL_UI=none >/dev/null
  cmake --build "$host_build" -j"$jobs" --target vostrel-scan >/dev/null
}

# The Linux vostrel-scan, the answers the Windows files are held to.
host_scan() {
  [ -x "$host_build/bin/vostrel-scan" ] || build_host_scan
  "$host_build/bin/vostrel-scan" "$@"
}

# The test missions (texts with bytes above 127 among them) and DLLs without
# texts, 32- and 64-bit, built into $check_dir/missions.
build_missions() {
  local missions="$check_dir/missions" source name
  rm -rf "$missions"
  mkdir -p "$missions"
  for source in "$root"/lookup/tests/dlls/*.c "$root"/ui/win32/tests/dlls/*.c; do
    name=$(basename "$source" .c)
    case "$name" in
      *_x64) x86_64-w64-mingw32-gcc -shared -s -O1 -o "$missions/$name.dll" "$source" ;;
      *) i686-w64-mingw32-gcc -shared -s -O1 -o "$missions/$name.dll" "$source" ;;
    esac
  done
}

exports=(MapName TechtreeName LevelDesc mapname)

step_scan32() {
  say "the shipped 32-bit vostrel-scan.exe and Peloc.dll under 32-bit Wine"
  local out="$root/out/windows-x86" program="$check_dir/program"
  [ -f "$out/vostrel-scan.exe" ] && [ -f "$out/Peloc.dll" ] || fail "no $out/vostrel-scan.exe: run the build step first"
  rm -rf "$program"
  mkdir -p "$program"
  cp "$out/vostrel-scan.exe" "$out/Peloc.dll" "$program/"
  build_missions
  local missions="$check_dir/missions" expected found dll name

  # Rows, compared after the line ends (the listing's order is each system's own).
  expected=$(cd "$missions" && host_scan . 2>/dev/null | sort)
  found=$(cd "$missions" && wine32 "$program/vostrel-scan.exe" . 2>/dev/null | tr -d '\r' | sort)
  [ "$found" = "$expected" ] || fail "vostrel-scan.exe's rows differ from the Linux vostrel-scan's:
$(diff <(echo "$expected") <(echo "$found"))"
  say "scan: $(wc -l <<<"$found") rows as on Linux"

  # Each export's offset (and text), found or not.
  local count=0
  for dll in "$missions"/*.dll; do
    name=$(basename "$dll")
    for export in "${exports[@]}"; do
      expected=$(cd "$missions" && host_scan --offset "$name" "$export" 2>/dev/null) || true
      found=$(cd "$missions" && wine32 "$program/vostrel-scan.exe" --offset "$name" "$export" 2>/dev/null | tr -d '\r') || true
      [ "$found" = "$expected" ] || fail "$name $export: vostrel-scan.exe says [$found], Linux [$expected]"
      count=$((count + 1))
    done
  done
  say "--offset: $count lookups as on Linux"

  # Thousands of calls in one run, through the binding by name: a calling
  # convention that does not match leaves the stack wrong after each call.
  local many="$check_dir/many" copies=2000 i
  rm -rf "$many"
  mkdir -p "$many"
  for ((i = 0; i < copies; i++)); do
    cp "$missions/mission_high_bytes.dll" "$many/m$i.dll"
  done
  expected=$(cd "$many" && host_scan . 2>/dev/null | sort)
  found=$(cd "$many" && wine32 "$program/vostrel-scan.exe" . 2>/dev/null | tr -d '\r' | sort) ||
    fail "vostrel-scan.exe failed on $copies missions"
  [ "$(wc -l <<<"$found")" -eq "$copies" ] && [ "$found" = "$expected" ] ||
    fail "vostrel-scan.exe's rows for $copies missions differ from the Linux vostrel-scan's"
  say "$copies missions in one run: $((copies * 3)) calls of GetOffset, every row as on Linux"
}

# --- vostrel-scan.exe: code pages and names in any script ---------------------

# locale:code page, each with missions written in that code page
# (ui/console/tests/dlls; Windows-1252: the scan32 step's high-bytes mission).
scan_locales=(pl_PL.UTF-8:1250 ru_RU.UTF-8:1251 el_GR.UTF-8:1253 tr_TR.UTF-8:1254 ja_JP.UTF-8:932 zh_CN.UTF-8:936
  C.UTF-8:1252)

# Generates a UTF-8 locale the C library lacks: Wine falls back to 1252 for a
# LANG that setlocale does not take. (The Linux program reads LANG itself.)
ensure_locale() {
  local name=${1%%.*} have
  [ "$name" = C ] && return 0
  have=$(locale -a)
  grep -qix "$name.utf8" <<<"$have" && return 0
  command -v localedef >/dev/null || fail "no localedef to generate $1: install the package locales"
  say "generating the locale $1"
  localedef -i "$name" -f UTF-8 "$1" || fail "cannot generate the locale $1"
}

# Runs a command with the locale named by LANG alone.
with_lang() {
  local lang=$1
  shift
  (
    unset LC_ALL LC_CTYPE
    export LANG=$lang
    "$@"
  )
}

# The shipped vostrel-scan.exe and Peloc.dll of a width, copied into $2.
place_scan_program() {  # bits folder
  local out="$root/out/windows-x64"
  [ "$1" = 32 ] && out="$root/out/windows-x86"
  [ -f "$out/vostrel-scan.exe" ] && [ -f "$out/Peloc.dll" ] || fail "no $out/vostrel-scan.exe: run the build step first"
  mkdir -p "$2"
  cp "$out/vostrel-scan.exe" "$out/Peloc.dll" "$2/"
}

# A folder's rows, as a program prints them under a locale, in one order.
rows_of() {  # lang folder program [args...]
  local lang=$1 folder=$2
  shift 2
  (cd "$folder" && with_lang "$lang" "$@" . 2>/dev/null | tr -d '\r' | sort)
}

step_scanlocales() {
  say "vostrel-scan.exe (64- and 32-bit) under Wine in several locales"
  local dir="$check_dir/locales" entry lang code_page folder expected found bits program
  build_host_scan  # the one of these sources, not an earlier one
  rm -rf "$dir"
  for entry in "${scan_locales[@]}"; do
    lang=${entry%%:*} code_page=${entry##*:} folder="$dir/cp${entry##*:}"
    ensure_locale "$lang"
    mkdir -p "$folder"
    if [ "$code_page" = 1252 ]; then
      i686-w64-mingw32-gcc -shared -s -O1 -o "$folder/cp1252_mission.dll" "$root/lookup/tests/dlls/mission_high_bytes.c"
    else
      i686-w64-mingw32-gcc -shared -s -O1 -o "$folder/cp${code_page}_mission.dll" \
        "$root/ui/console/tests/dlls/cp${code_page}_mission.c"
    fi
  done
  for bits in 64 32; do
    program="$dir/program$bits"
    place_scan_program "$bits" "$program"
    for entry in "${scan_locales[@]}"; do
      lang=${entry%%:*} code_page=${entry##*:} folder="$dir/cp${entry##*:}"
      expected=$(rows_of "$lang" "$folder" host_scan)
      [ "$(wc -l <<<"$expected")" = 1 ] && [ "$(cut -f2 <<<"$expected")" != "" ] ||
        fail "the Linux vostrel-scan under $lang gives no row with texts: [$expected]"
      found=$(rows_of "$lang" "$folder" windows_run "$bits" "$program/vostrel-scan.exe")
      [ "$found" = "$expected" ] || fail "$bits-bit vostrel-scan.exe under LANG=$lang: [$found], Linux [$expected]"
      found=$(rows_of C.UTF-8 "$folder" windows_run "$bits" "$program/vostrel-scan.exe" --code-page "$code_page")
      [ "$found" = "$expected" ] ||
        fail "$bits-bit vostrel-scan.exe --code-page $code_page: [$found], Linux under $lang [$expected]"
    done
    say "$bits-bit: ${#scan_locales[@]} locales and their --code-page, every row as on Linux"
  done
}

step_scannames() {
  say "vostrel-scan.exe (64- and 32-bit) on names in Cyrillic and Polish, in a folder named in Greek"
  local dir="$check_dir/names" folder expected found bits program
  build_host_scan
  folder="$dir/Łódź"
  rm -rf "$dir"
  mkdir -p "$folder"
  i686-w64-mingw32-gcc -shared -s -O1 -o "$folder/Мост.dll" "$root/lookup/tests/dlls/mission_high_bytes.c"
  expected=$(with_lang C.UTF-8 host_scan "$folder" 2>/dev/null)
  [[ "$expected" == "Мост.dll"$'\t'"Ch"* ]] || fail "the Linux vostrel-scan gives [$expected]"
  for bits in 64 32; do
    program="$dir/Πρόγραμμα$bits"
    place_scan_program "$bits" "$program"
    found=$(with_lang C.UTF-8 windows_run "$bits" "$program/vostrel-scan.exe" "$folder" 2>/dev/null | tr -d '\r') ||
      fail "$bits-bit vostrel-scan.exe failed on $folder"
    [ "$found" = "$expected" ] || fail "$bits-bit vostrel-scan.exe on $folder: [$found], Linux [$expected]"
    say "$bits-bit: $(cut -f1 <<<"$found") in $(basename "$folder") with its texts, as on Linux"

    # On a console: Wine's shows the program's UTF-16 on the terminal (in
    # UTF-8), with its own tabs and line wrapping, so only words are compared.
    found=$(with_lang C.UTF-8 windows_run_on_terminal "$bits" "$program/vostrel-scan.exe" "$folder" | tr -d '\r')
    for part in "Мост.dll" "Château Fort – Bléde" "Scan finished."; do
      [[ "$found" == *"$part"* ]] || fail "$bits-bit vostrel-scan.exe on a console lacks [$part]: [$found]"
    done
    say "$bits-bit: the same on a console"
  done
}

# windows_run, with the program's standard handles on a pseudo-terminal
# (script), which Wine makes a console; prints what the terminal was sent.
windows_run_on_terminal() {  # bits PROGRAM.exe [ARGS...]
  local bits=$1 loader=$wine prefix="$root/build-win64/wine"
  shift
  [ "$bits" = 32 ] && loader=$wine32_loader prefix=$wine32_prefix
  windows_run "$bits" cmd /c rem  # the prefix, made ready
  script -qec "$(printf '%q ' env WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$loader" "$@")" \
    /dev/null </dev/null
}

# --- linking Peloc: import library and header ---------------------------------

step_link() {
  say "a C program linked with Peloc's import library, 32- and 64-bit"
  [ -d "$check_dir/missions" ] || build_missions
  local bits triple out lib dll dir names found expected export symbols
  for bits in 32 64; do
    if [ "$bits" = 32 ]; then
      triple=i686-w64-mingw32 out="$root/out/windows-x86"
    else
      triple=x86_64-w64-mingw32 out="$root/out/windows-x64"
    fi
    lib="$root/build-win$bits/lib/libPeloc.dll.a"
    [ -f "$lib" ] && [ -f "$out/Peloc.dll" ] || fail "no $lib: run the build step first"

    # The DLL exports the one plain name.
    names=$("$triple-objdump" -p "$out/Peloc.dll" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p')
    [ "$names" = "GetOffset" ] || fail "$out/Peloc.dll exports [$names], not just GetOffset"
    # The import library: the symbols a caller of peloc.h refers to, imported by that name.
    symbols=$("$triple-nm" "$lib" | sed -n 's/^[0-9a-f]* [TI] //p' | grep -i getoffset | sort | tr '\n' ' ')
    if [ "$bits" = 32 ]; then expected="_GetOffset@8 __imp__GetOffset@8 "; else expected="GetOffset __imp_GetOffset "; fi
    [ "$symbols" = "$expected" ] || fail "$lib defines [$symbols], not [$expected]"
    "$triple-objdump" -s -j '.idata$6' "$lib" | grep -q 'GetOffset\.' ||
      fail "$lib does not import the plain name GetOffset"

    dir="$check_dir/link$bits"
    rm -rf "$dir"
    mkdir -p "$dir"
    "$triple-gcc" -O2 -Wall -Wextra -Werror -std=c99 -I "$root/lookup/include" \
      -o "$dir/link_client.exe" "$root/lookup/tests/link_client.c" "$lib"
    cp "$out/Peloc.dll" "$dir/"
    for dll in mission_full mission_high_bytes functions_only mission_full_x64; do
      expected=""
      for export in "${exports[@]}"; do
        # (exit status 1 when not found)
        expected+="$(cd "$check_dir/missions" && { host_scan --offset "$dll.dll" "$export" 2>/dev/null || true; } | cut -f1)"$'\n'
      done
      found=$(cd "$check_dir/missions" && windows_run "$bits" "$dir/link_client.exe" "$dll.dll" "${exports[@]}" | tr -d '\r')
      [ "$found"$'\n' = "$expected" ] || fail "link_client ($bits-bit) on $dll.dll: [$found], expected [$expected]"
    done
    say "$bits-bit: $lib defines ${symbols% }; Peloc.dll exports GetOffset; link_client gives the offsets"
  done
}

# --- 32-bit inspection ------------------------------------------------------

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

step_inspect() {
  say "32-bit outputs"
  local out="$root/out/windows-x86" file
  for file in Vostrel.exe Peloc.dll vostrel-scan.exe; do
    [ -f "$out/$file" ] || fail "no $out/$file: run the build step first"
    expect_pe32_i386 "$out/$file"
  done

  expect_imports_within "$out/Peloc.dll" KERNEL32.DLL MSVCRT.DLL
  expect_imports_within "$out/vostrel-scan.exe" KERNEL32.DLL MSVCRT.DLL
  expect_imports_within "$out/Vostrel.exe" KERNEL32.DLL USER32.DLL GDI32.DLL COMCTL32.DLL MSVCRT.DLL \
    ADVAPI32.DLL SHELL32.DLL SHLWAPI.DLL OLE32.DLL

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
  say "Peloc.dll, vostrel-scan.exe, Vostrel.exe: PE32 for i386; Vostrel.exe imports $(imports "$out/Vostrel.exe" | tr '\n' ' ')"
}

# Sourced: only the functions.
[ "${BASH_SOURCE[0]}" = "$0" ] || return 0

steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(build test test32 codepages smoke smoke32 scan32 scanlocales scannames link inspect)
[ "${steps[0]}" != run32 ] || { wine32 "${steps[@]:1}"; exit; }
for step in "${steps[@]}"; do
  case "$step" in
    build | test | test32 | codepages | smoke | smoke32 | scan32 | scanlocales | scannames | link | inspect) "step_$step" ;;
    smoke-on-screen) step_smoke_on_screen ;;
    *) echo "usage: $0 [build] [test] [test32] [codepages] [smoke] [smoke32] [scan32] [scanlocales] [scannames] [link] [inspect] | run32 PROGRAM.exe [ARGS...]" >&2; exit 2 ;;
  esac
done
