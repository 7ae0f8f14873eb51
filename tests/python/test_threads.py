# SPDX-License-Identifier: Apache-2.0
"""Four threads computing at once give what a serial run gives, and each
classic error log holds exactly its own reports; other threads run while the
compiled core computes (it releases the GIL)."""

import sys
import threading
import time

import numpy as np

import vendrill
from helpers import beta, bits, three_atoms, uniform


def jobs(folder):
    """Four different requests, two of them classic with a log each."""
    lists = np.array([three_atoms(9), beta(9, 2.0, 5.0), uniform(9)] * 40)
    return [
        lambda tag: vendrill.bounds(uniform(9), np.linspace(0, 1, 100001), support="interval"),
        lambda tag: vendrill.bounds_many(lists, np.linspace(0, 1, 50), support="interval"),
        lambda tag: vendrill.bounds(three_atoms(9), np.linspace(0, 1, 301), support="interval",
                                    method="classic", log=folder / f"{tag}-bounds.log"),
        lambda tag: vendrill.bounds_many(lists[:30], np.linspace(0, 1, 11), support="interval",
                                         method="classic", log=folder / f"{tag}-many.log"),
    ]


def test_four_threads_equal_a_serial_run(tmp_path):
    work = jobs(tmp_path)
    serial = [job("serial") for job in work]

    parallel = [None] * len(work)
    start = threading.Barrier(len(work))

    def run(i):
        start.wait()
        parallel[i] = work[i]("parallel")

    threads = [threading.Thread(target=run, args=(i,)) for i in range(len(work))]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()

    for alone, together in zip(serial, parallel):
        assert bits(together.lower_bound) == bits(alone.lower_bound)
        assert bits(together.upper_bound) == bits(alone.upper_bound)
    for name in ("bounds", "many"):
        expected = (tmp_path / f"serial-{name}.log").read_bytes()
        assert expected.count(b"\n") > 100
        assert (tmp_path / f"parallel-{name}.log").read_bytes() == expected


def test_other_threads_run_while_the_core_computes():
    # A thread that counts only while the main thread is inside a call of
    # vendrill._core.  With the switch interval made long, it gets the GIL
    # during a call only when the call releases it.
    core = vendrill._core
    lists = np.array([uniform(9)] * 4000)
    x = np.linspace(0.0, 1.0, 20000)
    moments = np.array(uniform(9))
    analysis = core.analyse(2, 0.0, 1.0, moments)
    calls = {
        "sharp_bounds": lambda: core.sharp_bounds(2, 0.0, 1.0, moments, x),
        "analysis.bounds": lambda: analysis.bounds(x),
        "sharp_bounds_many": lambda: core.sharp_bounds_many(2, 0.0, 1.0, lists, x[:50]),
        "classic_bounds": lambda: core.classic_bounds(2, 0.0, 1.0, moments, x[:2000], None),
        "classic_bounds_many": lambda: core.classic_bounds_many(2, 0.0, 1.0, lists[:40],
                                                                x[:50], None),
        "envelope": lambda: core.envelope("classic", 2, 0.0, 1.0, moments, 0.0, 1.0, 2000),
    }
    state = {"inside": False, "stop": False, "counted": 0}

    def count():
        while not state["stop"]:
            if state["inside"]:
                state["counted"] += 1
            time.sleep(0)  # hands the GIL back at once

    interval = sys.getswitchinterval()
    sys.setswitchinterval(10.0)
    counter = threading.Thread(target=count)
    counter.start()
    counted = {}
    try:
        for name, call in calls.items():
            state["counted"] = 0
            state["inside"] = True
            call()
            state["inside"] = False
            counted[name] = state["counted"]
    finally:
        state["stop"] = True
        counter.join()
        sys.setswitchinterval(interval)
    assert all(counted.values()), counted
