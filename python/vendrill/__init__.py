# SPDX-License-Identifier: Apache-2.0
"""Bounds on a distribution function from a finite list of its moments.

For a random variable X on a support (the whole line, a half-line
[lower, inf) or an interval [lower, upper]) of which only the moments
M0 = 1, M1, ..., M(n-1) are known, vendrill gives at each position x a lower
bound L for P(X < x) and an upper bound U for P(X <= x) that hold for every
distribution on the support with these moments.

    bounds(moments, x, ...)        bounds at the positions x (one analysis)
    analyse(moments, ...)          the sharp method's analysis, for reuse
    bounds_many(moments_2d, x, ...) many moment lists (rows) at the same x
    plot(result_or_request, ...)    the band L(x)..U(x) with matplotlib

Invalid requests raise ValueError with vendrill-cli's message texts.  The
computation runs with the GIL released, so threads run in parallel; the
functions and the results pickle (multiprocessing, Dask).
"""

import os

import numpy as np

from . import _core

__all__ = ["Analysis", "Bounds", "analyse", "bounds", "bounds_many", "plot"]
__version__ = _core.__version__

# The support's index; the spellings of vendrill-cli --type work too.
_SUPPORTS = {"whole": 0, "half": 1, "interval": 2, "bounded": 2}
_SUPPORTS.update({index: index for index in range(3)})
_SUPPORTS.update({str(index): index for index in range(3)})
_SUPPORT_NAMES = ("whole", "half", "interval")
_METHODS = ("sharp", "classic")
# The sharp statuses by their codes (SharpStatus), as an object array: indexing
# it with the codes of many positions shares these four strings.
_STATUS_NAMES = np.array(["sharp", "determinate", "infeasible", "invalid"], dtype=object)


# --- Requests ---------------------------------------------------------------


def _support(support):
    """The support's index 0, 1 or 2."""
    index = None
    if not isinstance(support, bool):
        try:
            index = _SUPPORTS.get(support)
        except TypeError:  # unhashable
            pass
    if index is None:
        raise ValueError(
            f"support: unknown support {support!r} "
            "(use 'whole', 'half' or 'interval'; 'bounded' and 0, 1, 2 work too)"
        )
    return index


def _method(method):
    if method not in _METHODS:
        raise ValueError(f"method: unknown method {method!r} (use 'sharp' or 'classic')")
    return method


def _number_fault(what, value, fault):
    return ValueError(_core.number_fault_message(what, str(value), fault))


def _number(value, what):
    """A limit as a float; a value that is none gets vendrill-cli's message."""
    try:
        return float(value)
    except OverflowError:
        raise _number_fault(what, value, "out_of_range") from None
    except (TypeError, ValueError):
        raise _number_fault(what, value, "not_a_number") from None


def _array(values, name_of):
    """A float64 copy of values, C-contiguous; name_of(i) names item i of a list that does
    not convert.  A copy: the computation (GIL released) and the result must not see later
    changes of the caller's array."""
    try:
        return np.array(values, dtype=np.float64, order="C")
    except (TypeError, ValueError, OverflowError):
        try:
            items = np.asarray(values, dtype=object).ravel()
        except ValueError:
            items = np.asarray([], dtype=object)
        if any(np.ndim(item) > 0 for item in items):
            raise ValueError(f"{name_of(None)}: lists of unequal lengths") from None
        for i, item in enumerate(items):
            _number(item, name_of(i))
        raise ValueError(f"{name_of(None)}: not an array of numbers") from None


def _moment_name(columns):
    def name(i):
        if i is None:
            return "moments"
        row, column = divmod(i, columns) if columns else (0, i)
        moment = f"moment M{column}"
        return moment if columns is None else f"row {row}: {moment}"

    return name


def _moments(moments):
    array = _array(moments, _moment_name(None))
    if array.ndim != 1:
        raise ValueError(
            f"moments: expected one list of numbers, got an array of shape {array.shape}"
        )
    return array


def _positions(x):
    array = _array(x, lambda i: "x")
    return array.reshape(-1), array.shape


def _limits(lower, upper):
    lower = 0.0 if lower is None else _number(lower, "lower")
    upper = 1.0 if upper is None else _number(upper, "upper")
    return lower, upper


def _about(about):
    """The point the moments are about (0: raw moments)."""
    return 0.0 if about is None else _number(about, "about")


def _log_path(log):
    return None if log is None else os.fsdecode(os.fspath(log))


# --- Results ----------------------------------------------------------------


