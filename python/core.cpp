// SPDX-License-Identifier: Apache-2.0
// vendrill._core: the library's two methods for Python, on numpy arrays.
//
// Thin on purpose: vendrill/__init__.py gives the Python interface (keyword
// arguments, shapes, result objects).  This module checks a request with the
// library's message texts, runs the computation with the GIL released (every
// call has its own estimation context, so threads run in parallel) and hands
// back flat arrays; positions arrive flattened and the caller restores their
// shape.  Arrays come in as C-contiguous float64 (the caller converts them).

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "estimation/context.h"
#include "estimation/envelope.h"
#include "estimation/estimate.h"
#include "estimation/messages.h"
#include "estimation/moments_about.h"
#include "estimation/request_source.h"
#include "estimation/tail_bounds.h"
#include "numeric/diagnostics.h"
#include "numeric/failure.h"
#include "numeric/support.h"
#include "numeric/vector.h"
#include "sharp/sharp.h"

namespace py = pybind11;

namespace {

using Doubles = py::array_t<double, py::array::c_style>;

// --- The sharp method: every use of sharp/sharp.h is here. ---

SharpAnalysis sharp_analysis(Support support, double lower, double upper, const double* moments,
                             std::size_t count, double centre) {
    return analyse_moments(support, lower, upper, moments, static_cast<int>(count), centre);
}

// Positions in their order are one sweep (each one's node searches start from
// the nodes of the positions before), as vendrill-cli answers them.
SharpBounds sharp_bounds(SharpSweep& sweep, double position) {
    return sweep.at(position);
}

// --- Requests and their checks ---

struct Request {
    Method method = Method::sharp;
    Support support = Support::whole;
    double lower = 0.0;
    double upper = 1.0;
    double centre = 0.0; // the moments are E[(X - centre)^k]
};

Support support_of(int index) {
    const std::optional<Support> support = support_from_index(index);
    if (!support)
        throw py::value_error("support index " + std::to_string(index) + " names no support");
    return *support;
}

Method method_of(const std::string& name) {
    if (name == "sharp")
        return Method::sharp;
    if (name == "classic")
        return Method::classic;
    throw py::value_error("method '" + name + "' names no method");
}

// How Python writes the values a finiteness check refuses.
std::string value_text(double value) {
    if (std::isnan(value))
        return "nan";
    return value > 0 ? "inf" : "-inf";
}

// The fewest moments a request needs, as vendrill-cli counts them: the
// classic estimation's minimum (3, 4 or 5), one (M0 alone) for the sharp
// method.  This is the one place the sharp minimum lives.
std::size_t minimum_moments(Method method, Support support) {
    const int classic_minimum = minimum_moment_count(support);
    const int sharp_minimum = 1;
    return static_cast<std::size_t>(method == Method::sharp ? sharp_minimum : classic_minimum);
}

// The checks vendrill-cli makes, in its order: the positions, the limits, the
// moments (not too many, each a finite number, enough, the 0th equal to 1).  The
// first fault's message, "" when there is none.  origin ("row 3: ") leads the
// messages about the moments.
std::string positions_fault(const double* x, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(x[i]))
            return number_fault_message("x", value_text(x[i]), NumberFault::not_finite);
    return {};
}

std::string limits_fault(const Request& request) {
    if (!std::isfinite(request.lower))
        return number_fault_message("lower", value_text(request.lower), NumberFault::not_finite);
    if (!std::isfinite(request.upper))
        return number_fault_message("upper", value_text(request.upper), NumberFault::not_finite);
    if (!std::isfinite(request.centre))
        return number_fault_message("about", value_text(request.centre), NumberFault::not_finite);
    return {};
}

std::string moments_fault(const Request& request, const double* moments, std::size_t count,
                          const std::string& origin) {
    if (count > max_moment_count)
        return origin + too_many_moments_message(count);
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(moments[i]))
            return origin + number_fault_message("moment M" + std::to_string(i),
                                                 value_text(moments[i]), NumberFault::not_finite);
    if (count < minimum_moments(request.method, request.support))
        return origin + (request.method == Method::sharp
                             ? std::string(no_moments_message)
                             : too_few_moments_message(request.support));
    if (moments[0] != 1.0)
        return origin + zeroth_moment_message;
    if (request.method == Method::classic && request.centre != 0.0 &&
        !all_finite(raw_moments(moments, static_cast<int>(count), request.centre)))
        return origin + raw_moments_out_of_range_message(request.centre);
    return {};
}

