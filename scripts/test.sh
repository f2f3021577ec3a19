#!/usr/bin/env bash
# Builds and runs every test on a fresh Debian 12 machine (as root): the native
# build with warnings as errors, the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, the scanner's tests (the scan's worker threads
# among them) under ThreadSanitizer, the Windows cross builds with their tests under
# Wine, a bounded fuzzing run, a screenshot of the window, and the release
# packages, installed and used.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh scripts/deps.txt scripts/deps-test.txt scripts/deps-package.txt
jobs="$(nproc)"

step() { printf '\n=== %s ===\n' "$*"; }

step "Linux build and tests"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOSTREL_WERROR=ON -DVOSTREL_BENCHMARKS=ON
cmake --build build-test -j"$jobs"
ctest --test-dir build-test --output-on-failure -j"$jobs"

step "Linux tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVOSTREL_WERROR=ON -DVOSTREL_SANITIZE=ON
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

step "The scanner's tests under ThreadSanitizer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOSTREL_WERROR=ON -DVOSTREL_SANITIZE=thread \
  -DVOSTREL_UI=none
cmake --build build-tsan -j"$jobs" --target scanner_tests
ctest --test-dir build-tsan --output-on-failure -j"$jobs" -L scanner

step "Windows builds, their tests and the checks of the shipped files under 64- and 32-bit Wine"
JOBS="$jobs" bash scripts/build-windows.sh --tests
ctest --test-dir build-win64/tests --output-on-failure -j"$jobs"
ctest --test-dir build-win32/tests --output-on-failure -j"$jobs"

step "Vostrel.exe under Wine on a virtual screen"
ARTIFACTS_DIR=build-test/artifacts bash scripts/steps/windows.sh smoke smoke32

step "Fuzzing the export lookup"
bash scripts/steps/fuzz.sh

step "Screenshot of the window"
BUILD_DIR=build-test bash scripts/steps/screenshot.sh

step "Release packages, installed and used"
BUILD_DIR=build-test JOBS="$jobs" bash scripts/steps/release.sh

step "All tests passed"
