#!/usr/bin/env bash
# Fuzzes the PE reader and GetOffsets with libFuzzer, each for FUZZ_SECONDS
# seconds (default 60), starting from a copy of the committed seed corpus.
# Fails if a fuzzer finds a crash, a sanitizer report, a hang or runaway
# memory; what it found is kept in build-fuzz/fuzz-artifacts/<target>/.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${root}/build-fuzz"
seconds="${FUZZ_SECONDS:-60}"
targets=(fuzz_find_export fuzz_get_offsets)

# The preset "fuzz" (CMakePresets.json) builds both targets into build-fuzz.
(cd "${root}" && cmake --preset fuzz && cmake --build --preset fuzz -j2)

work="$(mktemp -d)"
trap 'rm -rf "${work}"' EXIT
rm -rf "${build}/fuzz-artifacts"

for target in "${targets[@]}"; do
  cp -R "${root}/lookup/fuzz/corpus" "${work}/${target}"
  artifacts="${build}/fuzz-artifacts/${target}"
  mkdir -p "${artifacts}"
  status=0
  "${build}/bin/${target}" "${work}/${target}" \
    -max_total_time="${seconds}" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="${artifacts}/" -print_final_stats=1 || status=$?
  if [[ ${status} -ne 0 ]] || [[ -n "$(ls -A "${artifacts}")" ]]; then
    echo "fuzz: ${target} found a fault (exit ${status}); inputs in ${artifacts}" >&2
    exit 1
  fi
  echo "fuzz: ${target} found nothing in ${seconds} s"
done
