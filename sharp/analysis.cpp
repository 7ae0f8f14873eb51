// SPDX-License-Identifier: Apache-2.0
// The analysis of one moment list: input checks, units and tolerances, the
// Hankel forms of every degree (in double, or in double-double where double
// cannot tell a pivot from the tolerance of the moments), and the verdict.
// The parts live in standardise.cpp (units and tolerances), recurrence.cpp
// (Hankel forms and their pivots), determinate.cpp (the distribution of a
// singular form) and certificate.cpp (the dual polynomials behind every bound).

#include "sharp/certificate.h"
#include "sharp/determinate.h"
#include "sharp/double_double.h"
#include "sharp/jacobi.h"
#include "sharp/recurrence.h"
#include "sharp/sharp.h"
#include "sharp/standardise.h"
#include "sharp/tolerances.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace sharp_detail;

static_assert(max_degree < 32, "candidate degrees are kept as bits of a 32-bit mask");

const char* status_name(SharpStatus status) {
    switch (status) {
    case SharpStatus::sharp:
        return "sharp";
    case SharpStatus::determinate:
        return "determinate";
    case SharpStatus::infeasible:
        return "infeasible";
    case SharpStatus::invalid:
        return "invalid";
    }
    return "invalid";
}

const char* weight_name(SharpWeight weight) {
    switch (weight) {
    case SharpWeight::one:
        return "1";
    case SharpWeight::above_lower:
        return "t-a";
    case SharpWeight::below_upper:
        return "b-t";
    case SharpWeight::between:
        return "(t-a)(b-t)";
    }
    return "1";
}