void raise_if(const std::string& fault) {
    if (!fault.empty())
        throw py::value_error(fault);
}

// Bounds that are not numbers are never handed out: such a position gets the
// pair that always holds.
bool keep_finite(double& lower, double& upper) {
    if (std::isfinite(lower) && std::isfinite(upper))
        return true;
    lower = 0.0;
    upper = 1.0;
    return false;
}

const double* data_of(const Doubles& array) {
    return array.data();
}

// --- Results ---

// A determinate list's atoms as rows (point, mass); None for any other status.
py::object atoms_array(SharpStatus status, const std::vector<SharpAtom>& atoms) {
    if (status != SharpStatus::determinate)
        return py::none();
    const py::ssize_t count = static_cast<py::ssize_t>(atoms.size());
    py::array_t<double> rows({count, py::ssize_t{2}});
    auto view = rows.mutable_unchecked<2>();
    for (py::ssize_t i = 0; i < count; ++i) {
        view(i, 0) = atoms[static_cast<std::size_t>(i)].point;
        view(i, 1) = atoms[static_cast<std::size_t>(i)].mass;
    }
    return rows;
}

// --- The classic method ---

// The context of a classic call: the log at log_path (none without one), the
// request in its reports, no diagnostic lines (a library does not write to
// the caller's terminal).
EstimationContext classic_context(const std::optional<std::string>& log_path,
                                  const RequestSource* source) {
    EstimationContext context;
    context.log_path = log_path;
    context.request = source;
    context.diagnostics = DiagnosticSink(nullptr);
    return context;
}

// Bounds, outcomes and guard verdicts (GuardVerdict as a number) of one
// moment list at count positions: one guarded estimation (one sharp analysis)
// for all of them.  Returns false after a failure outside the drivers'
// attempts (no memory for the moments' copy), which it has reported.
bool classic_row(const Request& request, const double* moments, std::size_t moment_count,
                 const double* x, std::size_t count, const std::optional<std::string>& log_path,
                 double* lower, double* upper, int* outcome, int* guard) {
    // The reports show the raw moments the estimations work on.
    StoredRequestSource source(
        request.support, request.lower, request.upper,
        raw_moments(moments, static_cast<int>(moment_count), request.centre));
    EstimationContext context = classic_context(log_path, &source);
    try {
        const ClassicEstimation estimation(request.support, request.lower, request.upper, moments,
                                           static_cast<int>(moment_count), context, request.centre);
        for (std::size_t i = 0; i < count; ++i) {
            source.set_position(x[i]);
            const Estimate e = estimation.at(x[i]);
            lower[i] = e.lower_bound;
            upper[i] = e.upper_bound;
            outcome[i] = keep_finite(lower[i], upper[i]) ? outcome_index(e.outcome)
                                                         : outcome_index(Outcome::none);
            guard[i] = static_cast<int>(e.guard);
        }
    } catch (const Failure& failure) {
        context.report(failure);
        return false;
    }
    return true;
}

py::tuple classic_bounds(int support, double lower, double upper, const Doubles& moments,
                         const Doubles& x, std::optional<std::string> log_path, double centre) {
    const Request request{Method::classic, support_of(support), lower, upper, centre};
    const std::size_t count = static_cast<std::size_t>(x.size());
    const std::size_t moment_count = static_cast<std::size_t>(moments.size());
    raise_if(positions_fault(data_of(x), count));
    raise_if(limits_fault(request));
    raise_if(moments_fault(request, data_of(moments), moment_count, ""));

    py::array_t<double> lower_bound(static_cast<py::ssize_t>(count));
    py::array_t<double> upper_bound(static_cast<py::ssize_t>(count));
    py::array_t<int> outcome(static_cast<py::ssize_t>(count));
    py::array_t<int> guard(static_cast<py::ssize_t>(count));
    // The buffers are taken while the GIL is held; the loop touches only them.
    const double* m = data_of(moments);
    const double* at = data_of(x);
    double* lows = lower_bound.mutable_data();
    double* highs = upper_bound.mutable_data();
    int* outcomes = outcome.mutable_data();
    int* guards = guard.mutable_data();
    bool computed = false;
    {
        py::gil_scoped_release release;
        computed = classic_row(request, m, moment_count, at, count, log_path, lows, highs, outcomes,
                               guards);
    }
    if (!computed)
        throw std::bad_alloc();
    return py::make_tuple(lower_bound, upper_bound, outcome, guard);
}

