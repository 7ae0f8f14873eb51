# SPDX-License-Identifier: Apache-2.0
"""The Python interface: shapes of scalar and array positions, every message
of an invalid request (vendrill-cli's texts where it has the same check),
pickling, the analysis reused, and the bounds holding for known
distributions."""

import pickle

import numpy as np
import pytest

import vendrill
from helpers import bits, cli_arguments, three_atoms, uniform

METHODS = ["sharp", "classic"]
INTERVAL5 = dict(moments=uniform(5), support="interval")


@pytest.mark.parametrize("method", METHODS)
@pytest.mark.parametrize(
    "x, shape",
    [(0.3, None), (np.float64(0.3), None), (1, None), ([0.3], (1,)), ([], (0,)),
     ([[0.1, 0.3, 0.5], [0.6, 0.7, 1.0]], (2, 3))],
)
def test_results_take_the_shape_of_x(method, x, shape):
    result = vendrill.bounds(x=x, method=method, **INTERVAL5)
    fields = ["lower_bound", "upper_bound", "upper_tail_max", "upper_tail_min", "x", "verdict"]
    fields += ["outcome"] if method == "classic" else ["status"]
    for field in fields:
        value = getattr(result, field)
        if shape is None:
            assert isinstance(value, (float, int, str)), field
        else:
            assert np.shape(value) == shape, field
    # Every position is answered as if it were alone.
    for i, position in enumerate(np.ravel(x)):
        alone = vendrill.bounds(x=float(position), method=method, **INTERVAL5)
        assert bits(np.ravel(result.lower_bound)[i]) == bits(alone.lower_bound)
        assert bits(np.ravel(result.upper_bound)[i]) == bits(alone.upper_bound)

    many = vendrill.bounds_many([uniform(5)] * 3, x, support="interval", method=method)
    rows_shape = (3,) + (shape or ())
    assert np.shape(many.lower_bound) == rows_shape
    assert np.shape(many.upper_bound) == rows_shape
    assert np.shape(many.verdict) == rows_shape
    for r in range(3):
        assert bits(many.lower_bound[r]) == bits(result.lower_bound)


# (arguments, method, Python's message, vendrill-cli's arguments in place of
# the moments' or None, vendrill-cli's message or None when it has no such
# check); every row has one fault in a valid request.
NAN, INF = float("nan"), float("inf")
FAULTS = [
    (dict(x=NAN), "both", "x: 'nan' is not a finite number", None,
     "--position: 'nan' is not a finite number"),
    (dict(lower=-INF), "both", "lower: '-inf' is not a finite number", None,
     "--lower: '-inf' is not a finite number"),
    (dict(upper=INF), "both", "upper: 'inf' is not a finite number", None,
     "--upper: 'inf' is not a finite number"),
    (dict(lower="one"), "both", "lower: 'one' is not a number", None,
     "--lower: 'one' is not a number"),
    (dict(moments=[1, 0.5, NAN, 0.25, 0.2]), "both", "moment M2: 'nan' is not a finite number",
     ["1", "0.5", "nan", "0.25", "0.2"], "same"),
    (dict(moments=[1, "abc", 0.3, 0.25, 0.2]), "both", "moment M1: 'abc' is not a number",
     ["1", "abc", "0.3", "0.25", "0.2"], "same"),
    (dict(moments=[1, 10**400, 0.3, 0.25, 0.2]), "both",
     f"moment M1: '{str(10**400)[:64]}...' (401 bytes) is out of the range of a double",
     ["1", str(10**400), "0.3", "0.25", "0.2"], "same"),
    (dict(moments=uniform(4)), "classic", "Enter at least 5 moments!", None, "same"),
    (dict(moments=uniform(3), support="half"), "classic", "Enter at least 4 moments!", None,
     "same"),
    (dict(moments=[1, 0], support="whole"), "classic", "Enter at least 3 moments!", None, "same"),
    (dict(moments=[]), "sharp", "Enter at least 1 moment!", None, "same"),
    (dict(moments=[0.5] + uniform(5)[1:]), "both", "The 0th moment must equal to 1!", None,
     "same"),
    (dict(about=INF), "both", "about: 'inf' is not a finite number", None,
     "--about: 'inf' is not a finite number"),
    (dict(about=1e300), "classic",
     "the moments about 1e+300 are beyond the range of a double as raw moments, which the "
     "classic estimations need; the sharp method takes them as they are", None,
     "--method classic: the moments about 1e+300 are beyond the range of a double as raw "
     "moments, which the classic estimations need; the sharp method takes them as they are"),
    (dict(lower=1, upper=0), "sharp",
     "The upper limit must be a finite number above the lower limit.", None,
     "--method sharp: The upper limit must be a finite number above the lower limit."),
    (dict(support="bogus"), "both",
     "support: unknown support 'bogus' (use 'whole', 'half' or 'interval'; "
     "'bounded' and 0, 1, 2 work too)", None, None),
    (dict(method="exact"), "both", "method: unknown method 'exact' (use 'sharp' or 'classic')",
     None, None),
    (dict(moments=[[1, 0.5], [1, 0.5]]), "both",
     "moments: expected one list of numbers, got an array of shape (2, 2)", None, None),
]


