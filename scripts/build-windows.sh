#!/usr/bin/env bash
# Cross-builds Vostrel for Windows with Debian's mingw-w64, 32-bit and 64-bit,
# each into a folder that holds all a user needs (the compiler's runtime, with
# mingw-w64's posix threads, is linked in; the programs need only the
# system's DLLs):
#   out/windows-x86/   Vostrel.exe  Peloc.dll  vostrel-scan.exe   (PE32, i686)
#   out/windows-x64/   the same, PE32+ (x86_64)
# Build folders: build-win32 and build-win64; Peloc's import library, for
# programs that link it, is build-win32/lib/libPeloc.dll.a (build-win64/lib/...).
#   --tests   also build the tests, 32-bit in build-win32/tests and 64-bit in
#             build-win64/tests; run them under Wine with:
#             ctest --test-dir build-win32/tests  (and build-win64/tests)
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

configure() {  # build-folder toolchain-triple extra-arguments...
  local build=$1 triple=$2
  shift 2
  local generator=()
  # A folder configured with the win32 thread model's compilers (before the
  # scan had threads) keeps them in its cache: it is configured afresh.
  if grep -qs 'g++-win32"' "$build"/CMakeFiles/*/CMakeCXXCompiler.cmake; then
    rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
  fi
  [ -f "$build/CMakeCache.txt" ] || generator=(-G Ninja)
  cmake -S "$root" -B "$build" "${generator[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triple.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVOSTREL_UI=win32 -DVOSTREL_WERROR=ON -DVOSTREL_MINGW_THREADS=posix "$@"
}

deliver() {  # build-folder toolchain-triple output-folder
  local build=$1 triple=$2 out=$3
  configure "$build" "$triple" -DVOSTREL_TESTS=OFF
  cmake --build "$build" -j"$jobs" --target Vostrel Peloc vostrel-scan
  mkdir -p "$out"
  for file in Vostrel.exe Peloc.dll vostrel-scan.exe; do
    "$triple-strip" -o "$out/$file" "$build/bin/$file"
  done
  echo "build-windows: $out: $(cd "$out" && echo *)"
}

deliver "$root/build-win32" i686-w64-mingw32 "$root/out/windows-x86"
deliver "$root/build-win64" x86_64-w64-mingw32 "$root/out/windows-x64"

if $with_tests; then
  for triple in i686-w64-mingw32 x86_64-w64-mingw32; do
    build="$root/build-win64/tests" out="$root/out/windows-x64"
    [ "$triple" = x86_64-w64-mingw32 ] || build="$root/build-win32/tests" out="$root/out/windows-x86"
    configure "$build" "$triple" -DVOSTREL_TESTS=ON -DVOSTREL_SHIPPED_DIR="$out"
    cmake --build "$build" -j"$jobs"
  done
fi