// The sizes of a request for many moment lists (one a row) at the same
// positions, after the checks every list and position must pass.
struct ManyShape {
    std::size_t rows;
    std::size_t moment_count;
    std::size_t count;
};

ManyShape checked_many(const Request& request, const Doubles& moments, const Doubles& x) {
    if (moments.ndim() != 2)
        throw py::value_error("the moment lists must be a 2-D array, one list a row");
    const std::size_t rows = static_cast<std::size_t>(moments.shape(0));
    const std::size_t moment_count = static_cast<std::size_t>(moments.shape(1));
    const std::size_t count = static_cast<std::size_t>(x.size());
    raise_if(positions_fault(data_of(x), count));
    raise_if(limits_fault(request));
    for (std::size_t r = 0; r < rows; ++r)
        raise_if(moments_fault(request, data_of(moments) + r * moment_count, moment_count,
                               "row " + std::to_string(r) + ": "));
    return {rows, moment_count, count};
}

py::tuple classic_bounds_many(int support, double lower, double upper, const Doubles& moments,
                              const Doubles& x, std::optional<std::string> log_path,
                              double centre) {
    const Request request{Method::classic, support_of(support), lower, upper, centre};
    const ManyShape shape = checked_many(request, moments, x);
    const std::size_t rows = shape.rows;
    const std::size_t moment_count = shape.moment_count;
    const std::size_t count = shape.count;

    const py::ssize_t size = static_cast<py::ssize_t>(rows * count);
    py::array_t<double> lower_bound(size);
    py::array_t<double> upper_bound(size);
    py::array_t<int> outcome(size);
    py::array_t<int> guard(size);
    const double* m = data_of(moments);
    const double* at = data_of(x);
    double* lows = lower_bound.mutable_data();
    double* highs = upper_bound.mutable_data();
    int* outcomes = outcome.mutable_data();
    int* guards = guard.mutable_data();
    bool computed = true;
    {
        py::gil_scoped_release release;
        for (std::size_t r = 0; r < rows && computed; ++r)
            computed = classic_row(request, m + r * moment_count, moment_count, at, count, log_path,
                                   lows + r * count, highs + r * count, outcomes + r * count,
                                   guards + r * count);
    }
    if (!computed)
        throw std::bad_alloc();
    return py::make_tuple(lower_bound, upper_bound, outcome, guard);
}

// --- The sharp method ---

// One analysis, answering any number of positions (Python: _core.Analysis).
struct Analysis {
    SharpAnalysis analysis;
};

// The bounds and each position's status (SharpStatus as a number: the
// status is per position, sharp next to an atom of a determinate list).
void sharp_row(const SharpAnalysis& analysis, const double* x, std::size_t count, double* lower,
               double* upper, std::int8_t* status) {
    SharpSweep sweep(analysis);
    for (std::size_t i = 0; i < count; ++i) {
        const SharpBounds bounds = sharp_bounds(sweep, x[i]);
        lower[i] = bounds.lower_bound;
        upper[i] = bounds.upper_bound;
        status[i] = static_cast<std::int8_t>(bounds.status);
        keep_finite(lower[i], upper[i]);
    }
}

// The verdict at a position of each status (SharpStatus as an index), for
// one analysis: the same sentence everywhere except next to an atom.
py::list verdicts_by_status(const SharpAnalysis& analysis) {
    py::list texts;
    for (const SharpStatus status : {SharpStatus::sharp, SharpStatus::determinate,
                                     SharpStatus::infeasible, SharpStatus::invalid})
        texts.append(sharp_verdict_text(analysis, status));
    return texts;
}

