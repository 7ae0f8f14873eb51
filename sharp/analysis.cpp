// The analysis of one moment list: input checks, the single-atom case, and
// the verdict over the degrees, from the full list down.  The parts live in
// standardise.cpp (units), recurrence.cpp (Hankel forms and their pivots) and
// determinate.cpp (the distribution of a singular form).

#include "sharp/determinate.h"
#include "sharp/double_double.h"
#include "sharp/jacobi.h"
#include "sharp/recurrence.h"
#include "sharp/sharp.h"
#include "sharp/standardise.h"
#include "sharp/tolerances.h"

#include <algorithm>
#include <cmath>
#include <string>

using namespace sharp_detail;

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
std::string invalid_reason(int type, double lower, double upper, const double* moments, int count) {
    if (type < 0 || type > 2)
        return "Unknown support type.";
    if (count < 1 || moments == nullptr)
        return "No moments were given.";
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(moments[i]))
            return "Every moment must be a finite number.";
    if (moments[0] != 1.0)
        return "The first moment must be exactly 1.";
    if (type >= 1 && !std::isfinite(lower))
        return "The lower limit must be a finite number.";
    if (type == 2 && !(std::isfinite(upper) && lower < upper))
        return "The upper limit must be a finite number above the lower limit.";
    return {};
}

// Zero variance within rounding: the only candidate is one atom at the mean.
void analyse_one_atom(SharpAnalysis& analysis, const double* c, int n, double noise) {
    double mean = c[1];
    double tolerance = tol_single_atom * std::fabs(mean) + std::sqrt(noise);
    bool inside = (analysis.type == 0 || mean >= analysis.lower - tolerance) &&
                  (analysis.type != 2 || mean <= analysis.upper + tolerance);
    if (!inside) {
        set_verdict(analysis, SharpStatus::infeasible, n,
                    "The variance is zero and the mean lies outside the support.");
        return;
    }
    double power = 1.0;
    for (int j = 1; j < n; ++j) {
        power *= mean;
        if (!(std::fabs(c[j] - power) <=
              tol_verify * std::max(std::fabs(c[j]), std::fabs(power)))) {
            set_verdict(analysis, SharpStatus::infeasible, j + 1,
                        "The variance is zero, but moment " + std::to_string(j) +
                            " contradicts the single atom at the mean.");
            return;
        }
    }
    analysis.centre = mean;
    analysis.scale = 1.0;
    Discrete& dist = analysis.determinate;
    dist = Discrete{};
    dist.count = 1;
    dist.point[0] = 0.0;
    dist.mass[0] = 1.0;
    dist.near[0] = tolerance;
    analysis.atoms = {SharpAtom{mean, 1.0}};
    set_verdict(analysis, SharpStatus::determinate, n,
                "The moments determine the distribution: one atom.");
}

double original_point(const SharpAnalysis& analysis, const Discrete& dist, int i) {
    if (dist.at_lower[i])
        return analysis.lower;
    if (dist.at_upper[i])
        return analysis.upper;
    return analysis.centre + analysis.scale * dist.point[i];
}

void copy_form(Form& form, const Recurrence& rec, int size) {
    form.weight = rec.weight;
    form.size = size;
    for (int k = 0; k < size; ++k)
        form.alpha[k] = rec.alpha[k];
    for (int k = 0; k <= size; ++k) {
        form.beta[k] = rec.beta[k];
        form.root_beta[k] = rec.root_beta[k];
    }
    eigenvalues(form.alpha.data(), form.beta.data(), size, form.zeros.data());
}

