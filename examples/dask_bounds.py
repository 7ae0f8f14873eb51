#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Bounds for many moment lists on a Dask cluster.

Reads moment lists from CSV files (a column "id" and the moments m0, m1, ...,
one list a row; m0 = 1) or makes demo lists, computes the bounds of every
list at the same positions with vendrill.bounds_many (one call a partition)
and writes the results as CSV, one file a partition, one line a list and
position: id, position, lower_bound, upper_bound, then status and
moments_used (sharp) or outcome (classic).

    examples/dask_bounds.py --demo 100000 --positions 0:1:50 --output results
    examples/dask_bounds.py --moments 'lists-*.csv' --support half \\
        --scheduler tcp://scheduler-host:8786 --output /shared/results

Without --scheduler, a LocalCluster of --workers processes runs on this
machine.  With a cluster, every worker needs the vendrill package (installed,
or --upload a built package folder such as build/python) and --output must be
a folder that every worker can write to and the client can read.
"""

import argparse
import os
import re
import sys

import numpy as np
import pandas as pd

import dask.dataframe as dd
import vendrill


def parse_positions(text):
    """'FROM:TO:COUNT' -> COUNT evenly spaced positions, both ends included."""
    try:
        start, stop, count = text.split(":")
        positions = np.linspace(float(start), float(stop), int(count))
    except ValueError:
        raise argparse.ArgumentTypeError(f"expected FROM:TO:COUNT, got {text!r}") from None
    if positions.size < 1 or not np.all(np.isfinite(positions)):
        raise argparse.ArgumentTypeError(f"no finite positions in {text!r}")
    return positions


def moment_columns(columns):
    """The moment columns m0, m1, ... in the order of their numbers."""
    numbered = [(int(c[1:]), c) for c in columns if re.fullmatch(r"m\d+", str(c))]
    found = [c for _, c in sorted(numbered)]
    if [int(c[1:]) for c in found] != list(range(len(found))) or not found:
        raise ValueError(f"expected the moment columns m0, m1, ..., found {list(columns)}")
    return found


def demo_moments(lists, count=7, seed=1):
    """lists moment lists of distributions on [0, 1], count moments each.

    Beta distributions with random shapes, and every tenth a three-atom
    distribution (its moments determine it).
    """
    rng = np.random.default_rng(seed)
    a = rng.uniform(0.5, 5.0, lists)
    b = rng.uniform(0.5, 5.0, lists)
    moments = np.ones((lists, count))
    for k in range(1, count):  # E X^k = prod_{j<k} (a + j) / (a + b + j)
        moments[:, k] = moments[:, k - 1] * (a + k - 1) / (a + b + k - 1)
    atoms = rng.uniform(0.0, 1.0, (lists, 3))
    masses = rng.dirichlet(np.ones(3), lists)
    discrete = np.stack([(masses * atoms**k).sum(axis=1) for k in range(count)], axis=1)
    discrete[:, 0] = 1.0
    every_tenth = np.arange(lists) % 10 == 9
    moments[every_tenth] = discrete[every_tenth]
    frame = pd.DataFrame(moments, columns=[f"m{k}" for k in range(count)])
    frame.insert(0, "id", np.arange(lists, dtype=np.int64))
    return frame


# The sharp method's statuses, as a categorical column (a byte a line rather
# than a string object).
STATUSES = pd.CategoricalDtype(["sharp", "determinate", "infeasible"])


def result_meta(method):
    """The columns and types of the results."""
    columns = {
        "id": pd.Series(dtype=np.int64),
        "position": pd.Series(dtype=np.float64),
        "lower_bound": pd.Series(dtype=np.float64),
        "upper_bound": pd.Series(dtype=np.float64),
    }
    if method == "sharp":
        columns["status"] = pd.Series(dtype=STATUSES)
        columns["moments_used"] = pd.Series(dtype=np.int64)
    else:
        columns["outcome"] = pd.Series(dtype=np.int64)
    return pd.DataFrame(columns)


def partition_bounds(frame, positions, support, lower, upper, method):
    """The bounds of one partition's lists (a pandas DataFrame) at the positions."""
    moments = frame[moment_columns(frame.columns)].to_numpy(dtype=np.float64)
    result = vendrill.bounds_many(
        moments, positions, support=support, lower=lower, upper=upper, method=method
    )
    lists, count = len(frame), len(positions)
    columns = {
        "id": np.repeat(frame["id"].to_numpy(dtype=np.int64), count),
        "position": np.tile(np.asarray(positions, dtype=np.float64), lists),
        "lower_bound": result.lower_bound.reshape(-1),
        "upper_bound": result.upper_bound.reshape(-1),
    }
    if method == "sharp":
        columns["status"] = pd.Categorical(result.status.reshape(-1), dtype=STATUSES)
        columns["moments_used"] = np.repeat(result.moments_used.astype(np.int64), count)
    else:
        columns["outcome"] = result.outcome.reshape(-1).astype(np.int64)
    return pd.DataFrame(columns)