def cases():
    for arguments, methods, message, cli_moments, cli_message in FAULTS:
        for method in METHODS if methods == "both" else [methods]:
            yield pytest.param(arguments, method, message, cli_moments, cli_message,
                               id=f"{method}-{message[:40]}")


@pytest.mark.parametrize("arguments, method, message, cli_moments, cli_message", cases())
def test_every_invalid_request_is_refused_with_its_message(
        cli, tmp_path, arguments, method, message, cli_moments, cli_message):
    request = dict(x=0.5, lower=0.0, upper=1.0, method=method, **INTERVAL5)
    request.update(arguments)
    log = tmp_path / "error.log"
    with pytest.raises(ValueError) as raised:
        vendrill.bounds(log=log, **request)
    assert str(raised.value) == message
    assert not log.exists()  # nothing computed, nothing logged
    if cli_message is not None:
        kind = {"interval": "interval", "half": "half", "whole": "whole"}.get(request["support"])
        arguments = cli_arguments(request["method"], kind, 0, 1, [], [0.5],
                                  ["--no-log"])[:-1]
        for option, value in (("--lower", request["lower"]), ("--upper", request["upper"]),
                              ("--position", request["x"])):
            arguments[arguments.index(option) + 1] = str(value)
        if "about" in request:
            arguments += ["--about", str(request["about"])]
        moments = cli_moments or [repr(float(m)) for m in request["moments"]]
        run = cli(arguments + ["--", *moments])
        assert run.returncode == 2
        assert run.stderr.strip() == (message if cli_message == "same" else cli_message)


@pytest.mark.parametrize("method", METHODS)
def test_the_first_invalid_list_is_named(method):
    lists = [uniform(5), uniform(5), [2.0] + uniform(5)[1:], [1, NAN, 0.3, 0.2, 0.1]]
    with pytest.raises(ValueError, match=r"^row 2: The 0th moment must equal to 1!$"):
        vendrill.bounds_many(lists, [0.5], support="interval", method=method)
    with pytest.raises(ValueError, match=r"^row 1: moment M1: 'nan' is not a finite number$"):
        vendrill.bounds_many(lists[1::2], [0.5], support="interval", method=method)
    with pytest.raises(ValueError, match=r"^moments: lists of unequal lengths$"):
        vendrill.bounds_many([uniform(5), uniform(6)], [0.5], support="interval", method=method)


def test_too_many_moments_is_refused_as_vendrill_cli_refuses_it(cli):
    count = vendrill._core.max_moment_count + 1
    message = f"too many moments: {count} (at most {count - 1})"
    with pytest.raises(ValueError, match=f"^{message}$".replace("(", r"\(").replace(")", r"\)")):
        vendrill.bounds(np.ones(count), 0.5)
    run = cli(["--method", "sharp", "--type", "whole", "--position", "0.5", "--",
               *["1"] * count])
    assert (run.returncode, run.stderr.strip()) == (2, message)


def equal_results(a, b):
    assert sorted(vars(a)) == sorted(vars(b))
    for field, value in vars(a).items():
        other = getattr(b, field)
        if isinstance(value, list):  # bounds_many's atoms
            assert [bits(v) if v is not None else None for v in value] == [
                bits(v) if v is not None else None for v in other]
        elif isinstance(value, np.ndarray) and value.dtype.kind == "f":
            assert bits(value) == bits(other), field
        else:
            assert np.array_equal(value, other) if value is not None else other is None, field