namespace {

std::string count_text(int count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

void set_verdict(SharpAnalysis& analysis, SharpStatus status, int used, std::string message) {
    analysis.status = status;
    analysis.moments_used = used;
    analysis.message = std::move(message);
}

// The reasons a request cannot be analysed at all; empty when it can.
std::string invalid_reason(Support support, double lower, double upper, const double* moments,
                           int count, double centre) {
    if (!support_from_index(support_index(support)))
        return "Unknown support type.";
    if (count < 1 || moments == nullptr)
        return "No moments were given.";
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(moments[i]))
            return "Every moment must be a finite number.";
    if (moments[0] != 1.0)
        return "The first moment must be exactly 1.";
    if (!std::isfinite(centre))
        return "The centre of the moments must be a finite number.";
    if (has_lower_end(support) && !std::isfinite(lower))
        return "The lower limit must be a finite number.";
    if (has_upper_end(support) && !(std::isfinite(upper) && lower < upper))
        return "The upper limit must be a finite number above the lower limit.";
    return {};
}

// The power of two nearest to value (> 0): dividing by its powers is exact.
double power_of_two_near(double value) {
    if (!(value > 0.0) || !std::isfinite(value))
        return 1.0;
    return std::ldexp(1.0, std::ilogb(value));
}

double original_point(const SharpAnalysis& analysis, double t) {
    const Units& u = analysis.units;
    if (has_lower_end(analysis.support) && t == u.lower)
        return analysis.lower;
    if (has_upper_end(analysis.support) && t == u.upper)
        return analysis.upper;
    return to_double(add(two_sum(u.centre, u.shift), two_prod(u.scale, t)));
}

// The largest amount by which moments within their tolerance let the bounds
// of the determinate distribution move, probed half-way between its atoms.
double law_widening(const Units& u, Support support, const Discrete& law) {
    CertNode nodes[max_atoms];
    double points[max_atoms];
    for (int i = 0; i < law.count; ++i) {
        nodes[i] = {law.point[i], !law.at_end[i]};
        points[i] = law.point[i];
    }
    std::sort(points, points + law.count);
    double widest = 0.0;
    for (int i = 0; i + 1 < law.count; ++i) {
        double x = 0.5 * (points[i] + points[i + 1]);
        double below = 0.0;
        for (int k = 0; k < law.count; ++k)
            if (law.point[k] < x)
                below += law.mass[k];
        Certificate up = hermite_certificate(u, support, x, 0.0, nodes, law.count, true);
        Certificate down = hermite_certificate(u, support, x, 0.0, nodes, law.count, false);
        if (!up.ok || !down.ok)
            return std::numeric_limits<double>::infinity();
        widest = std::max(
            widest, std::max(up.value + up.widening - below, below - (down.value - down.widening)));
    }
    return widest;
}

// Keeps the distribution that lies within the tolerance; the verdict is set
// at the end (determinate when it is pinned to exact_tolerance).
void set_law(SharpAnalysis& analysis, const Discrete& law, double widening) {
    analysis.law = law;
    analysis.widening = widening;
    analysis.atoms.clear();
    for (int i = 0; i < law.count; ++i)
        analysis.atoms.push_back({original_point(analysis, law.point[i]), law.mass[i]});
    std::sort(analysis.atoms.begin(), analysis.atoms.end(),
              [](const SharpAtom& x, const SharpAtom& y) { return x.point < y.point; });
}

// Zero variance within the tolerance: the only candidate is one atom at the
// mean.  Returns false when the list ended the analysis (infeasible).
bool analyse_one_atom(SharpAnalysis& analysis, int n) {
    const Units& u = analysis.units;
    Discrete law;
    law.count = 1;
    law.point[0] = 0.0;
    law.mass[0] = 1.0;
    if (has_lower_end(analysis.support) &&
        0.0 < u.lower - tol_position * (1.0 + std::fabs(u.lower)))
        return false;
    if (has_upper_end(analysis.support) &&
        0.0 > u.upper + tol_position * (1.0 + std::fabs(u.upper)))
        return false;
    Discrete checked = law;
    if (check_distribution(checked, analysis.support, n - 1, u) == Fit::contradicts)
        return false;
    set_law(analysis, law, 0.0);
    set_verdict(analysis, SharpStatus::determinate, n,
                "The moments determine the distribution: one atom.");
    return true;
}

// The states of the forms of one degree.
struct DegreeState {
    int forms = 0;
    FormSpec specs[2];
    Event state[2] = {Event::interior, Event::interior};
    bool any(Event event) const {
        for (int f = 0; f < forms; ++f)
            if (state[f] == event)
                return true;
        return false;
    }
};

DegreeState degree_state(Support support, int dd, const Recurrence* recs) {
    DegreeState ds;
    ds.forms = forms_of_degree(support, dd, ds.specs);
    for (int f = 0; f < ds.forms; ++f) {
        const Recurrence& rec = recs[weight_index(ds.specs[f].weight)];
        ds.state[f] = rec.event_order <= ds.specs[f].size ? rec.event : Event::interior;
    }
    return ds;
}

// The zeros of P_1 .. P_valid, each set bracketed by the one before
// (interlacing) and found by safeguarded Newton on the last Sturm pivot.
void keep_run(WeightRun& run, const Recurrence& rec) {
    run.weight = rec.weight;
    run.valid = std::min(rec.largest, rec.event_order - 1);
    for (int k = 0; k <= run.valid; ++k) {
        run.alpha[k] = rec.alpha[k];
        run.beta[k] = rec.beta[k];
        run.root_beta[k] = rec.root_beta[k];
    }
    const double* alpha = run.alpha.data();
    const double* beta = run.beta.data();
    for (int m = 1; m <= run.valid; ++m)
        gershgorin_rows(alpha, beta, m, run.rows_lo[m], run.rows_hi[m], run.root_beta_last[m]);
    for (int m = 1; m <= run.valid; ++m) {
        const double* inner = run.zeros[m - 1].data();
        double lo = 0.0;
        double hi = 0.0;
        gershgorin(alpha, beta, m - 1, alpha[m - 1], lo, hi);
        lo -= 1.0 + 1e-8 * std::fabs(lo);
        hi += 1.0 + 1e-8 * std::fabs(hi);
        for (int k = 0; k < m; ++k) {
            double left = k == 0 ? lo : inner[k - 1];
            double right = k == m - 1 ? hi : inner[k];
            run.zeros[m][k] = radau_node(alpha, beta, m - 1, alpha[m - 1], left, right);
        }
    }
}

// The analysis of the support without its far limits (far_limit): the
// whole line, the half-line [lower, inf), or for (-inf, upper] the half-line
// [-upper, inf) of -X, whose moments about -centre are (-1)^j c_j.  Every
// distribution on the support lies on the weaker one, so its bounds hold;
// a half-line's are met with the whole line's, which its own arithmetic
// (the tolerance seen through the kept limit) can leave slightly looser.
void analyse_without_far_limits(SharpAnalysis& analysis, bool drop_lower, bool drop_upper,
                                const double* moments, int count, double centre) {
    const bool keep_upper = has_upper_end(analysis.support) && !drop_upper;
    SharpAnalysis inner;
    if (!drop_lower && has_lower_end(analysis.support)) {
        inner = analyse_moments(Support::half, analysis.lower, 0.0, moments, count, centre);
    } else if (keep_upper) {
        std::vector<double> reflected(moments, moments + count);
        for (int j = 1; j < count; j += 2)
            reflected[j] = -reflected[j];
        inner =
            analyse_moments(Support::half, -analysis.upper, 0.0, reflected.data(), count, -centre);
        analysis.mirrored = true;
    } else {
        inner = analyse_moments(Support::whole, 0.0, 0.0, moments, count, centre);
    }
    analysis.status = inner.status;
    analysis.moments_used = inner.moments_used;
    analysis.message = inner.message + " Limits of the support more than 1e8 standard deviations "
                                       "from the mean were left out.";
    analysis.widening = inner.widening;
    analysis.extended_precision = inner.extended_precision;
    analysis.atoms = inner.atoms;
    if (analysis.mirrored) {
        std::reverse(analysis.atoms.begin(), analysis.atoms.end());
        for (SharpAtom& atom : analysis.atoms)
            atom.point = 0.0 - atom.point; // +0 for an atom at 0, not -0
    }
    analysis.weaker = std::make_shared<const SharpAnalysis>(std::move(inner));
    if (!drop_lower || keep_upper)
        analysis.whole_line = std::make_shared<const SharpAnalysis>(
            analyse_moments(Support::whole, 0.0, 0.0, moments, count, centre));
}

} // namespace