// The checks and the analysis; x, when given, is checked first (vendrill-cli
// checks the positions before the moments).
Analysis checked_analysis(int support, double lower, double upper, const Doubles& moments,
                          const Doubles* x, double centre) {
    const Request request{Method::sharp, support_of(support), lower, upper, centre};
    const std::size_t moment_count = static_cast<std::size_t>(moments.size());
    if (x != nullptr)
        raise_if(positions_fault(data_of(*x), static_cast<std::size_t>(x->size())));
    raise_if(limits_fault(request));
    raise_if(moments_fault(request, data_of(moments), moment_count, ""));
    const double* m = data_of(moments);
    Analysis result;
    {
        py::gil_scoped_release release;
        result.analysis = sharp_analysis(request.support, lower, upper, m, moment_count, centre);
    }
    // What the checks above leave to the method: limits that make no support.
    if (result.analysis.status == SharpStatus::invalid)
        throw py::value_error(result.analysis.message);
    return result;
}

Analysis analyse(int support, double lower, double upper, const Doubles& moments, double centre) {
    return checked_analysis(support, lower, upper, moments, nullptr, centre);
}

// L, U and the status codes at the flat positions x.
py::tuple analysis_bounds(const Analysis& self, const Doubles& x) {
    const std::size_t count = static_cast<std::size_t>(x.size());
    raise_if(positions_fault(data_of(x), count));
    py::array_t<double> lower_bound(static_cast<py::ssize_t>(count));
    py::array_t<double> upper_bound(static_cast<py::ssize_t>(count));
    py::array_t<std::int8_t> status(static_cast<py::ssize_t>(count));
    const double* at = data_of(x);
    double* lows = lower_bound.mutable_data();
    double* highs = upper_bound.mutable_data();
    std::int8_t* codes = status.mutable_data();
    {
        py::gil_scoped_release release;
        sharp_row(self.analysis, at, count, lows, highs, codes);
    }
    return py::make_tuple(lower_bound, upper_bound, status);
}

// One call for one list: (analysis, L, U, status codes).
py::tuple sharp_bounds_once(int support, double lower, double upper, const Doubles& moments,
                            const Doubles& x, double centre) {
    py::object analysis = py::cast(checked_analysis(support, lower, upper, moments, &x, centre));
    py::tuple bounds = analysis_bounds(analysis.cast<const Analysis&>(), x);
    return py::make_tuple(analysis, bounds[0], bounds[1], bounds[2]);
}

// What a row's analysis leaves behind once its positions are answered.
struct RowVerdict {
    SharpStatus status = SharpStatus::invalid;
    int moments_used = 0;
    std::array<std::string, 4> verdict; // at a position of each status
    std::string message;
    std::vector<SharpAtom> atoms;
};

