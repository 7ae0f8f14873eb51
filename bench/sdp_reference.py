#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""The batch requests' bounds as semidefinite programs, beside the sharp method.

For each of the 40 requests of bench/batch_requests.h (the same distributions,
moment counts and position ranges) and a few positions x inside each range,
solves the moment problem as two semidefinite programs with cvxopt: split the
law into its parts on the support below and above x (both closed), keep their
moment sums equal to the given moments, each part's moments inside the moment
cone of its set (Hankel and localising matrices), and maximise (U = sup
P(X <= x)) or minimise (L = inf P(X < x)) the mass of the part below.  Prints
the median time of one solve, the median time of one bound of the sharp method
(vendrill.bounds on the same requests, 10,000 positions a call), their ratio,
and how far the two methods' bounds lie apart; a sharp bound tighter than the
program's optimum by more than the program's accuracy is reported as a fault
and the script exits with status 1.

    PYTHONPATH=build-bench/python bench/sdp_reference.py [--positions 5]
"""

import argparse
import math
import statistics
import sys
import time
from fractions import Fraction

import numpy as np
from cvxopt import matrix, solvers

import vendrill

BATCH_POSITIONS = 10000
# The programs' answers are accurate to about the solver's tolerances; a
# sharp bound may differ from them by this much without either being wrong.
AGREEMENT = 1e-6


def batch_moments(name, count):
    """E X^k, k < count, in closed form (the same table as the C++ header)."""
    moments = []
    for k in range(count):
        if name == "uniform":
            value = Fraction(1, k + 1)
        elif name == "beta_2_5":
            value = math.prod(Fraction(2 + r, 7 + r) for r in range(k))
        elif name == "arcsine":
            value = math.prod(Fraction(2 * r + 1, 2 * r + 2) for r in range(k))
        elif name == "three_atoms":
            value = (Fraction(3, 10) * Fraction(1, 5) ** k + Fraction(2, 5) * Fraction(1, 2) ** k
                     + Fraction(3, 10) * Fraction(4, 5) ** k)
        elif name == "exponential":
            value = math.factorial(k)
        elif name == "gamma_3":
            value = Fraction(math.factorial(k + 2), 2)
        elif name == "normal":
            value = 0 if k % 2 else math.prod(range(k - 1, 0, -2))
        elif name == "laplace":
            value = 0 if k % 2 else math.factorial(k)
        moments.append(float(value))
    return moments


def batch_requests():
    lists = [
        ("uniform", "interval", 0.0, 1.0, 0.0, 1.0),
        ("beta_2_5", "interval", 0.0, 1.0, 0.0, 1.0),
        ("arcsine", "interval", 0.0, 1.0, 0.0, 1.0),
        ("three_atoms", "interval", 0.0, 1.0, 0.0, 1.0),
        ("exponential", "half", 0.0, 0.0, 0.0, 6.0),
        ("gamma_3", "half", 0.0, 0.0, 0.0, 3.0 + 5.0 * math.sqrt(3.0)),
        ("normal", "whole", 0.0, 0.0, -5.0, 5.0),
        ("laplace", "whole", 0.0, 0.0, -5.0 * math.sqrt(2.0), 5.0 * math.sqrt(2.0)),
    ]
    for name, support, lower, upper, start, stop in lists:
        for count in range(5, 10):
            yield (f"{name}/{count}", support, lower, upper, batch_moments(name, count), start,
                   stop)


def standardised(moments):
    """Mean, standard deviation and the moments of (X - mean) / sd, exactly
    from the given doubles and rounded once."""
    raw = [Fraction(m) for m in moments]
    mean = raw[1]
    central = [sum(math.comb(k, j) * raw[j] * (-mean) ** (k - j) for j in range(k + 1))
               for k in range(len(raw))]
    sd = math.sqrt(central[2]) if len(raw) > 2 else 1.0
    return float(mean), sd, [float(c / Fraction(sd) ** k) for k, c in enumerate(central)]


def localiser(g, size, degree):
    """The matrices A_k of the block [sum_r g_r y_(i+j+r)]_(i,j < size), one
    column vec(A_k) a moment k <= degree."""
    columns = np.zeros((size * size, degree + 1))
    for i in range(size):
        for j in range(size):
            for r, coefficient in enumerate(g):
                if coefficient != 0.0:
                    columns[j * size + i, i + j + r] += coefficient
    return columns


def cone_blocks(low, high, degree):
    """Localising polynomials and sizes whose blocks describe the (closed)
    moment cone of degree `degree` of the set [low, high] (either end may be
    infinite)."""
    d = degree // 2
    blocks = [([1.0], d + 1)]  # the Hankel matrix
    finite_low, finite_high = math.isfinite(low), math.isfinite(high)
    if degree % 2 == 0:
        if finite_low and finite_high:
            blocks.append(([-low * high, low + high, -1.0], d))
        elif finite_low:
            blocks.append(([-low, 1.0], d))
        elif finite_high:
            blocks.append(([high, -1.0], d))
    else:
        if finite_low and finite_high:
            blocks = [([-low, 1.0], d + 1), ([high, -1.0], d + 1)]
        elif finite_low:
            blocks.append(([-low, 1.0], d + 1))
        elif finite_high:
            blocks.append(([high, -1.0], d + 1))
    return [(g, size) for g, size in blocks if size > 0]


def sdp_bound(moments, support, lower, upper, x, upper_bound):
    """The optimum of the program and the seconds its solve took."""
    mean, sd, z = standardised(moments)
    degree = len(z) - 1
    low = -math.inf if support == "whole" else (lower - mean) / sd
    high = (upper - mean) / sd if support == "interval" else math.inf
    at = (x - mean) / sd
    c = np.zeros(degree + 1)
    c[0] = -1.0 if upper_bound else 1.0
    gs, hs = [], []
    for g, size in cone_blocks(low, at, degree):  # the part below x: y
        columns = localiser(g, size, degree)
        gs.append(matrix(-columns))
        hs.append(matrix(np.zeros((size, size))))
    for g, size in cone_blocks(at, high, degree):  # the part above x: z - y
        columns = localiser(g, size, degree)
        gs.append(matrix(columns))
        hs.append(matrix((columns @ np.array(z)).reshape(size, size).T))
    start = time.perf_counter()
    try:
        solution = solvers.sdp(matrix(c), Gs=gs, hs=hs)
    except (ArithmeticError, ValueError):  # a singular step of the interior-point method
        return None, time.perf_counter() - start
    seconds = time.perf_counter() - start
    if solution["status"] != "optimal":
        return None, seconds
    return solution["x"][0], seconds


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--positions", type=int, default=5,
                        help="positions a request solved as programs (default 5)")
    arguments = parser.parse_args()
    solvers.options.update(show_progress=False)

    solve_seconds, bound_seconds, faults, unsolved = [], [], [], []
    worst = 0.0
    for name, support, lower, upper, moments, start, stop in batch_requests():
        sweep = np.linspace(start, stop, BATCH_POSITIONS)
        began = time.perf_counter()
        vendrill.bounds(moments, sweep, support=support, lower=lower, upper=upper)
        bound_seconds.append((time.perf_counter() - began) / BATCH_POSITIONS)
        fractions = [(i + 0.5) / arguments.positions for i in range(arguments.positions)]
        xs = [start + (stop - start) * f for f in fractions]
        sharp = vendrill.bounds(moments, np.array(xs), support=support, lower=lower, upper=upper)
        for x, sharp_lower, sharp_upper in zip(xs, sharp.lower_bound, sharp.upper_bound):
            for upper_bound, value in ((True, sharp_upper), (False, sharp_lower)):
                optimum, seconds = sdp_bound(moments, support, lower, upper, x, upper_bound)
                solve_seconds.append(seconds)
                if optimum is None:
                    unsolved.append(f"{name} x={x:.6g} {'U' if upper_bound else 'L'}")
                    continue
                gap = value - optimum if upper_bound else optimum - value
                worst = max(worst, abs(gap))
                if gap < -AGREEMENT:
                    faults.append(f"{name} x={x:.6g} {'U' if upper_bound else 'L'}: "
                                  f"sharp {value:.10g}, program {optimum:.10g}")

    solve = statistics.median(solve_seconds)
    bound = statistics.median(bound_seconds)
    print(f"semidefinite programs solved: {len(solve_seconds) - len(unsolved)} of "
          f"{len(solve_seconds)}; median solve {solve * 1e3:.2f} ms")
    print(f"sharp method through vendrill.bounds, 10,000 positions a call: median "
          f"{bound * 1e6:.3f} us a bound ({solve / bound:,.0f} times faster than a solve)")
    print(f"largest difference between the two methods' bounds: {worst:.2e}")
    if unsolved:
        print("not solved (solver stopped short of optimal):", ", ".join(unsolved))
    for fault in faults:
        print("sharp bound tighter than the program's optimum:", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
