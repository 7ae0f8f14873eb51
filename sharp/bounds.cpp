// The bounds at one position from an analysis: the canonical representation
// through x as a Gauss-Radau rule of the Hankel form with the smallest
// Christoffel mass at x.

#include "sharp/jacobi.h"
#include "sharp/sharp.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace sharp_detail;

namespace {

// A Radau coefficient beyond this is a node at infinity (its mass <= 1e-200).
constexpr double big_node = 1e100;
// Stand-in for a zero Sturm pivot (see jacobi.cpp).
constexpr double tiny = std::numeric_limits<double>::min();
// Padding of the Gershgorin interval that brackets the outermost Radau nodes:
// an absolute part of one standard deviation and a relative part, so that
// the outer brackets strictly contain their node after rounding.
constexpr double outer_padding_absolute = 1.0;
constexpr double outer_padding_relative = 1e-8;

double weight_at(SharpWeight weight, double lower, double upper, double t) {
    switch (weight) {
    case SharpWeight::one:
        return 1.0;
    case SharpWeight::above_lower:
        return t - lower;
    case SharpWeight::below_upper:
        return upper - t;
    case SharpWeight::between:
        return (t - lower) * (upper - t);
    }
    return 1.0;
}

double clamp01(double value) {
    return std::min(1.0, std::max(0.0, value));
}

// F(x-) - widening and F(x) + widening of a determinate distribution.
void discrete_bounds(const Discrete& dist, double x, double& lower_bound, double& upper_bound) {
    double below = 0.0;
    double at = 0.0;
    for (int i = 0; i < dist.count; ++i) {
        if (std::fabs(dist.point[i] - x) <= dist.near[i])
            at += dist.mass[i];
        else if (dist.point[i] < x)
            below += dist.mass[i];
    }
    lower_bound = clamp01(below - dist.widening);
    upper_bound = clamp01(below + at + dist.widening);
}

struct Position {
    double x = 0.0;     // standardised
    double lower = 0.0; // a'
    double upper = 0.0; // b'
};

double node_mass(const Form& form, const Position& pos, double t) {
    double sum = christoffel_sum(form.alpha.data(), form.root_beta.data(), form.size, t);
    return 1.0 / (weight_at(form.weight, pos.lower, pos.upper, t) * sum);
}

// The nodes of the representation other than x' and their masses, summed
// below x' (index < s), above it, and the first moment of all of them.
struct NodeSums {
    double below = 0.0;
    double above = 0.0;
    double first_moment = 0.0;
};

NodeSums radau_sums(const Form& form, const Position& pos, bool need_below, bool need_above) {
    const int m = form.size;
    const double* alpha = form.alpha.data();
    const double* beta = form.beta.data();
    const double* zeros = form.zeros.data();
    // Sturm pass of J_m - x'I: s zeros of P_m lie below x', and the last pivot
    // is q = -P_m(x')/P_(m-1)(x').  The Radau coefficient comes from this same
    // pivot, so x' is exactly the s-th eigenvalue of the extended matrix.
    int s = 0;
    double q = alpha[0] - pos.x;
    for (int i = 1; i < m; ++i) {
        if (q < 0.0)
            ++s;
        if (q == 0.0)
            q = tiny;
        q = (alpha[i] - pos.x) - beta[i] / q;
    }
    if (q < 0.0)
        ++s;
    double ratio = beta[m] / q;
    bool finite_node = std::fabs(ratio) <= big_node;

    NodeSums sums;
    auto take = [&](int k, double t) {
        double mass = node_mass(form, pos, t);
        if (!std::isfinite(mass))
            mass = 0.0;
        if (k < s)
            sums.below += mass;
        else
            sums.above += mass;
        sums.first_moment += mass * t;
    };
    if (!finite_node) {
        // x' is a zero of P_m to 1e-100: the far node sits at infinity with
        // no mass, and the other nodes are the remaining zeros of P_m.
        if (q < 0.0)
            --s;
        for (int k = 0; k < m; ++k) {
            if (k == s || (k < s && !need_below) || (k > s && !need_above))
                continue;
            take(k, zeros[k]);
        }
        return sums;
    }
    double alpha_tilde = pos.x + ratio;
    double outer_lo = 0.0;
    double outer_hi = 0.0;
    gershgorin(alpha, beta, m, alpha_tilde, outer_lo, outer_hi);
    double pad = outer_padding_absolute +
                 outer_padding_relative * std::max(std::fabs(outer_lo), std::fabs(outer_hi));
    outer_lo -= pad;
    outer_hi += pad;
    for (int k = 0; k <= m; ++k) {
        if (k == s || (k < s && !need_below) || (k > s && !need_above))
            continue;
        // Node k lies between the zeros k-1 and k of P_m (interlacing).
        double lo = k == 0 ? std::min(outer_lo, zeros[0]) : zeros[k - 1];
        double hi = k == m ? std::max(outer_hi, zeros[m - 1]) : zeros[k];
        take(k, radau_node(alpha, beta, m, alpha_tilde, lo, hi));
    }
    return sums;
}

void representation_bounds(const Form& form, const Position& pos, double p, double& lower_bound,
                           double& upper_bound) {
    bool closes_at_lower = form.weight == SharpWeight::above_lower;
    bool both_ends = form.weight == SharpWeight::between;
    NodeSums sums;
    if (form.size >= 1)
        sums = radau_sums(form, pos, !closes_at_lower, closes_at_lower || both_ends);
    if (closes_at_lower) {
        // The mass at a closes the total; only the nodes above x' are needed.
        lower_bound = 1.0 - p - sums.above;
        upper_bound = 1.0 - sums.above;
    } else if (both_ends) {
        double rest0 = 1.0 - p - (sums.below + sums.above);
        double rest1 = -(p * pos.x + sums.first_moment);
        double at_upper = (rest1 - pos.lower * rest0) / (pos.upper - pos.lower);
        double at_lower = rest0 - at_upper;
        lower_bound = at_lower + sums.below;
        upper_bound = lower_bound + p;
    } else {
        // Any mass at b or at infinity lies above x.
        lower_bound = sums.below;
        upper_bound = lower_bound + p;
    }
}

} // namespace

