#!/usr/bin/env bash
# The release files, made by scripts/package.sh and used as users use them:
#   - lintian finds no errors in the .debs;
#   - the .debs install with apt-get; vostrel-scan from the PATH scans the test
#     mission DLLs as the build's own vostrel-scan does; vostrel starts on Qt's
#     offscreen platform; man finds vostrel-scan(1); a program built with
#     pkg-config's flags for peloc, and the same program built by a CMake
#     project through find_package(Peloc) (packaging/tests/cmake_consumer),
#     run against the installed library (the CMake one also once installed
#     itself) and find what vostrel-scan --offset finds; purging leaves none
#     of their files;
#   - each Windows zip, unpacked: its vostrel-scan.exe scans the test DLLs under
#     Wine as the Linux build does, its JSON and CSV are the Linux build's byte
#     for byte, and the same program built against the zip's header and each
#     of its import libraries, and by the CMake project with the mingw-w64
#     toolchain through the zip's CMake package, finds the same offsets.
#     Where 32-bit Windows programs cannot run (VOSTREL_NO32 says why; else
#     scripts/steps/probe32.sh is asked), the x86 zip's files are checked and
#     its programs built, and their runs are skipped with one line.
#   - the AppStream metadata and the desktop entry the .deb installs pass
#     appstreamcli validate (strict, offline) and desktop-file-validate, and a
#     software centre's catalog composed of the .deb's files holds the window;
#   - each Windows installer is an NSIS installer for its word size, carrying
#     the zip's files less those for programmers; under Wine it installs
#     silently (/S) into Program Files with a Start menu entry and an
#     uninstall entry, the installed vostrel-scan.exe scans as the Linux build
#     does and Vostrel.exe opens its window, and its QuietUninstallString
#     leaves no file, entry or key behind. An installer this machine cannot
#     run (a 32-bit program where no 32-bit program runs) has only the first
#     checks, and its run is skipped with one line.
# Runs as root (it installs and purges the packages) after the Linux test build
# ($BUILD_DIR, default build-test), whose test DLLs and vostrel-scan it uses.
#   JOBS  parallel jobs (default 2)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/steps/summary.sh"
build=$(realpath -m "${BUILD_DIR:-$root/build-test}")
dist="$root/dist"
version=$(sed -n 's/^#define VOSTREL_VERSION "\(.*\)"$/\1/p' "$build/generated/vostrel/version.h")
packages=(vostrel vostrel-dev)
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -qq "$@"; }

say() { printf -- '--- release: %s\n' "$*"; }
fail() { printf 'release: %s\n' "$*" >&2; exit 1; }
# Makes the prefix $WINEPREFIX whole with the Wine command given, and waits
# until wineboot's processes have done writing it. A wineboot that loses its
# wineserver as it starts leaves a prefix without system files (seen now and
# then): it is run again, twice at most, and what the last one said is shown.
make_prefix() {
  local try
  for try in 1 2 3; do
    "$@" wineboot -i >"$scratch/wineboot.log" 2>&1 || true
    /usr/lib/wine/wineserver -w
    [ -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ] && return 0
    echo "release: try $try: Wine made no whole prefix in $WINEPREFIX" >&2
  done
  cat "$scratch/wineboot.log" >&2
  fail "Wine made no whole prefix in $WINEPREFIX"
}

testdlls="$build/testdlls"
scan="$build/bin/vostrel-scan"
[ -n "$version" ] && [ -x "$scan" ] && [ -f "$testdlls/mission_full.dll" ] ||
  fail "no vostrel-scan or test DLLs in $build: build it first (scripts/test.sh's first step)"
scratch=$(mktemp -d)
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
cleanup() {
  local package
  [ -z "${WINEPREFIX:-}" ] || /usr/lib/wine/wineserver -k 2>/dev/null || true
  for package in "${packages[@]}"; do
    if installed "$package"; then apt_get purge "$package" >/dev/null || true; fi
  done
  rm -rf "$scratch"
}
trap cleanup EXIT

