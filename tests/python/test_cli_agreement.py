# SPDX-License-Identifier: Apache-2.0
"""vendrill.bounds and bounds_many give what vendrill-cli --format json gives,
bit for bit, for both methods on every support; the classic error log
written from Python is the one vendrill-cli writes."""

import json
from types import SimpleNamespace

import numpy as np
import pytest

import vendrill
from helpers import beta, bits, cli_arguments, three_atoms, uniform

# (name, support, lower, upper, moments, positions)
REQUESTS = [
    ("cantelli", "whole", 0.0, 1.0, [1, 0, 1], [-2, -0.5, 0, 0.5, 2]),
    ("coin", "whole", 0.0, 1.0, [1, 0, 1, 0, 1], [-1.5, -1, -0.999999, -0.3, 0, 1, 2]),
    ("normal", "whole", 0.0, 1.0, [1, 0, 1, 0, 3], [-2, -1, 0, 0.7, 3]),
    ("narrow_uniform", "whole", 0.0, 1.0, uniform(11, -5e-4, 5e-4), [-4e-4, 0, 1e-4]),
    ("exponential", "half", 0.0, 1.0, [1, 1, 2, 6, 24], [0, 0.5, 1, 2, 5]),
    ("shifted_exponential", "half", -1.0, 1.0, [1, 0, 1, 2, 9], [-1, -0.5, 0, 1, 3]),
    ("three_atoms_half", "half", 0.0, 1.0, three_atoms(6), [0.1, 0.2, 0.5, 0.65, 0.8, 2]),
    ("uniform5", "interval", 0.0, 1.0, uniform(5), [0, 0.1, 0.3, 0.5, 0.7, 1]),
    ("uniform7", "interval", 0.0, 1.0, uniform(7), [0.05, 0.3, 0.5, 0.9]),
    ("three_atoms", "interval", 0.0, 1.0, three_atoms(7), [0.1, 0.2, 0.35, 0.5, 0.8, 0.9]),
    ("wide_interval", "interval", -2.0, 3.0, uniform(6, -2.0, 3.0), [-2, -1, 0.5, 2.9]),
    ("infeasible", "interval", 0.0, 1.0, [1, 0.5, 0.2, 0.1, 0.05], [0.25, 0.5]),
]


def cli_rows(cli, method, support, lower, upper, moments, positions):
    run = cli(cli_arguments(method, support, lower, upper, moments, positions,
                            ["--format", "json", "--no-log"]))
    assert run.returncode == 0, run.stderr
    rows = json.loads(run.stdout)
    return rows if isinstance(rows, list) else [rows]


def assert_row_equal(row, result, i, method):
    """Row i of vendrill-cli's JSON against position i of a result of one list."""
    assert bits(result.lower_bound[i]) == bits(row["lower_bound"])
    assert bits(result.upper_bound[i]) == bits(row["upper_bound"])
    assert bits(result.upper_tail_max[i]) == bits(row["upper_tail_max"])
    assert bits(result.upper_tail_min[i]) == bits(row["upper_tail_min"])
    if method == "classic":
        assert int(result.outcome[i]) == row["outcome"]
        assert str(result.verdict[i]) == row["verdict"]
        return
    # Status and verdict are the position's: "sharp" next to an atom.
    assert (result.status[i], result.moments_used, result.verdict[i]) == (
        row["status"], row["moments_used"], row["verdict"])
    if "atoms" in row:
        assert bits(result.atoms) == bits(row["atoms"])
    else:
        assert result.atoms is None


def row_of(many, r):
    """List r of a bounds_many result, as the result of that list alone."""
    fields = ("lower_bound", "upper_bound", "upper_tail_max", "upper_tail_min", "outcome",
              "verdict", "status", "moments_used", "atoms")
    return SimpleNamespace(**{f: None if getattr(many, f) is None else getattr(many, f)[r]
                              for f in fields})


@pytest.mark.parametrize("method", ["sharp", "classic"])
@pytest.mark.parametrize("case", REQUESTS, ids=[r[0] for r in REQUESTS])
def test_bounds_equal_cli_json(cli, method, case):
    _, support, lower, upper, moments, positions = case
    rows = cli_rows(cli, method, support, lower, upper, moments, positions)
    result = vendrill.bounds(moments, positions, support=support, lower=lower, upper=upper,
                             method=method)
    assert len(rows) == len(positions)
    for i, row in enumerate(rows):
        assert bits(result.x[i]) == bits(row["position"])
        assert_row_equal(row, result, i, method)


@pytest.mark.parametrize("method", ["sharp", "classic"])
def test_bounds_many_rows_equal_cli_json(cli, method):
    lists = [uniform(7), three_atoms(7), beta(7, 2.0, 3.0), beta(7, 0.5, 0.5),
             [1, 0.5, 0.2, 0.1, 0.05, 0.02, 0.01]]
    positions = [0.0, 0.15, 0.5, 0.8, 1.0]
    many = vendrill.bounds_many(lists, positions, support="interval", method=method)
    for r, moments in enumerate(lists):
        rows = cli_rows(cli, method, "interval", 0.0, 1.0, moments, positions)
        for i, row in enumerate(rows):
            assert_row_equal(row, row_of(many, r), i, method)


@pytest.mark.parametrize("method", ["sharp", "classic"])
@pytest.mark.parametrize("case", [
    ("service_time", "half", [1, 0, 0.25, 0], 2.0, [1, 2, 3, 4]),
    ("coin_about_5", "whole", [1, 0, 1, 0, 1], 5.0, [3.5, 4, 4.999999, 5.5, 6]),
    ("loss", "interval", [1, 0, 9e8, 1.35e14, 3.24e19], 1e4, [0, 5e3, 1e5, 5e5]),
], ids=lambda case: case[0] if isinstance(case, tuple) else case)
def test_moments_about_a_point_equal_cli_json(cli, method, case):
    _, support, moments, about, positions = case
    upper = 1e6 if support == "interval" else 1.0
    run = cli(cli_arguments(method, support, 0.0, upper, moments, positions,
                            ["--format", "json", "--no-log", "--about", repr(about)]))
    assert run.returncode == 0, run.stderr
    rows = json.loads(run.stdout)
    result = vendrill.bounds(moments, positions, support=support, upper=upper, method=method,
                             about=about)
    assert result.about == about
    for i, row in enumerate(rows):
        assert_row_equal(row, result, i, method)


def test_classic_log_equals_cli_log(cli, tmp_path):
    # Three atoms on [0, 1]: attempts fail at most positions and write reports.
    moments, positions = three_atoms(9), [0.1, 0.35, 0.5, 0.65]
    run = cli(cli_arguments("classic", "interval", 0.0, 1.0, moments, positions,
                            ["--format", "json", "--log", str(tmp_path / "cli.log")]))
    assert run.returncode == 0, run.stderr
    vendrill.bounds(moments, positions, support="interval", method="classic",
                    log=tmp_path / "python.log")
    vendrill.bounds_many([moments], positions, support="interval", method="classic",
                         log=tmp_path / "many.log")
    expected = (tmp_path / "cli.log").read_bytes()
    assert expected.count(b"\n") > 20
    assert (tmp_path / "python.log").read_bytes() == expected
    assert (tmp_path / "many.log").read_bytes() == expected
