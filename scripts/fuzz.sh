#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the libFuzzer targets of fuzz/ with clang-14 (ASan + UBSan, every
# library instrumented) in a build folder of their own, then runs each one for
# SECONDS (default 60) from its checked-in seed corpus.  New inputs the fuzzer
# finds go to the build folder, never into the source tree.  Exits non-zero on
# the first finding (a crash, a failed check, undefined behaviour, a leak, an
# input that runs too long); the input is kept in BUILD/findings/TARGET/.
#   scripts/fuzz.sh [SECONDS [TARGET...]]
#   FUZZ_BUILD_DIR (default build-fuzz) chooses the build folder.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-60}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=(number_text cli_request sharp estimate)
fi

"$root/scripts/setup.sh" --packages-only
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVENDRILL_BUILD_FUZZ=ON -DVENDRILL_BUILD_APP=OFF \
  -DVENDRILL_BUILD_TESTS=OFF -DVENDRILL_BUILD_BENCH=OFF -DVENDRILL_WERROR=ON > /dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  mkdir -p "$corpus" "$findings"
  echo "=== fuzz_$target: $seconds s ==="
  # -timeout: an input that runs this long is a finding (a hang); the
  # targets keep their inputs to a few milliseconds each.
  log="$build/fuzz_$target.log"
  status=0
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$root/fuzz/corpus/$target" \
    > "$log" 2>&1 || status=$?
  # The progress lines left out: the start, the statistics and any finding.
  grep -v -E '^#[0-9]+.*(NEW|REDUCE|pulse|RELOAD)|NEW_FUNC|# Uses: ' "$log" || true
  if ((status != 0)); then
    echo "fuzz_$target found a fault (status $status); the input is in $findings/" >&2
    exit 1
  fi
done
