#!/usr/bin/env bash
# Builds the release files into dist/ (run as root on Debian 12: it installs
# the packages of scripts/deps.txt and scripts/deps-package.txt first):
#   vostrel_<version>-1_amd64.deb      the window, vostrel-scan, libPeloc.so, desktop entry, manual pages
#   vostrel-dev_<version>-1_amd64.deb  Peloc's header and pkg-config file
#   Vostrel-<version>-windows-x86.zip  the 32-bit Windows files, with Peloc's header and import libraries
#   Vostrel-<version>-windows-x64.zip  the same, 64-bit
#   Vostrel-<version>-windows-x86-setup.exe, ...-x64-setup.exe
#                                      the installers of the zips' files for users (NSIS)
# CPack makes the .debs and zips, makensis the installers (packaging/CMakeLists.txt). Build folders:
# build-package (Linux), build-win32 and build-win64 (scripts/build-windows.sh).
#   JOBS  parallel jobs (default 2)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}
dist="$root/dist"
bash "$root/scripts/install-deps.sh" "$root/scripts/deps.txt" "$root/scripts/deps-package.txt"

say() { printf -- '--- package: %s\n' "$*"; }

# The files of one commit are the same bytes whenever they are made: the time
# that the linker and strip write into each Windows file, the changelog's date
# and the times in the .debs are the commit's. So the installers carry the
# zips' very files.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}
export SOURCE_DATE_EPOCH

# Linux: a release build with Debian's hardening flags (CMake reads no CPPFLAGS).
say "Linux build (build-package)"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
generator=()
[ -f "$root/build-package/CMakeCache.txt" ] || generator=(-G Ninja)
cmake -S "$root" -B "$root/build-package" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr -DVOSTREL_TESTS=OFF -DVOSTREL_UI=qt \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_SHARED_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$root/build-package" -j"$jobs"

# Windows: the folders of scripts/build-windows.sh, then the same builds zipped.
say "Windows builds (build-win32, build-win64)"
JOBS=$jobs bash "$root/scripts/build-windows.sh"

rm -rf "$dist" "$root"/build-package/packages "$root"/build-win32/packages "$root"/build-win64/packages
mkdir -p "$dist"
(cd "$root/build-package" && cpack -G DEB)
for build in build-win32 build-win64; do
  cmake --build "$root/$build" -j"$jobs"  # also what only the zip holds: Peloc.lib
  (cd "$root/$build" && cpack -G ZIP)
  cmake --build "$root/$build" --target vostrel_installer
done
cp "$root"/build-package/packages/*.deb "$root"/build-win32/packages/*.zip "$root"/build-win64/packages/*.zip \
  "$root"/build-win32/packages/*-setup.exe "$root"/build-win64/packages/*-setup.exe "$dist/"
say "dist: $(cd "$dist" && echo *)"