py::tuple sharp_bounds_many(int support, double lower, double upper, const Doubles& moments,
                            const Doubles& x, double centre) {
    const Request request{Method::sharp, support_of(support), lower, upper, centre};
    const ManyShape shape = checked_many(request, moments, x);
    const std::size_t rows = shape.rows;
    const std::size_t moment_count = shape.moment_count;
    const std::size_t count = shape.count;

    const py::ssize_t size = static_cast<py::ssize_t>(rows * count);
    py::array_t<double> lower_bound(size);
    py::array_t<double> upper_bound(size);
    py::array_t<std::int8_t> status(size);
    const double* m = data_of(moments);
    const double* at = data_of(x);
    double* lows = lower_bound.mutable_data();
    double* highs = upper_bound.mutable_data();
    std::int8_t* codes = status.mutable_data();
    std::vector<RowVerdict> verdicts(rows);
    std::size_t invalid_row = rows;
    {
        py::gil_scoped_release release;
        for (std::size_t r = 0; r < rows; ++r) {
            const SharpAnalysis analysis = sharp_analysis(
                request.support, lower, upper, m + r * moment_count, moment_count, centre);
            RowVerdict& row = verdicts[r];
            row.status = analysis.status;
            row.moments_used = analysis.moments_used;
            if (analysis.status == SharpStatus::invalid) {
                row.message = analysis.message;
                invalid_row = r;
                break;
            }
            for (const SharpStatus s : {SharpStatus::sharp, SharpStatus::determinate,
                                        SharpStatus::infeasible, SharpStatus::invalid})
                row.verdict[static_cast<std::size_t>(s)] = sharp_verdict_text(analysis, s);
            row.atoms = analysis.atoms;
            sharp_row(analysis, at, count, lows + r * count, highs + r * count, codes + r * count);
        }
    }
    if (invalid_row < rows)
        throw py::value_error("row " + std::to_string(invalid_row) + ": " +
                              verdicts[invalid_row].message);

    py::array_t<int> moments_used(static_cast<py::ssize_t>(rows));
    py::list verdict;
    py::list atoms;
    for (std::size_t r = 0; r < rows; ++r) {
        const RowVerdict& row = verdicts[r];
        moments_used.mutable_data()[r] = row.moments_used;
        verdict.append(py::cast(std::vector<std::string>(row.verdict.begin(), row.verdict.end())));
        atoms.append(atoms_array(row.status, row.atoms));
    }
    return py::make_tuple(lower_bound, upper_bound, status, moments_used, verdict, atoms);
}

// --- The sampled band of a picture ---

BoundsRequest bounds_request(const std::string& method, int support, double lower, double upper,
                             const Doubles& moments, double centre) {
    BoundsRequest request;
    request.method = method_of(method);
    request.support = support_of(support);
    request.lower = lower;
    request.upper = upper;
    request.moments.assign(data_of(moments), data_of(moments) + moments.size());
    request.centre = centre;
    return request;
}

py::tuple span_of(const std::string& method, int support, double lower, double upper,
                  const Doubles& moments, double position, double centre) {
    const PositionSpan span =
        default_span(bounds_request(method, support, lower, upper, moments, centre), position);
    return py::make_tuple(span.from, span.to);
}

py::dict envelope_of(const std::string& method, int support, double lower, double upper,
                     const Doubles& moments, double from, double to, int count, double centre) {
    const BoundsRequest request = bounds_request(method, support, lower, upper, moments, centre);
    Envelope envelope;
    {
        py::gil_scoped_release release;
        envelope = sample_envelope(request, PositionSpan{from, to}, count);
    }
    py::dict result;
    result["position"] = py::array_t<double>(static_cast<py::ssize_t>(envelope.position.size()),
                                             envelope.position.data());
    result["lower_bound"] = py::array_t<double>(
        static_cast<py::ssize_t>(envelope.lower_bound.size()), envelope.lower_bound.data());
    result["upper_bound"] = py::array_t<double>(
        static_cast<py::ssize_t>(envelope.upper_bound.size()), envelope.upper_bound.data());
    result["atoms"] = atoms_array(envelope.status, envelope.atoms);
    return result;
}

} // namespace

