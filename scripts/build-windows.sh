#!/usr/bin/env bash
# Cross-builds Vostrel for Windows with Debian's mingw-w64, 32-bit and 64-bit,
# each into a folder that holds all a user needs (the compiler's runtime, with
# mingw-w64's posix threads, is linked in; the programs need only the
# system's DLLs):
#   out/windows-x86/   Vostrel.exe  Peloc.dll  vostrel-scan.exe   (PE32, i686)
#   out/windows-x64/   the same, PE32+ (x86_64)
# Build folders: build-win32 and build-win64 (the CMake presets windows-x86
# and windows-x64); Peloc's import library, for programs that link it, is
# build-win32/lib/libPeloc.dll.a (build-win64/lib/...).
#   --tests   also build the tests, 32-bit in build-win32/tests and 64-bit in
#             build-win64/tests (presets windows-x86-tests, windows-x64-tests);
#             run them under Wine with:
#             ctest --preset windows-x64-tests  (and windows-x86-tests)
#             Their checks of the shipped files take them from out/.
#   JOBS      parallel jobs (default 2)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}
with_tests=false
for argument in "$@"; do
  case "$argument" in
    --tests) with_tests=true ;;
    *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
  esac
done

# configure PRESET FOLDER: the presets of CMakePresets.json, and their folders.
configure() {
  local preset=$1 build=$2
  # A folder configured with the win32 thread model's compilers (before the
  # scan had threads) keeps them in its cache: it is configured afresh.
  if grep -qs 'g++-win32"' "$build"/CMakeFiles/*/CMakeCXXCompiler.cmake; then
    rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
  fi
  (cd "$root" && cmake --preset "$preset")
}

deliver() {  # preset build-folder toolchain-triple output-folder
  local preset=$1 build=$2 triple=$3 out=$4
  configure "$preset" "$build"
  (cd "$root" && cmake --build --preset "$preset" -j"$jobs")
  mkdir -p "$out"
  for file in Vostrel.exe Peloc.dll vostrel-scan.exe; do
    "$triple-strip" -o "$out/$file" "$build/bin/$file"
  done
  echo "build-windows: $out: $(cd "$out" && echo *)"
}

deliver windows-x86 "$root/build-win32" i686-w64-mingw32 "$root/out/windows-x86"
deliver windows-x64 "$root/build-win64" x86_64-w64-mingw32 "$root/out/windows-x64"

if $with_tests; then
  for bits in 32 64; do
    preset=windows-x64-tests
    [ "$bits" = 64 ] || preset=windows-x86-tests
    configure "$preset" "$root/build-win$bits/tests"
    (cd "$root" && cmake --build --preset "$preset" -j"$jobs")
  done
fi