// Centre and scale of the standardisation; false when the list ended the
// analysis already (negative or zero variance).
bool choose_units(SharpAnalysis& analysis, const double* c, int n) {
    double centre = 0.0;
    double scale = 1.0;
    if (n >= 3) {
        // The variance in double-double: c2 - c1^2 cancels for a small spread.
        DoubleDouble square = two_prod(c[1], c[1]);
        DoubleDouble variance_dd = add({c[2], 0.0}, {-square.hi, -square.lo});
        double variance = to_double(variance_dd);
        double noise = noise_factor * eps * (std::fabs(c[2]) + square.hi);
        if (!std::isfinite(square.hi) || !std::isfinite(variance) || variance < -noise) {
            set_verdict(analysis, SharpStatus::infeasible, 3,
                        "The variance is negative: no distribution has these moments.");
            return false;
        }
        if (variance <= noise) {
            analyse_one_atom(analysis, c, n, noise);
            return false;
        }
        centre = c[1];
        scale = std::sqrt(variance);
    } else if (n == 2) {
        int type = analysis.type;
        centre = c[1];
        scale = type == 2   ? analysis.upper - analysis.lower
                : type == 1 ? std::fabs(c[1] - analysis.lower)
                            : 1.0;
        if (!(scale > 0.0) || !std::isfinite(scale))
            scale = 1.0;
    }
    analysis.centre = centre;
    analysis.scale = scale;
    return true;
}

// The states of the forms of one degree (a form whose recurrence met its
// event beyond the form's size is interior).
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

DegreeState degree_state(int type, int dd, const Recurrence* runs) {
    DegreeState ds;
    ds.forms = forms_of_degree(type, dd, ds.specs);
    for (int f = 0; f < ds.forms; ++f) {
        const Recurrence& rec = runs[weight_index(ds.specs[f].weight)];
        ds.state[f] = rec.event_order <= ds.specs[f].size ? rec.event : Event::interior;
    }
    return ds;
}

// The least uncertain distribution of the boundary forms that passes its
// check; false when none does.
bool best_determinate(const DegreeState& ds, const Recurrence* runs, int type, int dd,
                      const Standardised& s, Discrete& best) {
    bool found = false;
    for (int f = 0; f < ds.forms; ++f) {
        if (ds.state[f] != Event::boundary)
            continue;
        const Recurrence& rec = runs[weight_index(ds.specs[f].weight)];
        Discrete dist = determinate_distribution(rec, rec.event_order, s);
        if (verify(dist, type, dd, s) && (!found || dist.widening < best.widening)) {
            best = dist;
            found = true;
        }
    }
    return found;
}

void set_determinate(SharpAnalysis& analysis, Discrete dist, int used) {
    finish_distribution(dist);
    analysis.determinate = dist;
    analysis.widening = dist.widening;
    for (int i = 0; i < dist.count; ++i)
        analysis.atoms.push_back({original_point(analysis, dist, i), dist.mass[i]});
    std::sort(analysis.atoms.begin(), analysis.atoms.end(),
              [](const SharpAtom& x, const SharpAtom& y) { return x.point < y.point; });
    set_verdict(analysis, SharpStatus::determinate, used,
                "The moments determine the distribution: " +
                    count_text(dist.count, "atom.", "atoms."));
}

void set_infeasible_form(SharpAnalysis& analysis, const DegreeState& ds, const Recurrence* runs,
                         int dd) {
    for (int f = 0; f < ds.forms; ++f) {
        if (ds.state[f] != Event::negative)
            continue;
        const Recurrence& rec = runs[weight_index(ds.specs[f].weight)];
        set_verdict(analysis, SharpStatus::infeasible, dd + 1,
                    std::string("Hankel form of weight ") + weight_name(rec.weight) +
                        " negative at order " + std::to_string(rec.event_order) +
                        ": no distribution on the support has these moments.");
        return;
    }
}

// The distribution of a form that is zero within rounding but not pinned
// (state loose), when it passes its check: the bounds from fewer moments are
// widened to it.
bool loose_partner(const DegreeState& ds, const Recurrence* runs, int type, int dd,
                   const Standardised& s, Discrete& partner) {
    for (int f = 0; f < ds.forms; ++f) {
        if (ds.state[f] != Event::loose)
            continue;
        const Recurrence& rec = runs[weight_index(ds.specs[f].weight)];
        Discrete dist = determinate_distribution(rec, rec.event_order, s);
        if (verify(dist, type, dd, s)) {
            finish_distribution(dist);
            partner = dist;
            return true;
        }
    }
    return false;
}