SharpAnalysis analyse_moments(Support support, double lower, double upper, const double* moments,
                              int count, double centre) {
    SharpAnalysis analysis;
    analysis.support = support;
    analysis.lower = lower;
    analysis.upper = upper;
    analysis.moments_given = count;
    std::string reason = invalid_reason(support, lower, upper, moments, count, centre);
    if (!reason.empty()) {
        set_verdict(analysis, SharpStatus::invalid, 0, reason);
        return analysis;
    }
    const double* c = moments;
    const int n = std::min(count, sharp_max_moments);

    // Units: the mean and a power of two near the standard deviation.
    double scale = 1.0;
    bool one_atom = false;
    if (n >= 3) {
        // The variance in double-double: c2 - c1^2 cancels for a small spread.
        DoubleDouble square = two_prod(c[1], c[1]);
        double variance = to_double(add({c[2], 0.0}, {-square.hi, -square.lo}));
        double tolerance[sharp_max_moments] = {};
        moment_tolerances(c, n, tolerance);
        double noise = tolerance[2] + 2.0 * std::fabs(c[1]) * tolerance[1] +
                       error_factor * eps * (std::fabs(c[2]) + square.hi);
        if (!std::isfinite(square.hi) || !std::isfinite(variance) || variance < -noise) {
            set_verdict(analysis, SharpStatus::infeasible, 3,
                        "The variance is negative: no distribution has these moments.");
            return analysis;
        }
        one_atom = variance <= noise;
        scale = power_of_two_near(std::sqrt(std::max(variance, noise)));
    } else if (n == 2) {
        double mean = centre + c[1];
        scale = power_of_two_near(support == Support::interval ? upper - lower
                                  : support == Support::half   ? std::fabs(mean - lower)
                                                               : 1.0);
    }
    DoubleDouble z_dd[sharp_max_moments];
    Units& u = analysis.units;
    standardise(c, n, centre, scale, u, z_dd);
    if (has_lower_end(support))
        u.lower = standardised_position(u, lower);
    if (has_upper_end(support))
        u.upper = standardised_position(u, upper);

    if (one_atom) {
        if (!analyse_one_atom(analysis, n))
            set_verdict(analysis, SharpStatus::infeasible, n,
                        "The variance is zero, but the single atom at the mean does not fit "
                        "the moments or the support.");
        return analysis;
    }

    // A limit far beyond the spread of the data adds nothing the arithmetic
    // can resolve, and its powers and products overflow: leave it out.  The
    // units come from the variance only from three moments on (with fewer
    // they come from the limits themselves).
    const bool drop_lower = has_lower_end(support) && u.lower < -far_limit;
    const bool drop_upper = has_upper_end(support) && u.upper > far_limit;
    if (n >= 3 && (drop_lower || drop_upper)) {
        analyse_without_far_limits(analysis, drop_lower, drop_upper, moments, count, centre);
        return analysis;
    }

    // The recurrences that some degree needs, each up to the largest size needed.
    const int d = n - 1;
    Recurrence recs[4];
    FormSpec specs[2];
    for (int dd = 0; dd <= d; ++dd) {
        int forms = forms_of_degree(support, dd, specs);
        for (int f = 0; f < forms; ++f) {
            Recurrence& rec = recs[weight_index(specs[f].weight)];
            rec.weight = specs[f].weight;
            rec.largest = std::max(rec.largest, specs[f].size);
        }
    }
    bool inconclusive = false;
    for (Recurrence& rec : recs)
        if (rec.largest >= 0) {
            run_recurrence(rec, u);
            inconclusive |= rec.event == Event::inconclusive;
        }
    if (inconclusive) {
        // Double cannot tell a pivot from the tolerance: redo every form from
        // the given moments in double-double.
        analysis.extended_precision = true;
        for (Recurrence& rec : recs)
            if (rec.largest >= 0)
                run_recurrence(rec, u, z_dd);
    }

    // From the full degree down: the first degree whose forms are all
    // positive within the tolerance gives the sharp bounds, a form that is
    // zero within it the determinate distribution; every lower usable degree
    // is kept, for positions where fewer moments do better.
    for (int dd = d; dd >= 0; --dd) {
        DegreeState ds = degree_state(support, dd, recs);
        bool top_found = analysis.top_degree >= 0;
        if (!top_found && ds.any(Event::negative)) {
            for (int f = 0; f < ds.forms; ++f)
                if (ds.state[f] == Event::negative) {
                    const Recurrence& rec = recs[weight_index(ds.specs[f].weight)];
                    set_verdict(analysis, SharpStatus::infeasible, dd + 1,
                                std::string("Hankel form of weight ") + weight_name(rec.weight) +
                                    " negative at order " + std::to_string(rec.event_order) +
                                    ": no distribution on the support has these moments.");
                    return analysis;
                }
        }
        if (!top_found && ds.any(Event::boundary)) {
            bool contradicted = true;
            for (int f = 0; f < ds.forms; ++f) {
                if (ds.state[f] != Event::boundary)
                    continue;
                const Recurrence& rec = recs[weight_index(ds.specs[f].weight)];
                Discrete law = determinate_distribution(rec, rec.event_order, u, support);
                Fit fit = check_distribution(law, support, dd, u);
                if (fit != Fit::contradicts)
                    contradicted = false;
                if (fit != Fit::within_tolerance || analysis.law.count > 0)
                    continue;
                // The distribution lies within the tolerance: its dual
                // polynomials bound every list there.  Exact when they keep
                // the bounds within exact_tolerance of its own between atoms.
                set_law(analysis, law, law_widening(u, support, law));
            }
            bool others_sure = !ds.any(Event::unresolved) && !ds.any(Event::inconclusive);
            if (contradicted && others_sure) {
                set_verdict(analysis, SharpStatus::infeasible, dd + 1,
                            "The moments lie on the boundary of the moment space, but moment "
                            "values contradict the distribution they determine.");
                return analysis;
            }
            if (analysis.law.count > 0)
                analysis.top_degree = dd;
            continue;
        }
        bool usable = true;
        for (int f = 0; f < ds.forms; ++f)
            usable &= ds.state[f] == Event::interior;
        if (!usable)
            continue;
        analysis.candidates |= 1u << dd;
        if (!top_found)
            analysis.top_degree = dd;
    }
    for (int w = 0; w < 4; ++w)
        if (recs[w].largest >= 0)
            keep_run(analysis.runs[w], recs[w]);
    int used = analysis.top_degree + 1;
    if (analysis.law.count > 0 && analysis.widening <= exact_tolerance) {
        set_verdict(analysis, SharpStatus::determinate, used,
                    "The moments determine the distribution: " +
                        count_text(analysis.law.count, "atom.", "atoms."));
        return analysis;
    }
    // Degree 0 is always usable, so a top degree exists.
    std::string text = "Sharp bounds from " + count_text(used, "moment", "moments");
    if (used < count)
        text += " of " + std::to_string(count);
    set_verdict(analysis, SharpStatus::sharp, used, text + ".");
    return analysis;
}
