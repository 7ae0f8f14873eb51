# SPDX-License-Identifier: Apache-2.0
"""vendrill.plot draws the library's band: its curves' data are L and U at
their positions, the marks are the result's bounds, the atoms are the
analysis' atoms; matplotlib is imported only for a picture."""

import subprocess
import sys

import numpy as np
import pytest

import vendrill
from helpers import bits, three_atoms, uniform


def by_gid(ax, gid):
    found = [a for a in ax.get_children() if a.get_gid() == gid]
    assert len(found) == 1, gid
    return found[0]


def test_importing_vendrill_does_not_import_matplotlib():
    code = ("import sys, vendrill; vendrill.bounds([1, 0, 1], 0.5); "
            "print('matplotlib' in sys.modules)")
    run = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
    assert (run.returncode, run.stdout.strip()) == (0, "False"), run.stderr


@pytest.mark.parametrize("method", ["sharp", "classic"])
@pytest.mark.parametrize("moments", [uniform(7), three_atoms(7)], ids=["uniform", "three_atoms"])
def test_the_band_is_l_and_u_at_its_positions(method, moments):
    from matplotlib.figure import Figure

    x = [0.2, 0.45]
    result = vendrill.bounds(moments, x, support="interval", method=method)
    ax = vendrill.plot(result, ax=Figure().subplots(), truth=lambda t: min(max(t, 0.0), 1.0))

    lower, upper = by_gid(ax, "vendrill-lower"), by_gid(ax, "vendrill-upper")
    positions = lower.get_xdata()
    assert len(positions) == 401 and positions[0] == 0.0 and positions[-1] == 1.0
    expected = vendrill.bounds(moments, positions, support="interval", method=method)
    assert bits(upper.get_xdata()) == bits(positions)
    assert bits(lower.get_ydata()) == bits(expected.lower_bound)
    assert bits(upper.get_ydata()) == bits(expected.upper_bound)

    marks = by_gid(ax, "vendrill-positions").get_segments()
    assert bits([s[:, 0] for s in marks]) == bits([[p, p] for p in x])
    assert bits([s[:, 1] for s in marks]) == bits(np.transpose([result.lower_bound,
                                                                result.upper_bound]))
    assert bits(by_gid(ax, "vendrill-truth").get_ydata()) == bits(np.clip(positions, 0, 1))

    atoms = [a for a in ax.get_children() if a.get_gid() == "vendrill-atoms"]
    if result.atoms is None:
        assert atoms == []
    else:
        segments = atoms[0].get_segments()
        assert bits([s[1] for s in segments]) == bits(result.atoms)


def test_a_request_or_an_analysis_draws_the_same_band():
    from matplotlib.figure import Figure

    request = dict(moments=[1, 0, 1, 0, 3], support="whole")
    drawn = [vendrill.plot(what, ax=Figure().subplots())
             for what in (request, vendrill.analyse(**request))]
    data = [by_gid(ax, "vendrill-upper").get_xydata() for ax in drawn]
    assert bits(data[0]) == bits(data[1])
    assert data[0][0, 0] == -4.0 and data[0][-1, 0] == 4.0  # mean -+ 4 sd
    with pytest.raises(ValueError, match="Enter at least 3 moments!"):
        vendrill.plot(dict(moments=[1, 0], method="classic"), ax=Figure().subplots())
