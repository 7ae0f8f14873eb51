# SPDX-License-Identifier: Apache-2.0
"""What the Python suites share: vendrill-cli's arguments for a request,
moment lists of known distributions, and comparison of floats bit for bit."""

import numpy as np


def number(value):
    """The text vendrill-cli reads back as exactly this double."""
    return repr(float(value))


def cli_arguments(method, support, lower, upper, moments, positions, extra=()):
    """vendrill-cli's arguments for a request, the method named explicitly."""
    kind = {"whole": "whole", "half": "half", "interval": "bounded"}[support]
    arguments = ["--method", method, "--type", kind, "--lower", number(lower),
                 "--upper", number(upper), *extra]
    for x in positions:
        arguments += ["--position", number(x)]
    return arguments + ["--", *[number(m) for m in moments]]


def bits(values):
    """The bytes of float64 values: equal bits, not merely equal numbers."""
    return np.ascontiguousarray(values, dtype=np.float64).tobytes()


def uniform(count, low=0.0, high=1.0):
    """Moments of the uniform distribution on [low, high]."""
    return [(high ** (k + 1) - low ** (k + 1)) / ((k + 1) * (high - low)) for k in range(count)]


def three_atoms(count):
    """Moments of {0.2: 0.3, 0.5: 0.4, 0.8: 0.3}; determinate from 7 moments on."""
    m = [0.3 * 0.2**k + 0.4 * 0.5**k + 0.3 * 0.8**k for k in range(count)]
    m[0] = 1.0
    return m


def beta(count, a, b):
    """Moments of the beta(a, b) distribution on [0, 1]."""
    m = [1.0]
    for k in range(1, count):
        m.append(m[-1] * (a + k - 1) / (a + b + k - 1))
    return m
