#!/usr/bin/env bash
# Builds and runs every test on a fresh Debian 12 machine (as root): the native
# build with warnings as errors, the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, the scanner's tests (the scan's worker threads
# among them) under ThreadSanitizer, the Windows cross builds with their tests
# under Wine, a bounded fuzzing run, a screenshot of the window, and the release
# packages, installed and used. The builds are CMakePresets.json's.
#
# The 32-bit Windows programs run under 32-bit Wine, a 32-bit Linux program:
# where the kernel runs no 32-bit programs, or 32-bit Wine cannot be installed
# or started (scripts/steps/probe32.sh), the 32-bit builds are still made and
# their static checks run, and each 32-bit run is skipped with one line. The
# suite ends with a summary of what ran and what was skipped, and why.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/steps/summary.sh
jobs="$(nproc)"

VOSTREL_SUMMARY=$(mktemp)
export VOSTREL_SUMMARY
current=""
end_step() {
  [ -z "$current" ] || summary_record "ran      $current"
  current=""
}
step() {
  end_step
  current="$*"
  printf '\n=== %s ===\n' "$*"
}
skip() {
  end_step
  skipped "$@"
}
finish() {
  local status=$?
  if [ "$status" -eq 0 ]; then
    end_step
  else
    summary_record "FAILED   $current (exit status $status)"
  fi
  printf '\n=== Summary ===\n'
  cat "$VOSTREL_SUMMARY"
  rm -f "$VOSTREL_SUMMARY"
  [ "$status" -ne 0 ] || printf '\nAll tests that could run here passed.\n'
}
trap finish EXIT

step "Debian packages"
bash scripts/install-deps.sh scripts/deps.txt scripts/deps-test.txt scripts/deps-package.txt
# 32-bit Wine only where the kernel can run it.
if no32=$(bash scripts/steps/probe32.sh kernel); then
  bash scripts/install-deps.sh --optional scripts/deps-test32.txt
  no32=$(bash scripts/steps/probe32.sh wine) && no32=""
fi
if [ -n "$no32" ]; then
  echo "32-bit Windows programs cannot run here: $no32"
  summary_record "note     32-bit Windows programs cannot run here: $no32"
fi

step "Linux build and tests"
cmake --preset native
cmake --build --preset native -j"$jobs"
ctest --preset native -j"$jobs"

step "Linux tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"

step "The scanner's tests under ThreadSanitizer"
cmake --preset tsan
cmake --build --preset tsan -j"$jobs"
ctest --preset tsan -j"$jobs"

step "Windows builds, and the 64-bit tests and checks of the shipped files under 64-bit Wine"
JOBS="$jobs" bash scripts/build-windows.sh --tests
ctest --preset windows-x64-tests -j"$jobs"

if [ -z "$no32" ]; then
  step "The 32-bit tests and checks of the shipped files under 32-bit Wine"
  ctest --preset windows-x86-tests -j"$jobs"
else
  # Without a Wine that runs, the build registers only the checks that run no
  # Windows program (machine type, imports, exports, resources, version).
  step "The static checks of the shipped 32-bit files"
  ctest --preset windows-x86-tests -j"$jobs"
  skip "the 32-bit tests under 32-bit Wine: $no32"
fi

step "Vostrel.exe under Wine on a virtual screen (64-bit)"
ARTIFACTS_DIR=build-test/artifacts bash scripts/steps/windows.sh smoke
if [ -z "$no32" ]; then
  step "Vostrel.exe under Wine on a virtual screen (32-bit)"
  ARTIFACTS_DIR=build-test/artifacts bash scripts/steps/windows.sh smoke32
else
  skip "the 32-bit Vostrel.exe on a virtual screen: $no32"
fi

step "Fuzzing the export lookup"
bash scripts/steps/fuzz.sh

step "Screenshot of the window"
BUILD_DIR=build-test bash scripts/steps/screenshot.sh

step "Release packages, installed and used"
BUILD_DIR=build-test JOBS="$jobs" VOSTREL_NO32="$no32" bash scripts/steps/release.sh
