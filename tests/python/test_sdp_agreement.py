# SPDX-License-Identifier: Apache-2.0
"""The sharp bounds against an independent solution of the same moment
problem: semidefinite programs (bench/sdp_reference.py, cvxopt) over the 40
batch requests (eight distributions on the three supports, 5 to 9 moments).
A sharp bound may be neither tighter than the program's optimum (it would not
hold for some law) nor looser (it would not be sharp), beyond the program's
accuracy."""

import numpy as np
import pytest

import sdp_reference as reference
import vendrill

FRACTIONS = (0.1, 0.5, 0.9)


@pytest.mark.parametrize("request_", list(reference.batch_requests()), ids=lambda r: r[0])
def test_sharp_bounds_equal_the_programs_optimum(request_):
    name, support, lower, upper, moments, start, stop = request_
    xs = [start + (stop - start) * f for f in FRACTIONS]
    sharp = vendrill.bounds(moments, np.array(xs), support=support, lower=lower, upper=upper)
    for x, sharp_lower, sharp_upper in zip(xs, sharp.lower_bound, sharp.upper_bound):
        for upper_bound, value in ((True, sharp_upper), (False, sharp_lower)):
            optimum, _ = reference.sdp_bound(moments, support, lower, upper, x, upper_bound)
            assert optimum is not None, f"{name} x={x}: the program was not solved"
            assert value == pytest.approx(optimum, abs=reference.AGREEMENT), f"{name} x={x}"