class Bounds:
    """Bounds at the positions x.

    From bounds() and Analysis.bounds() (one moment list), the arrays are
    shaped like x, or floats for a scalar x; from bounds_many(), they have one
    row per moment list in front: shape (lists,) + x.shape.

    lower_bound     L, a lower bound for P(X < x)
    upper_bound     U, an upper bound for P(X <= x)
    upper_tail_max  1 - L, rounded up: P(X >= x) <= upper_tail_max
    upper_tail_min  1 - U, rounded down: P(X > x) >= upper_tail_min
    method          "sharp" or "classic"
    status          sharp: "sharp", "determinate" or "infeasible", one a
                    position (an object array, or a str for a number x): a
                    position next to an atom of a determinate list is
                    "sharp", its bounds not exact
    moments_used    sharp: the moments the bounds rest on (one a list)
    atoms           sharp, determinate: the distribution as rows (point, mass);
                    None otherwise (bounds_many: a list, one entry a list)
    outcome         classic: 0 no estimation applied (bounds 0 and 1), 1 the
                    whole-line, 2 the half-line, 3 the interval estimation
                    gave the tightest bounds (one a position)
    verdict         the sentence vendrill-cli prints ("" when there is
                    nothing to say), one a position
    moments, x, support, lower, upper, about   the request
    """

    def __init__(self, **fields):
        self.__dict__.update(fields)

    def __repr__(self):
        shown = ("lower_bound", "upper_bound", "status", "outcome", "verdict")
        text = ", ".join(f"{k}={self.__dict__[k]!r}" for k in shown if self.__dict__[k] is not None)
        return f"Bounds(method={self.method!r}, {text})"


def _shaped(values, shape):
    if shape == ():
        return values.reshape(()).item()
    return values.reshape(shape)


def _result(request, x, shape, lower_bound, upper_bound, **fields):
    """A Bounds of the request; x is already shaped, the flat bounds get shape.
    The tail bounds are rounded outward, as vendrill-cli writes them."""
    most, least = _core.tail_bounds(lower_bound, upper_bound)
    return Bounds(
        lower_bound=_shaped(lower_bound, shape),
        upper_bound=_shaped(upper_bound, shape),
        upper_tail_max=_shaped(most, shape),
        upper_tail_min=_shaped(least, shape),
        x=x,
        **request,
        **fields,
    )


