# SPDX-License-Identifier: Apache-2.0
"""examples/dask_bounds.py on a LocalCluster of two worker processes gives,
for 10,000 moment lists, what one process gives, bit for bit, also through
its CSV files."""

import glob
import os

import dask.dataframe as dd
import distributed
import numpy as np
import pandas as pd
import pytest

import dask_bounds  # examples/ is on PYTHONPATH
import vendrill
from helpers import bits

# Debian's tornado and distributed: a known remark of no consequence here.
pytestmark = pytest.mark.filterwarnings("ignore:make_current is deprecated:DeprecationWarning")


def test_two_worker_processes_equal_one_process(tmp_path):
    lists = dask_bounds.demo_moments(10000)
    columns = dask_bounds.moment_columns(lists.columns)
    positions = np.linspace(0.0, 1.0, 5)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None,
                                  local_directory=str(tmp_path / "workers")) as cluster:
        with distributed.Client(cluster) as client:
            pids = set(client.run(os.getpid).values())
            assert len(pids) == 2 and os.getpid() not in pids
            frame = dd.from_pandas(lists, npartitions=4)
            computed = {
                method: dask_bounds.bounds_frame(frame, positions, "interval", 0.0, 1.0,
                                                 method).compute()
                for method in ("sharp", "classic")
            }
            dask_bounds.bounds_frame(frame, positions).to_csv(str(tmp_path / "bounds-*.csv"),
                                                              index=False)
    # pandas reads numbers back exactly only with float_precision="round_trip".
    written = pd.concat(pd.read_csv(f, float_precision="round_trip")
                        for f in sorted(glob.glob(str(tmp_path / "bounds-*.csv"))))

    for method, got in computed.items():
        alone = vendrill.bounds_many(lists[columns].to_numpy(), positions, support="interval",
                                     method=method)
        assert len(got) == 10000 * 5
        assert np.array_equal(got["id"], np.repeat(lists["id"], 5))
        assert bits(got["position"]) == bits(np.tile(positions, 10000))
        assert bits(got["lower_bound"]) == bits(alone.lower_bound.ravel())
        assert bits(got["upper_bound"]) == bits(alone.upper_bound.ravel())
        if method == "sharp":
            assert list(got["status"]) == list(alone.status.ravel())
            assert set(alone.status.ravel()) == {"sharp", "determinate"}
            for field in ("id", "position", "lower_bound", "upper_bound", "moments_used"):
                assert bits(written[field]) == bits(got[field]), field
        else:
            assert np.array_equal(got["outcome"], alone.outcome.ravel())