void set_sharp(SharpAnalysis& analysis, const DegreeState& ds, const Recurrence* runs, int dd) {
    analysis.form_count = ds.forms;
    for (int f = 0; f < ds.forms; ++f)
        copy_form(analysis.forms[f], runs[weight_index(ds.specs[f].weight)], ds.specs[f].size);
    std::string text = "Sharp bounds from " + count_text(dd + 1, "moment", "moments");
    if (dd + 1 < analysis.moments_given)
        text += " of " + std::to_string(analysis.moments_given);
    set_verdict(analysis, SharpStatus::sharp, dd + 1, text + ".");
}

} // namespace

SharpAnalysis analyse_moments(int type, double lower, double upper, const double* moments,
                              int count) {
    SharpAnalysis analysis;
    analysis.type = type;
    analysis.lower = lower;
    analysis.upper = upper;
    analysis.moments_given = count;
    std::string reason = invalid_reason(type, lower, upper, moments, count);
    if (!reason.empty()) {
        set_verdict(analysis, SharpStatus::invalid, 0, reason);
        return analysis;
    }
    const double* c = moments;
    int n = std::min(count, sharp_max_moments);
    if (!choose_units(analysis, c, n))
        return analysis;

    Standardised s;
    standardise(c, n, analysis.centre, analysis.scale, s);
    if (type >= 1)
        s.lower = (lower - analysis.centre) / analysis.scale;
    if (type == 2)
        s.upper = (upper - analysis.centre) / analysis.scale;
    analysis.lower_std = s.lower;
    analysis.upper_std = s.upper;

    // The recurrences that some degree needs, each up to the largest size needed.
    int d = n - 1;
    Recurrence runs[4];
    FormSpec specs[2];
    for (int dd = 0; dd <= d; ++dd) {
        int forms = forms_of_degree(type, dd, specs);
        for (int f = 0; f < forms; ++f) {
            Recurrence& rec = runs[weight_index(specs[f].weight)];
            rec.largest = std::max(rec.largest, specs[f].size);
        }
    }
    for (int w = 0; w < 4; ++w)
        if (runs[w].largest >= 0)
            run_recurrence(runs[w], static_cast<SharpWeight>(w), s);

    // From the full degree down: the first degree whose forms are all trusted
    // gives the sharp bounds; a boundary form gives the determinate answer.
    for (int dd = d; dd >= 0; --dd) {
        DegreeState ds = degree_state(type, dd, runs);
        if (ds.any(Event::negative)) {
            set_infeasible_form(analysis, ds, runs, dd);
            return analysis;
        }
        bool unsure = ds.any(Event::loose) || ds.any(Event::unresolved);
        if (ds.any(Event::boundary)) {
            Discrete best;
            if (best_determinate(ds, runs, type, dd, s, best)) {
                set_determinate(analysis, best, dd + 1);
                return analysis;
            }
            if (!unsure) {
                set_verdict(analysis, SharpStatus::infeasible, dd + 1,
                            "The moments lie on the boundary of the moment space, but moment "
                            "values contradict the distribution they determine.");
                return analysis;
            }
        }
        // Zero within rounding but not pinned: the distribution it would
        // determine joins the answer from fewer moments (hull).
        if (ds.any(Event::loose) && !analysis.has_hull_partner)
            analysis.has_hull_partner = loose_partner(ds, runs, type, dd, s, analysis.hull_partner);
        if (unsure || ds.any(Event::boundary))
            continue;
        set_sharp(analysis, ds, runs, dd);
        return analysis;
    }
    // Degree 0 is always interior, so the loop has returned.
    set_verdict(analysis, SharpStatus::invalid, 0, "The moments could not be analysed.");
    return analysis;
}
