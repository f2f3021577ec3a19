#!/usr/bin/env bash
# Fuzzes the PE reader with libFuzzer for FUZZ_SECONDS seconds (default 60),
# starting from a copy of the committed seed corpus. Fails if the fuzzer finds
# a crash, a sanitizer report, a hang or runaway memory; what it found is kept
# in build-fuzz/fuzz-artifacts/.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${root}/build-fuzz"
seconds="${FUZZ_SECONDS:-60}"

# The preset "fuzz" (CMakePresets.json) builds into build-fuzz.
(cd "${root}" && cmake --preset fuzz && cmake --build --preset fuzz -j2)

work="$(mktemp -d)"
trap 'rm -rf "${work}"' EXIT
cp -R "${root}/lookup/fuzz/corpus" "${work}/corpus"
artifacts="${build}/fuzz-artifacts"
rm -rf "${artifacts}"
mkdir -p "${artifacts}"

status=0
"${build}/bin/fuzz_find_export" "${work}/corpus" \
  -max_total_time="${seconds}" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="${artifacts}/" -print_final_stats=1 || status=$?

if [[ ${status} -ne 0 ]] || [[ -n "$(ls -A "${artifacts}")" ]]; then
  echo "fuzz: the fuzzer found a fault (exit ${status}); inputs in ${artifacts}" >&2
  exit 1
fi
echo "fuzz: nothing found in ${seconds} s"