# What the tests know: the rows of a scan of the test DLLs (in the listing's
# order, which differs between platforms), and where the three texts of one
# mission lie.
expected_rows=$("$scan" "$testdlls" 2>/dev/null | sort)
grep -q $'^mission_full.dll\t[^\t]' <<<"$expected_rows" || fail "the build's own scan finds no mission_full.dll row"
mission="$testdlls/mission_full.dll"
names=(MapName TechtreeName LevelDesc)
expected_offsets=$(for name in "${names[@]}"; do "$scan" --offset "$mission" "$name" | cut -f1; done)
! grep -qx 0 <<<"$expected_offsets" || fail "the build's own lookup misses a text of mission_full.dll"
# One mission in a folder of its own: JSON and CSV hold its name, not a path,
# and one row, so no listing order comes between platforms.
single="$scratch/single"
mkdir -p "$single"
cp "$testdlls/mission_high_bytes.dll" "$single/"
for format in json csv; do "$scan" --format "$format" "$single" >"$scratch/expected.$format" 2>/dev/null; done
grep -q '"mapName": "Ch' "$scratch/expected.json" || fail "the build's own JSON has no mission_high_bytes.dll row"

consumer_source="$root/packaging/tests/cmake_consumer"

say "scripts/package.sh"
JOBS=${JOBS:-2} bash "$root/scripts/package.sh"
deb="$dist/vostrel_${version}-1_amd64.deb"
deb_dev="$dist/vostrel-dev_${version}-1_amd64.deb"
[ -f "$deb" ] && [ -f "$deb_dev" ] || fail "no $deb and $deb_dev"

say "lintian"
lintian --fail-on error "$deb" "$deb_dev" || fail "lintian finds errors"

say "install"
for package in "${packages[@]}"; do
  if installed "$package"; then apt_get purge "$package" >/dev/null; fi
done
apt_get install "$deb" "$deb_dev" >/dev/null
[ "$(command -v vostrel-scan)" = /usr/bin/vostrel-scan ] || fail "vostrel-scan is not /usr/bin/vostrel-scan on the PATH"
[ "$(command -v vostrel)" = /usr/bin/vostrel ] || fail "vostrel is not /usr/bin/vostrel on the PATH"
[ "$(vostrel-scan --version)" = "vostrel-scan $version" ] || fail "vostrel-scan --version does not say $version"
rows=$(vostrel-scan "$testdlls" 2>/dev/null | sort)
[ "$rows" = "$expected_rows" ] || fail "the installed vostrel-scan's rows differ from the build's:"$'\n'"$rows"

# The window: still there after a while on the offscreen platform, then ended.
QT_QPA_PLATFORM=offscreen vostrel >"$scratch/vostrel.log" 2>&1 &
window=$!
sleep 2
kill -0 "$window" 2>/dev/null || fail "vostrel ended at start: $(cat "$scratch/vostrel.log")"
kill "$window"
wait "$window" 2>/dev/null || true

man -w vostrel-scan >/dev/null || fail "man finds no page vostrel-scan"

# What a software centre reads: the metadata and the entry it launches, as
# installed, and the catalog a distribution composes of the package's files
# (it drops a program whose icon it cannot find at 64x64 or more).
metainfo=/usr/share/metainfo/org.example.vostrel.metainfo.xml
appstreamcli validate --no-net --strict --pedantic "$metainfo" || fail "appstreamcli finds faults in $metainfo"
grep -q "<release version=\"$version\"" "$metainfo" || fail "$metainfo has no release $version"
desktop-file-validate /usr/share/applications/vostrel.desktop || fail "desktop-file-validate finds faults in vostrel.desktop"
dpkg-deb -x "$deb" "$scratch/deb"
appstreamcli compose --no-net --origin vostrel --result-root="$scratch/catalog" "$scratch/deb" >"$scratch/compose.log" 2>&1 ||
  fail "no software centre catalog of the .deb: $(cat "$scratch/compose.log")"
zgrep -q '<id>org.example.vostrel</id>' "$scratch/catalog/usr/share/swcatalog/xml/vostrel.xml.gz" ||
  fail "the software centre catalog of the .deb has no org.example.vostrel"