SharpBounds sharp_bounds_at(const SharpAnalysis& analysis, double position) {
    SharpBounds result;
    result.status = analysis.status;
    if (analysis.status == SharpStatus::invalid || analysis.status == SharpStatus::infeasible)
        return result;
    if (!std::isfinite(position)) {
        result.status = SharpStatus::invalid;
        return result;
    }
    if (analysis.type >= 1 && position < analysis.lower) {
        result.lower_bound = 0.0;
        result.upper_bound = 0.0;
        return result;
    }
    if (analysis.type == 2 && position > analysis.upper) {
        result.lower_bound = 1.0;
        result.upper_bound = 1.0;
        return result;
    }
    Position pos;
    pos.x = (position - analysis.centre) / analysis.scale;
    pos.lower = analysis.lower_std;
    pos.upper = analysis.upper_std;
    if (analysis.status == SharpStatus::determinate) {
        discrete_bounds(analysis.determinate, pos.x, result.lower_bound, result.upper_bound);
        return result;
    }

    // The Christoffel rule: the form with the smallest mass at x' gives the
    // canonical representation through x'.  A form vanishing at x' puts no
    // mass there and is skipped.
    int chosen = -1;
    double p = std::numeric_limits<double>::infinity();
    for (int f = 0; f < analysis.form_count; ++f) {
        const Form& form = analysis.forms[f];
        double w = weight_at(form.weight, pos.lower, pos.upper, pos.x);
        if (!(w > 0.0))
            continue;
        double sum = christoffel_sum(form.alpha.data(), form.root_beta.data(), form.size, pos.x);
        double mass = 1.0 / (w * sum);
        if (chosen < 0 || mass < p) {
            chosen = f;
            p = mass;
        }
    }
    double lower_bound = 0.0;
    double upper_bound = 1.0;
    if (chosen >= 0) {
        representation_bounds(analysis.forms[chosen], pos, p, lower_bound, upper_bound);
        result.mass_at_position = p;
        result.weight = analysis.forms[chosen].weight;
    }
    if (std::isnan(lower_bound) || std::isnan(upper_bound)) {
        // Only overflow far outside the data can get here; fall back to the
        // bounds that always hold.
        lower_bound = 0.0;
        upper_bound = 1.0;
    }
    lower_bound = clamp01(lower_bound);
    upper_bound = clamp01(upper_bound);
    if (analysis.has_hull_partner) {
        double det_lower = 0.0;
        double det_upper = 1.0;
        discrete_bounds(analysis.hull_partner, pos.x, det_lower, det_upper);
        lower_bound = std::min(lower_bound, det_lower);
        upper_bound = std::max(upper_bound, det_upper);
    }
    result.lower_bound = lower_bound;
    result.upper_bound = upper_bound;
    return result;
}