PYBIND11_MODULE(_core, m) {
    m.doc() = "The compiled core of vendrill: checks and bounds on numpy arrays.";

    py::class_<Analysis>(m, "Analysis", "The sharp method's analysis of one moment list.")
        .def_property_readonly("status",
                               [](const Analysis& a) { return status_name(a.analysis.status); })
        .def_property_readonly("moments_given",
                               [](const Analysis& a) { return a.analysis.moments_given; })
        .def_property_readonly("moments_used",
                               [](const Analysis& a) { return a.analysis.moments_used; })
        .def_property_readonly("verdict",
                               [](const Analysis& a) { return sharp_verdict_text(a.analysis); })
        .def_property_readonly(
            "verdicts", [](const Analysis& a) { return verdicts_by_status(a.analysis); },
            "The verdict at a position of each status code (0 sharp, 1 determinate, 2 "
            "infeasible, 3 invalid).")
        .def_property_readonly(
            "atoms",
            [](const Analysis& a) { return atoms_array(a.analysis.status, a.analysis.atoms); })
        .def("bounds", &analysis_bounds, py::arg("x"),
             "L, U and the status codes at the flat float64 positions x, from this analysis.");

    m.def("analyse", &analyse, py::arg("support"), py::arg("lower"), py::arg("upper"),
          py::arg("moments"), py::arg("centre") = 0.0,
          "Checks the request and analyses the moment list (sharp method).");
    m.def("sharp_bounds", &sharp_bounds_once, py::arg("support"), py::arg("lower"),
          py::arg("upper"), py::arg("moments"), py::arg("x"), py::arg("centre") = 0.0,
          "Checks, analyses and answers the flat positions x: (analysis, L, U, status codes).");
    m.def("sharp_bounds_many", &sharp_bounds_many, py::arg("support"), py::arg("lower"),
          py::arg("upper"), py::arg("moments"), py::arg("x"), py::arg("centre") = 0.0,
          "Sharp L, U and status codes of every row of a 2-D moment array at the positions x, "
          "with each row's moments used, verdicts by status code and atoms.");
    m.def("classic_bounds", &classic_bounds, py::arg("support"), py::arg("lower"), py::arg("upper"),
          py::arg("moments"), py::arg("x"), py::arg("log"), py::arg("centre") = 0.0,
          "Classic L, U, outcome and guard verdict (0 none, 1 widened, 2 infeasible) at the "
          "flat positions x; log: the error log's path or None.");
    m.def("classic_bounds_many", &classic_bounds_many, py::arg("support"), py::arg("lower"),
          py::arg("upper"), py::arg("moments"), py::arg("x"), py::arg("log"),
          py::arg("centre") = 0.0,
          "Classic L, U, outcome and guard verdict of every row of a 2-D moment array at the "
          "positions x.");
    m.def("default_span", &span_of, py::arg("method"), py::arg("support"), py::arg("lower"),
          py::arg("upper"), py::arg("moments"), py::arg("position"), py::arg("centre") = 0.0,
          "The range of positions a picture of the band shows: (from, to).");
    m.def("envelope", &envelope_of, py::arg("method"), py::arg("support"), py::arg("lower"),
          py::arg("upper"), py::arg("moments"), py::arg("start"), py::arg("stop"), py::arg("count"),
          py::arg("centre") = 0.0, "L(x) and U(x) sampled at count positions from start to stop.");
    m.def(
        "tail_bounds",
        [](const Doubles& lower, const Doubles& upper) {
            py::array_t<double> most(lower.size());
            py::array_t<double> least(upper.size());
            for (py::ssize_t i = 0; i < lower.size(); ++i)
                most.mutable_data()[i] = upper_tail_max(lower.data()[i]);
            for (py::ssize_t i = 0; i < upper.size(); ++i)
                least.mutable_data()[i] = upper_tail_min(upper.data()[i]);
            return py::make_tuple(most, least);
        },
        py::arg("lower_bound"), py::arg("upper_bound"),
        "1 - L rounded up and 1 - U rounded down, as vendrill-cli writes them.");

    m.def(
        "outcome_message",
        [](int support, int outcome) {
            return outcome_message(support_of(support), static_cast<Outcome>(outcome));
        },
        py::arg("support"), py::arg("outcome"), "The classic verdict on an outcome (0 to 3).");
    m.def(
        "guard_message", [](int guard) { return guard_message(static_cast<GuardVerdict>(guard)); },
        py::arg("guard"),
        "The guard's verdict (0 none: \"\", 1 widened, 2 infeasible), which replaces the "
        "outcome's.");
    m.def(
        "number_fault_message",
        [](const std::string& what, const std::string& text, const std::string& fault) {
            const NumberFault kind = fault == "not_finite"     ? NumberFault::not_finite
                                     : fault == "out_of_range" ? NumberFault::out_of_range
                                                               : NumberFault::not_a_number;
            return number_fault_message(what, text, kind);
        },
        py::arg("what"), py::arg("text"), py::arg("fault"),
        "vendrill-cli's message on a number: fault is not_a_number, out_of_range or not_finite.");
    m.attr("max_moment_count") = max_moment_count;
    m.attr("__version__") = VENDRILL_VERSION;
}