# shellcheck disable=SC2046  # pkg-config's flags are words
cc -o "$scratch/link_client" "$root/lookup/tests/link_client.c" $(pkg-config --cflags --libs peloc)
[ "$("$scratch/link_client" "$mission" "${names[@]}")" = "$expected_offsets" ] ||
  fail "a program linked through pkg-config's peloc finds other offsets"

# find_package(Peloc 1.0) finds the package under /usr by itself; the program
# finds the library in /usr/lib/vostrel by its run path, in the build tree and
# installed.
cmake -S "$consumer_source" -B "$scratch/consumer" -G Ninja >/dev/null
cmake --build "$scratch/consumer" >/dev/null
cmake --install "$scratch/consumer" --prefix "$scratch/consumer-installed" >/dev/null
for program in "$scratch/consumer/peloc_consumer" "$scratch/consumer-installed/bin/peloc_consumer"; do
  [ "$(env -u LD_LIBRARY_PATH "$program" "$mission" "${names[@]}")" = "$expected_offsets" ] ||
    fail "$program, linked through find_package(Peloc), finds other offsets"
done

say "purge"
mapfile -t owned < <(dpkg -L "${packages[@]}" | grep -vx '/\.')
apt_get purge "${packages[@]}" >/dev/null
for path in "${owned[@]}"; do
  if [ -d "$path" ] && [ ! -L "$path" ]; then
    dpkg -S "$path" >/dev/null 2>&1 || fail "purged, but the folder $path is left"  # unless others own it
  elif [ -e "$path" ] || [ -L "$path" ]; then
    fail "purged, but $path is left"
  fi
done

# A Windows zip, unpacked as a user unpacks it; its programs run under the
# given Wine command, or are only built where it cannot (the third argument
# says why).
windows_path() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }
check_windows_zip() {  # zip mingw-triple why-not-run wine-command...
  local zip=$1 triple=$2 no_run=$3 name
  shift 3
  local wine=("$@")
  name=$(basename "$zip" .zip)
  if [ -z "$no_run" ]; then say "$name under ${wine[*]}"; else say "$name, its files and programs built"; fi
  unzip -q "$zip" -d "$scratch/$name"
  local folder="$scratch/$name/$name" file
  for file in Vostrel.exe Peloc.dll vostrel-scan.exe README.txt LICENSE.txt include/peloc/peloc.h \
    lib/libPeloc.dll.a lib/Peloc.lib lib/cmake/Peloc/PelocConfig.cmake lib/cmake/Peloc/PelocConfigVersion.cmake; do
    [ -f "$folder/$file" ] || fail "$zip has no $name/$file"
  done

  # The programs a user links with the zip: through its header and each
  # import library beside Peloc.dll, where a linked program finds it, and by
  # the CMake project, cross-built through the zip's package wherever the
  # zip was unpacked (Peloc.dll is copied beside it by the project).
  local library consumer="$scratch/consumer-$name"
  for library in libPeloc.dll.a Peloc.lib; do
    "$triple-gcc" -O1 -o "$folder/link_client-${library%%.*}.exe" "$root/lookup/tests/link_client.c" \
      -I"$folder/include" "$folder/lib/$library"
  done
  cmake -S "$consumer_source" -B "$consumer" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triple.cmake" \
    -DCMAKE_PREFIX_PATH="$folder" >/dev/null
  cmake --build "$consumer" >/dev/null
  if [ -n "$no_run" ]; then
    skipped "running $name's programs under Wine: $no_run"
    return 0
  fi

  export WINEPREFIX="$scratch/wine-$name" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  make_prefix "${wine[@]}"
  local rows
  rows=$("${wine[@]}" "$folder/vostrel-scan.exe" "$(windows_path "$testdlls")" 2>/dev/null | tr -d '\r' | sort)
  [ "$rows" = "$expected_rows" ] || fail "$name: vostrel-scan.exe's rows differ from the Linux build's:"$'\n'"$rows"
  local format
  for format in json csv; do
    "${wine[@]}" "$folder/vostrel-scan.exe" --format "$format" "$(windows_path "$single")" >"$scratch/$name.$format" 2>/dev/null
    cmp -s "$scratch/$name.$format" "$scratch/expected.$format" ||
      fail "$name: vostrel-scan.exe --format $format differs from the Linux build's"
  done

  for library in libPeloc.dll.a Peloc.lib; do
    [ "$("${wine[@]}" "$folder/link_client-${library%%.*}.exe" "$(windows_path "$mission")" "${names[@]}" 2>/dev/null |
      tr -d '\r')" = "$expected_offsets" ] || fail "$name: a program linked with $library finds other offsets"
  done
  [ "$("${wine[@]}" "$consumer/peloc_consumer.exe" "$(windows_path "$mission")" "${names[@]}" 2>/dev/null | tr -d '\r')" = \
    "$expected_offsets" ] || fail "$name: a program linked through find_package(Peloc) finds other offsets"
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  unset WINEPREFIX
}

