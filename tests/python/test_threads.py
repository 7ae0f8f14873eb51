"""Four threads computing at once (the GIL is released) give what a serial
run gives, and each classic error log holds exactly its own reports."""

import threading

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
