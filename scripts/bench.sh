#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the benchmarks in Release (build-bench/, or BENCH_BUILD_DIR) and runs
# them all, printing the figures: the three estimation drivers and the guarded
# classic entry point (5 repetitions, mean/median/stddev shown), the sharp
# method's analysis and positions, whole vendrill-cli runs over 10,000
# positions with either method, the dialog's picture of the bounds (500
# positions sampled and drawn, offscreen), and the Python package beside the
# C++ loops it runs (with Dask on two worker processes), and the batch of 40
# requests as semidefinite programs (bench/sdp_reference.py) beside the sharp
# method.
#   scripts/bench.sh [extra Google Benchmark flags, e.g. --benchmark_filter=bounded]
# Takes a few minutes on a 2-core machine; run it on an otherwise idle machine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BENCH_BUILD_DIR:-$root/build-bench}

BUILD_DIR="$build" "$root/scripts/setup.sh" -DCMAKE_BUILD_TYPE=Release \
  -DVENDRILL_BUILD_APP=ON -DVENDRILL_BUILD_TESTS=OFF -DVENDRILL_BUILD_BENCH=ON

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

echo "=== Estimation drivers (support [0, 1]; name: driver/distribution/moments/position/kind) ==="
"$build/bench/estimation_bench" --benchmark_repetitions=5 --benchmark_min_time=0.2 \
  --benchmark_display_aggregates_only=true "$@" | tee "$results/drivers.txt"

echo
echo "=== Sharp method: analysis of one list, each further position (support [0, 1]) ==="
"$build/bench/sharp_bench" --benchmark_repetitions=5 --benchmark_min_time=0.2 \
  --benchmark_display_aggregates_only=true "$@" | tee "$results/sharp.txt"

echo
echo "=== vendrill-cli, 10,000 positions, 9 moments (classic and sharp) ==="
"$build/bench/cli_bench" --benchmark_repetitions=3 \
  --benchmark_display_aggregates_only=true "$@" | tee "$results/cli.txt"

echo
echo "=== The dialog's picture: 500 positions sampled and drawn, 9 moments on [0, 1] ==="
QT_QPA_PLATFORM=offscreen "$build/bench/plot_bench" --benchmark_repetitions=5 \
  --benchmark_display_aggregates_only=true "$@" | tee "$results/plot.txt"

echo
echo "=== The Python package beside the C++ loops it runs (Debian's python3) ==="
PYTHONPATH="$build/python:$root/examples" /usr/bin/python3 "$root/bench/python_bench.py" \
  --reference "$build/bench/python_reference_bench" | tee "$results/python.txt"

echo
echo "=== The 40 batch requests as semidefinite programs (cvxopt) beside the sharp method ==="
PYTHONPATH="$build/python" /usr/bin/python3 "$root/bench/sdp_reference.py" | tee "$results/sdp.txt"

echo
echo "=== Targets (medians) ==="
grep -h -E '^estimate_bounded/[a-z_]+/n:9/x:[0-9.]+/all_succeed_median' "$results/drivers.txt" ||
  echo "estimate_bounded, 9 moments: no position had every attempt succeed"
echo "  target: <= 20 us"
grep -h -E '^classic_guarded/.*_median' "$results/drivers.txt" || true
echo "  the guard's cost: one_position against estimate_bounded at x 0.35 (log off),"
echo "  sweep/guarded against sweep/drivers"
grep -h -E '^cli_10000_positions/no_log/.*_median' "$results/cli.txt" || true
echo "  target: <= 1000 ms"
grep -h -E '^sharp_(analysis|position)/[a-z_]+/n:9_median' "$results/sharp.txt" || true
echo "  targets: analysis <= 10 us, each further position <= 2 us"
grep -h -E '^cli_10000_positions/sharp_.*_median' "$results/cli.txt" || true
echo "  target: <= 200 ms"
grep -h -E '^plot_sample_and_draw/.*_median' "$results/plot.txt" || true
echo "  target: <= 50 ms"
grep -h -E '10\^5 positions|one position' "$results/python.txt" || true
echo "  targets: 10^5 positions within x1.5 of the C++ loop; a one-position call's overhead <= 20 us"
grep -h -E '^sharp_sweep/uniform_interval/n:(9|15)_median' "$results/sharp.txt" || true
echo "  targets: a position of a sweep <= 0.35 us at 9 moments, <= 1 us at 15"
grep -h -E '^estimate_bounded/uniform/n:9/.*all_succeed_median' "$results/drivers.txt" || true
echo "  target: <= 8 us (allocations_per_call counted)"
grep -h -E '^(cli_sweep|start_up)/.*_median' "$results/cli.txt" || true
echo "  targets: a CSV sweep <= 0.65 us a position, JSON rows within 0.5 us, CSV within 0.25 us;"
echo "  one position <= 0.3 ms above print_one_line"
grep -h -E '^(sharp_batch|cli_batch)/.*_median' "$results/sharp.txt" "$results/cli.txt" || true
echo "  target: a bound of the batch <= 0.55 us, >= 10,000 times one semidefinite program's solve:"
grep -h -E 'median solve' "$results/sdp.txt" || true