# Runs under xvfb-run: the program's window "Kelvane" opens, and the program
# ends when the window is closed.
window_opens() {  # wine-command... program.exe
  "$@" &
  local program=$! window
  window=$(timeout 90 xdotool search --sync --onlyvisible --name '^Kelvane$' | head -n 1) && [ -n "$window" ] ||
    { kill "$program"; echo "the window Kelvane did not open"; return 1; }
  # The window goes as soon as F4 is down, so sending the key's release may fail.
  xdotool key --window "$window" alt+F4 2>/dev/null || true
  timeout 60 /usr/lib/wine/wineserver -w || { echo "the program did not end when its window was closed"; return 1; }
  wait "$program" || { echo "the program ended with status $?"; return 1; }
}

# A Windows installer: what it carries, read by 7-Zip, against the zip of
# the same build; then, unless the second argument says why it cannot run
# here, installed, used and uninstalled under the given Wine command as a
# user (or a deployment tool) does.
check_windows_installer() {  # bits why-not-run wine-command...
  local bits=$1 no_run=$2 arch=x64 kind='PE32+ executable (GUI) x86-64' subtype='NSIS-3 Unicode 64-bit' entry=Vostrel
  shift 2
  local wine=("$@")
  if [ "$bits" = 32 ]; then
    arch=x86 kind='PE32 executable (GUI) Intel 80386' subtype='NSIS-3 Unicode' entry='Vostrel (32-bit)'
  fi
  local name="Vostrel-$version-windows-$arch"
  local installer="$dist/$name-setup.exe" files="$scratch/$name-files"
  say "$name-setup.exe"
  [ -f "$installer" ] || fail "no $installer"
  file -b "$installer" | grep -q "^$kind" || fail "$installer is not a $kind: $(file -b "$installer")"
  7zz l "$installer" >"$scratch/$name-setup.list" || fail "7-Zip reads no installer in $installer"
  grep -qx "SubType = $subtype" "$scratch/$name-setup.list" || fail "$installer is not an installer of $subtype"
  # The zip's files outside include/ and lib/, the same bytes (package.sh
  # makes both of one commit's time), and an uninstaller of the same width.
  local carried="$scratch/$name-carried"
  unzip -q -j "$dist/$name.zip" -x "$name/include/*" "$name/lib/*" -d "$files"
  # shellcheck disable=SC2016  # the installer's own variable
  7zz x -bso0 -o"$carried" "$installer" -x'!$PLUGINSDIR'
  diff -r -x Uninstall.exe "$files" "$carried" >&2 || fail "$installer does not carry the zip's files (above)"
  file -b "$carried/Uninstall.exe" | grep -q "^$kind" || fail "$installer carries no uninstaller, or one of another kind"

  if [ -n "$no_run" ]; then
    skipped "running $name-setup.exe under Wine: $no_run"
    return 0
  fi
  export WINEPREFIX="$scratch/wine-$name-setup" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
  # The prefix made whole before its files are listed.
  make_prefix "${wine[@]}"
  # The prefix is a Windows of the loader's width: its Program Files is the
  # folder of programs of that width.
  local drive="$WINEPREFIX/drive_c" folder='C:\Program Files\Vostrel'
  local installed="$drive/Program Files/Vostrel" shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/$entry.lnk"
  local key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vostrel'
  (cd "$drive" && find . -type f | sort) >"$scratch/$name-before"

  "${wine[@]}" "$installer" /S || fail "$name-setup.exe /S ended with status $?"
  /usr/lib/wine/wineserver -w
  diff -r -x Uninstall.exe "$files" "$installed" >&2 && [ -f "$installed/Uninstall.exe" ] ||
    fail "$name-setup.exe /S installed other files into $installed (above)"
  [ -f "$shortcut" ] || fail "$name-setup.exe /S made no Start menu entry $shortcut"
  local values
  values=$("${wine[@]}" reg query "$key" 2>/dev/null | tr -d '\r' | sed -n 's/^    \([A-Za-z]*\)    REG_[A-Z_]*    /\1=/p')
  [ -n "$values" ] || fail "$name-setup.exe /S made no uninstall entry $key"
  diff <(grep -v '^EstimatedSize=' <<<"$values") - >&2 <<VALUES || fail "the uninstall entry $key differs (above)"
DisplayIcon=$folder\Vostrel.exe,0
DisplayName=Vostrel $version ($bits-bit)
DisplayVersion=$version
InstallLocation=$folder
NoModify=0x1
NoRepair=0x1
Publisher=The Vostrel developers
QuietUninstallString="$folder\Uninstall.exe" /S
UninstallString="$folder\Uninstall.exe"
VALUES
  # In KiB, each file rounded up.
  local size bytes count
  size=$(($(sed -n 's/^EstimatedSize=//p' <<<"$values")))
  bytes=$(cat "$files"/* | wc -c)
  count=$(find "$files" -type f | wc -l)
  [ "$size" -ge $((bytes / 1024)) ] && [ "$size" -le $((bytes / 1024 + count)) ] ||
    fail "the uninstall entry's EstimatedSize, $size KiB, is not the $bytes bytes installed"

  local rows
  rows=$("${wine[@]}" "$folder\\vostrel-scan.exe" "$(windows_path "$testdlls")" 2>/dev/null | tr -d '\r' | sort)
  [ "$rows" = "$expected_rows" ] || fail "$name: the installed vostrel-scan.exe's rows differ from the Linux build's:"$'\n'"$rows"
  # xvfb-run's sh passes on no exported function: the definition goes along.
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$(declare -f window_opens); "'window_opens "$@"' window_opens \
    "${wine[@]}" "$folder\\Vostrel.exe" ||
    fail "$name: the installed Vostrel.exe did not open its window and end when closed"

  # As the system's list of programs removes it. The uninstaller runs a copy
  # of itself and returns at once: wineserver -w waits for the copy to end.
  local quiet
  quiet=$(sed -n 's/^QuietUninstallString=//p' <<<"$values")
  [[ $quiet =~ ^\"([^\"]+)\"\ (.*)$ ]] || fail "QuietUninstallString is not a quoted program and its arguments: $quiet"
  # shellcheck disable=SC2086  # the arguments are words
  "${wine[@]}" "${BASH_REMATCH[1]}" ${BASH_REMATCH[2]} || fail "$quiet ended with status $?"
  /usr/lib/wine/wineserver -w
  ! "${wine[@]}" reg query "$key" >/dev/null 2>&1 || fail "uninstalled, but the uninstall entry $key is left"
  [ ! -e "$installed" ] || fail "uninstalled, but $installed is left: $(ls "$installed")"
  [ ! -e "$shortcut" ] || fail "uninstalled, but the Start menu entry $shortcut is left"
  (cd "$drive" && find . -type f | sort) | diff "$scratch/$name-before" - >&2 ||
    fail "uninstalled, but files are left in the Wine prefix (above)"
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  unset WINEPREFIX
}

no32=${VOSTREL_NO32-$(bash "$root/scripts/steps/probe32.sh" wine || true)}
check_windows_zip "$dist/Vostrel-$version-windows-x64.zip" x86_64-w64-mingw32 "" /usr/lib/wine/wine64
check_windows_installer 64 "" /usr/lib/wine/wine64
check_windows_zip "$dist/Vostrel-$version-windows-x86.zip" i686-w64-mingw32 "$no32" /usr/lib/wine/wine  # wine32:i386
check_windows_installer 32 "$no32" /usr/lib/wine/wine  # wine32:i386
say "all release checks passed"