def _sharp_fields(codes, verdicts, shape):
    """Each position's status and verdict from its status code.  verdicts: for
    each list, its verdict at a position of each status code (four texts),
    the lists in the order of the codes' rows."""
    if shape == ():  # one list, one position: no arrays
        code = int(codes[0])
        return str(_STATUS_NAMES[code]), verdicts[0][code]
    table = np.empty((len(verdicts), 4), dtype=object)
    if verdicts:
        table[...] = verdicts
    if len(verdicts) == 1:
        return _shaped(_STATUS_NAMES[codes], shape), _shaped(table[0][codes], shape)
    rows = np.repeat(np.arange(len(verdicts)), codes.size // max(len(verdicts), 1))
    return _shaped(_STATUS_NAMES[codes], shape), _shaped(table[rows, codes], shape)


def _classic_verdicts(support, outcome, guard):
    """vendrill-cli's classic verdicts: the guard's where it found something
    (the bounds widened, or moments that fit no distribution on the support),
    otherwise the outcome's."""
    texts = np.asarray([_core.outcome_message(support, o) for o in range(4)])
    guarded = np.asarray([_core.guard_message(g) for g in range(3)])
    return np.where(guard != 0, guarded[guard], texts[outcome])


class Analysis:
    """The sharp method's analysis of one moment list (from analyse()).

    .bounds(x) answers any positions from it.  status and verdict are the
    list's (bounds() gives each position's: next to an atom of a determinate
    list a position's status is "sharp"); moments_used, moments_given and
    atoms as in Bounds; moments, support, lower, upper, about: the request.
    An analysis pickles (it is made again from its request).
    """

    def __init__(self, core, moments, support, lower, upper, about):
        self._core = core
        self.moments = moments
        self.support = _SUPPORT_NAMES[support]
        self.lower = lower
        self.upper = upper
        self.about = about
        self.status = core.status
        self.verdict = core.verdict
        self.moments_used = core.moments_used
        self.moments_given = core.moments_given
        self.atoms = core.atoms

    def _request(self):
        return dict(
            method="sharp", support=self.support, lower=self.lower, upper=self.upper,
            moments=self.moments, about=self.about,
        )

    def _result(self, x, shape, lower_bound, upper_bound, codes):
        status, verdict = _sharp_fields(codes, [self._core.verdicts], shape)
        return _result(
            self._request(), _shaped(x, shape), shape, lower_bound, upper_bound,
            status=status, moments_used=self.moments_used, verdict=verdict,
            atoms=self.atoms, outcome=None,
        )

    def bounds(self, x):
        """The sharp bounds at the positions x (a number or an array)."""
        flat, shape = _positions(x)
        lower_bound, upper_bound, codes = self._core.bounds(flat)
        return self._result(flat, shape, lower_bound, upper_bound, codes)

    def __reduce__(self):
        return (analyse, (self.moments, self.support, self.lower, self.upper, self.about))

    def __repr__(self):
        return (
            f"Analysis(status={self.status!r}, moments_used={self.moments_used}, "
            f"verdict={self.verdict!r})"
        )


# --- The functions ----------------------------------------------------------


def analyse(moments, support="whole", lower=None, upper=None, about=None):
    """Analyses a moment list once for the sharp method; .bounds(x) reuses it.

    moments: M0 = 1, M1, ...; support: "whole", "half" or "interval" ("bounded"
    and 0, 1, 2 work too); lower, upper: the support's limits (default 0 and
    1; lower is read for the half-line and the interval, upper for the
    interval); about: the point C the moments are about, E[(X - C)^k]
    (default 0: raw moments).  Raises ValueError for an invalid request.
    """
    index = _support(support)
    lower, upper = _limits(lower, upper)
    about = _about(about)
    moments = _moments(moments)
    return Analysis(_core.analyse(index, lower, upper, moments, about), moments, index, lower,
                    upper, about)


def bounds(moments, x, support="whole", lower=None, upper=None, method="sharp", log=None,
           about=None):
    """Bounds on the distribution function at the positions x.

    x: a number (the results are floats) or an array (the results have its
    shape).  method: "sharp" (the tightest bounds the moments allow; one
    analysis for all positions) or "classic" (the classic estimations, as
    vendrill-cli --method classic computes them).  log: the classic method's
    error log, a path to which failed attempts append their reports; None
    (the default) writes none.  The sharp method writes no log.  about: the
    point the moments are about (the classic method turns them into raw
    moments).  The other arguments as for analyse().  Returns a Bounds;
    raises ValueError for an invalid request.
    """
    index = _support(support)
    method = _method(method)
    flat, shape = _positions(x)
    lower, upper = _limits(lower, upper)
    about = _about(about)
    moments = _moments(moments)
    if method == "sharp":
        core, lower_bound, upper_bound, codes = _core.sharp_bounds(
            index, lower, upper, moments, flat, about)
        analysis = Analysis(core, moments, index, lower, upper, about)
        return analysis._result(flat, shape, lower_bound, upper_bound, codes)
    lower_bound, upper_bound, outcome, guard = _core.classic_bounds(
        index, lower, upper, moments, flat, _log_path(log), about
    )
    request = dict(method=method, support=_SUPPORT_NAMES[index], lower=lower, upper=upper,
                   moments=moments, about=about)
    return _result(
        request, _shaped(flat, shape), shape, lower_bound, upper_bound,
        outcome=_shaped(outcome, shape),
        verdict=_shaped(_classic_verdicts(index, outcome, guard), shape),
        status=None, moments_used=None, atoms=None,
    )


def bounds_many(moments_2d, x, support="whole", lower=None, upper=None, method="sharp", log=None,
                about=None):
    """Bounds for many moment lists at the same positions, in one call.

    moments_2d: a 2-D array (or anything numpy makes one of, a pandas
    DataFrame included), one moment list a row, all on the same support (and
    about the same point).  The arrays of the result have the shape (rows,) +
    shape of x, status and verdict too; moments_used (sharp) one entry a row,
    atoms a list with one entry a row.  The other arguments as for bounds().
    A list that is invalid raises ValueError naming its row; nothing is
    computed then.
    """
    index = _support(support)
    method = _method(method)
    flat, shape = _positions(x)
    lower, upper = _limits(lower, upper)
    about = _about(about)
    try:
        columns = np.shape(moments_2d)[1] if np.ndim(moments_2d) == 2 else None
    except ValueError:  # lists of unequal lengths
        columns = None
    rows = _array(moments_2d, _moment_name(columns))
    if rows.ndim != 2:
        raise ValueError(
            f"moments: expected a 2-D array, one moment list a row, got shape {rows.shape}"
        )
    x = _shaped(flat, shape)
    shape = (rows.shape[0],) + shape
    request = dict(method=method, support=_SUPPORT_NAMES[index], lower=lower, upper=upper,
                   moments=rows, about=about)
    if method == "sharp":
        lower_bound, upper_bound, codes, used, verdicts, atoms = _core.sharp_bounds_many(
            index, lower, upper, rows, flat, about
        )
        status, verdict = _sharp_fields(codes, verdicts, shape)
        return _result(
            request, x, shape, lower_bound, upper_bound, status=status, moments_used=used,
            verdict=verdict, atoms=atoms, outcome=None,
        )
    lower_bound, upper_bound, outcome, guard = _core.classic_bounds_many(
        index, lower, upper, rows, flat, _log_path(log), about
    )
    return _result(
        request, x, shape, lower_bound, upper_bound, outcome=outcome.reshape(shape),
        verdict=_classic_verdicts(index, outcome, guard).reshape(shape), status=None,
        moments_used=None, atoms=None,
    )


# --- The picture ------------------------------------------------------------


def _plot_request(result_or_request):
    """(request as a dict, the result whose positions are marked or None)."""
    if isinstance(result_or_request, Bounds):
        r = result_or_request
        if np.ndim(r.moments) != 1:
            raise ValueError("plot() draws one moment list: pass a result of bounds()")
        request = dict(method=r.method, support=r.support, lower=r.lower, upper=r.upper,
                       moments=r.moments, about=r.about)
        return request, r
    if isinstance(result_or_request, Analysis):
        return result_or_request._request(), None
    if isinstance(result_or_request, dict):
        arguments = {k: v for k, v in result_or_request.items() if k != "log"}
        if "x" in arguments:
            return _plot_request(bounds(**arguments))
        checked = bounds(x=0.0, **arguments)
        return _plot_request(checked)[0], None
    raise TypeError(
        "plot() takes a result of bounds(), an analysis of analyse() or a dict of bounds()'s "
        "arguments"
    )


def plot(result_or_request, ax=None, truth=None, count=401):
    """Draws the band L(x)..U(x) of a request with matplotlib; returns the axes.

    result_or_request: a result of bounds() (its positions are marked with
    their bounds), an analysis of analyse(), or a dict of bounds()'s
    arguments (x optional).  ax: the axes to draw on (default: a new
    figure's).  truth: a reference distribution function, a callable F(x) or
    an object with a .cdf method, drawn over the band.  count: the positions
    at which the band is sampled.  The band is the library's sampled
    envelope over its default range (widened to the positions): the curves'
    data are exactly the bounds at those positions.
    """
    if count < 2:
        raise ValueError(f"count: the band needs at least 2 positions, got {count}")
    request, result = _plot_request(result_or_request)
    method = request["method"]
    index = _support(request["support"])
    moments, lower, upper = request["moments"], request["lower"], request["upper"]
    about = _about(request.get("about"))
    marked = None if result is None else np.atleast_1d(result.x).ravel()
    if marked is not None and not marked.size:
        marked = None
    start, stop = _core.default_span(
        method, index, lower, upper, moments, 0.0 if marked is None else float(marked[0]), about
    )
    if marked is not None:
        start, stop = min(start, float(marked.min())), max(stop, float(marked.max()))
    band = _core.envelope(method, index, lower, upper, moments, start, stop, int(count), about)

    if ax is None:
        import matplotlib.pyplot as plt

        _, ax = plt.subplots()
    x = band["position"]
    ax.fill_between(x, band["lower_bound"], band["upper_bound"], color="C0", alpha=0.2,
                    linewidth=0)
    ax.plot(x, band["lower_bound"], color="C0", gid="vendrill-lower",
            label="L(x), lower bound for P(X < x)")
    ax.plot(x, band["upper_bound"], color="C3", gid="vendrill-upper",
            label="U(x), upper bound for P(X \u2264 x)")
    if truth is not None:
        cdf = truth.cdf if hasattr(truth, "cdf") else truth
        ax.plot(x, [cdf(v) for v in x], color="k", linestyle="--", linewidth=1,
                gid="vendrill-truth", label="reference distribution")
    if band["atoms"] is not None:
        points, masses = band["atoms"][:, 0], band["atoms"][:, 1]
        ax.vlines(points, 0.0, masses, color="C2", linewidth=2, gid="vendrill-atoms",
                  label="atoms (mass)")
    if marked is not None:
        lows = np.atleast_1d(result.lower_bound).ravel()
        highs = np.atleast_1d(result.upper_bound).ravel()
        ax.vlines(marked, lows, highs, color="k", linewidth=1.5, gid="vendrill-positions")
        ax.plot(np.concatenate([marked, marked]), np.concatenate([lows, highs]), "k_",
                markersize=10, label="bounds at x")
    ax.set_xlim(start, stop)
    ax.set_ylim(-0.02, 1.02)
    ax.set_xlabel("x")
    ax.set_ylabel("probability")
    where = {"whole": "the whole line", "half": f"[{lower:g}, inf)",
             "interval": f"[{lower:g}, {upper:g}]"}[request["support"]]
    centre = f" about {about:g}" if about else ""
    ax.set_title(f"{method.capitalize()} bounds from {len(moments)} moments{centre} on {where}")
    ax.legend(loc="best", fontsize="small")
    return ax