@pytest.mark.parametrize("method", METHODS)
def test_functions_results_and_analyses_pickle(method):
    for function in (vendrill.bounds, vendrill.bounds_many, vendrill.analyse, vendrill.plot):
        assert pickle.loads(pickle.dumps(function)) is function
    x = [0.1, 0.35, 0.5]
    one = vendrill.bounds(three_atoms(7), x, support="interval", method=method)
    equal_results(pickle.loads(pickle.dumps(one)), one)
    many = vendrill.bounds_many([three_atoms(7), uniform(7)], x, support=2, method=method)
    equal_results(pickle.loads(pickle.dumps(many)), many)

    analysis = vendrill.analyse(three_atoms(7), support="interval")
    again = pickle.loads(pickle.dumps(analysis))
    assert (again.status, again.moments_used, again.verdict) == (
        analysis.status, analysis.moments_used, analysis.verdict)
    equal_results(again.bounds(x), analysis.bounds(x))


def test_an_analysis_answers_as_bounds_does():
    analysis = vendrill.analyse(three_atoms(7), support="interval")
    assert analysis.status == "determinate"
    assert bits(analysis.atoms) == bits(vendrill.bounds(three_atoms(7), 0.5, support=2).atoms)
    x = np.linspace(0, 1, 101)
    equal_results(analysis.bounds(x), vendrill.bounds(three_atoms(7), x, support="interval"))
    equal_results(analysis.bounds(x), analysis.bounds(x))


# Distribution functions F and the moments of their distributions.
KNOWN = [
    ("uniform", "interval", uniform(7), lambda x: np.clip(x, 0, 1), lambda x: np.clip(x, 0, 1)),
    ("three_atoms", "interval", three_atoms(7),
     lambda x: 0.3 * (x > 0.2) + 0.4 * (x > 0.5) + 0.3 * (x > 0.8),
     lambda x: 0.3 * (x >= 0.2) + 0.4 * (x >= 0.5) + 0.3 * (x >= 0.8)),
    ("exponential", "half", [1, 1, 2, 6, 24, 120], lambda x: 1 - np.exp(-np.maximum(x, 0)),
     lambda x: 1 - np.exp(-np.maximum(x, 0))),
]


@pytest.mark.parametrize("method", METHODS)
@pytest.mark.parametrize("name, support, moments, before, at", KNOWN, ids=[k[0] for k in KNOWN])
def test_bounds_and_tail_bounds_hold_for_known_distributions(method, name, support, moments,
                                                             before, at):
    x = np.concatenate([np.linspace(-0.5, 3.0, 351), [0.2, 0.5, 0.8]])
    r = vendrill.bounds(moments, x, support=support, method=method)
    slack = 1e-12  # the determinate bounds are widened by about 1e-15 only
    assert np.all(r.lower_bound <= before(x) + slack)  # L <= P(X < x)
    assert np.all(r.upper_bound >= at(x) - slack)  # U >= P(X <= x)
    assert np.all(r.upper_tail_max >= 1 - before(x) - slack)  # P(X >= x) <= 1 - L
    assert np.all(r.upper_tail_min <= 1 - at(x) + slack)  # P(X > x) >= 1 - U
    assert np.all(np.isfinite(r.lower_bound)) and np.all(np.isfinite(r.upper_bound))


def test_status_and_verdict_are_each_positions():
    # The coin's moments determine it (atoms -1 and 1), but next to an atom the
    # moments' rounding lets mass cross x: "exact" only where it is true.
    coin, wide = [1, 0, 1, 0, 1], [1, 0, 2, 0, 8]
    x = [-0.3, 0.999999, 1.5]
    exact = "The moments determine the distribution: the bounds are exact."
    one = vendrill.bounds(coin, x)
    analysis = vendrill.analyse(coin)
    many = vendrill.bounds_many([coin, wide], x)
    for status, verdict in ((one.status, one.verdict),
                            (analysis.bounds(x).status, analysis.bounds(x).verdict),
                            (many.status[0], many.verdict[0])):
        assert list(status) == ["determinate", "sharp", "determinate"]
        assert verdict[0] == verdict[2] == exact
        assert verdict[1].startswith("The moments determine the distribution, but this "
                                     "position is next to an atom")
    assert (analysis.status, analysis.verdict) == ("determinate", exact)
    assert list(many.status[1]) == ["sharp"] * 3 and list(many.verdict[1]) == [""] * 3
    assert vendrill.bounds(coin, 0.999999).status == "sharp"