def bounds_frame(lists, positions, support="interval", lower=0.0, upper=1.0, method="sharp"):
    """A dask DataFrame of moment lists -> a dask DataFrame of their bounds."""
    return lists.map_partitions(
        partition_bounds,
        np.asarray(positions, dtype=np.float64),
        support,
        lower,
        upper,
        method,
        meta=result_meta(method),
    )


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    source = parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--moments", help="CSV file(s) of moment lists (a glob pattern works)")
    source.add_argument("--demo", type=int, metavar="LISTS", help="make LISTS demo lists")
    parser.add_argument("--positions", type=parse_positions, default=parse_positions("0:1:50"),
                        help="FROM:TO:COUNT (default 0:1:50)")
    parser.add_argument("--support", default="interval", help="whole, half or interval")
    parser.add_argument("--lower", type=float, default=0.0)
    parser.add_argument("--upper", type=float, default=1.0)
    parser.add_argument("--method", default="sharp", choices=("sharp", "classic"))
    parser.add_argument("--output", required=True, help="folder for the result files")
    parser.add_argument("--scheduler", help="address of a running scheduler, tcp://host:8786")
    parser.add_argument("--workers", type=int, default=2, help="LocalCluster processes")
    parser.add_argument("--partition-lists", type=int, default=10000,
                        help="lists a partition (default 10000)")
    parser.add_argument("--upload", metavar="FOLDER",
                        help="copy this folder (holding vendrill/) to every worker first")
    args = parser.parse_args(argv)

    from distributed import Client, LocalCluster

    if args.scheduler:
        client = Client(args.scheduler)
    else:
        client = Client(LocalCluster(n_workers=args.workers, threads_per_worker=1,
                                     dashboard_address=None))
    with client:
        if args.upload:
            from distributed.diagnostics.plugin import UploadDirectory

            # Unpacked next to each nanny, put on its path, and the workers
            # restarted so that they start with that path.
            client.register_worker_plugin(
                UploadDirectory(args.upload, update_path=True, restart=True), nanny=True)
        if args.demo is not None:
            lists = dd.from_pandas(demo_moments(args.demo),
                                   chunksize=max(1, args.partition_lists))
        else:
            lists = dd.read_csv(args.moments, blocksize=None)
        # Checked here, so that a bad request fails before the cluster works.
        vendrill.bounds_many(lists.head(1)[moment_columns(lists.columns)].to_numpy(),
                             args.positions, support=args.support, lower=args.lower,
                             upper=args.upper, method=args.method)
        results = bounds_frame(lists, args.positions, args.support, args.lower, args.upper,
                               args.method)
        os.makedirs(args.output, exist_ok=True)
        files = results.to_csv(os.path.join(args.output, "bounds-*.csv"), index=False)
    print(f"{len(files)} result files in {args.output}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
