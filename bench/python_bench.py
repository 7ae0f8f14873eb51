#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Timing of the Python package beside the C++ loops it runs (no pytest).

    PYTHONPATH=build-bench/python:examples bench/python_bench.py \\
        --reference build-bench/bench/python_reference_bench

Prints, for the requests of bench/python_reference_bench.cpp (9 moments on
[0, 1]): one list at 10^5 positions in one call and at one position (the
call's overhead), bounds_many over many lists at 50 positions, the same
lists on a Dask LocalCluster of two worker processes, and two threads at
once.  A call and the C++ loop beside it are timed one right after the
other, in CPU time of this process (on a shared machine the least disturbed
measure of single-threaded work); the threads and Dask in wall-clock time.
Every figure is a median.  scripts/bench.sh runs it.
"""

import argparse
import json
import os
import statistics
import subprocess
import tempfile
import threading
import time

import numpy as np

import vendrill

MOMENTS = 9
UNIFORM = [1.0 / (k + 1) for k in range(MOMENTS)]


def beta_lists(lists):
    """The lists of python_reference_bench.cpp, computed in the same order."""
    m = np.empty((lists, MOMENTS))
    for i in range(lists):
        a = 0.5 + 4.5 * ((i * 37) % 101) / 100.0
        b = 0.5 + 4.5 * ((i * 53) % 103) / 102.0
        m[i, 0] = 1.0
        for k in range(1, MOMENTS):
            m[i, k] = m[i, k - 1] * (a + (k - 1)) / (a + b + (k - 1))
    return m


def median_time(function, repeat, number=1, clock=time.process_time):
    """Median over repeat runs of the time of one call (number calls a run)."""
    times = []
    for _ in range(repeat):
        start = clock()
        for _ in range(number):
            function()
        times.append((clock() - start) / number)
    return statistics.median(times)


def reference_time(program, name):
    """The reference program's median CPU time of one benchmark, in seconds."""
    run = subprocess.run([program, "--benchmark_format=json", "--benchmark_repetitions=3",
                          "--benchmark_report_aggregates_only=true",
                          f"--benchmark_filter=^{name}$"],
                         capture_output=True, text=True, check=True)
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    return [b["cpu_time"] * scale[b["time_unit"]] for b in json.loads(run.stdout)["benchmarks"]
            if b["aggregate_name"] == "median"][0]


def show(name, python, cpp=None, note=""):
    text = f"{name:<44} {python * 1e3:11.3f} ms"
    if cpp is not None:
        text += f" {cpp * 1e3:11.3f} ms  x{python / cpp:5.2f}"
    print(text + (f"  {note}" if note else ""))


def dask_figures(lists, positions, workers):
    import dask.dataframe as dd
    import pandas as pd
    from distributed import Client, LocalCluster

    import dask_bounds

    frame = pd.DataFrame(lists, columns=[f"m{k}" for k in range(MOMENTS)])
    frame.insert(0, "id", np.arange(len(frame), dtype=np.int64))
    with tempfile.TemporaryDirectory() as scratch, LocalCluster(
            n_workers=workers, threads_per_worker=1, dashboard_address=None,
            local_directory=scratch) as cluster, Client(cluster):
        parts = dd.from_pandas(frame, chunksize=10000)

        def compute():
            return dask_bounds.bounds_frame(parts, positions, "interval", 0.0, 1.0).compute()

        def write():
            dask_bounds.bounds_frame(parts, positions, "interval", 0.0, 1.0).to_csv(
                os.path.join(scratch, "out-*.csv"), index=False)

        compute()  # the workers import vendrill once
        wall = time.perf_counter
        return median_time(compute, 3, clock=wall), median_time(write, 1, clock=wall)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--reference", required=True, help="python_reference_bench program")
    parser.add_argument("--workers", type=int, default=2)
    parser.add_argument("--no-dask", action="store_true")
    args = parser.parse_args()

    def cpp(name):
        return reference_time(args.reference, name)

    wide = np.linspace(0.0, 1.0, 100000)
    x50 = np.linspace(0.0, 1.0, 50)
    many = beta_lists(100000)
    print(f"{'case (9 moments on [0, 1])':<44} {'Python':>14} {'C++ loop':>14}  ratio")
    for method in ("sharp", "classic"):
        def call_wide():
            vendrill.bounds(UNIFORM, wide, support="interval", method=method)

        def call_one():
            vendrill.bounds(UNIFORM, 0.5, support="interval", method=method)

        reference = cpp(f"one_list/{method}/positions:100000")
        show(f"{method}: 10^5 positions, one call",
             median_time(call_wide, 5 if method == "sharp" else 3), reference, "target x1.5")
        reference = cpp(f"one_list/{method}/positions:1")
        one = median_time(call_one, 7, number=2000 if method == "sharp" else 500)
        show(f"{method}: one position, one call", one, reference,
             f"overhead {(one - reference) * 1e6:.1f} us (target 20 us)")

    for method, rows in (("sharp", many), ("classic", many[:1000])):
        reference = cpp(f"many_lists/{method}/lists:{len(rows)}/positions:50")
        show(f"{method}: bounds_many {len(rows)} lists x 50",
             median_time(lambda: vendrill.bounds_many(rows, x50, support="interval",
                                                      method=method), 3), reference)

    # Two threads each computing what one thread computes twice.
    def twice():
        vendrill.bounds_many(many[:20000], x50, support="interval")

    wall = time.perf_counter
    serial = median_time(lambda: (twice(), twice()), 3, clock=wall)

    def parallel():
        threads = [threading.Thread(target=twice) for _ in range(2)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()

    together = median_time(parallel, 3, clock=wall)
    show("sharp: 2 x 20000 lists x 50, one thread", serial)
    show("sharp: the same on two threads", together, None,
         f"speed-up x{serial / together:.2f}")

    if not args.no_dask:
        alone = median_time(lambda: vendrill.bounds_many(many, x50, support="interval"), 1,
                            clock=wall)
        show("sharp: bounds_many 10^5 lists x 50, wall clock", alone)
        compute, write = dask_figures(many, x50, args.workers)
        show(f"sharp: Dask {args.workers} workers, 10^5 lists x 50", compute, None,
             "results gathered in the client")
        show(f"sharp: Dask {args.workers} workers, the same to CSV", write, None,
             "one file a partition")


if __name__ == "__main__":
    main()
