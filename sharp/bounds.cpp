// SPDX-License-Identifier: Apache-2.0
// The bounds at one position from an analysis.  For each usable degree, the
// canonical representation through x is the Gauss-Radau rule of the Hankel
// form with the smallest Christoffel mass at x; its nodes give the dual
// polynomials (sharp/certificate.h) whose values, widened by the tolerance of
// the moments, are the bounds.  The full degree is tried first; the shorter
// degrees only where its widening is not negligible.

#include "sharp/certificate.h"
#include "sharp/double_double.h"
#include "sharp/jacobi.h"
#include "sharp/recurrence.h"
#include "sharp/sharp.h"
#include "sharp/standardise.h"
#include "sharp/tolerances.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace sharp_detail;

namespace {

// Stand-in for a zero Sturm pivot (see jacobi.cpp).
constexpr double tiny = std::numeric_limits<double>::min();
// Padding of the Gershgorin interval that brackets the outermost Radau nodes,
// on each side separately: one standardised unit plus a relative part, so
// that the outer brackets strictly contain their node after rounding.
constexpr double outer_padding_absolute = 1.0;
constexpr double outer_padding_relative = 1e-8;
// A Radau node beyond this many times the spread of the zeros (or of x) is
// an outlier whose dual polynomial may be tried without it.
constexpr double outlier_ratio = 4.0;

double clamp01(double value) {
    return std::min(1.0, std::max(0.0, value));
}

struct Position {
    double x = 0.0;       // standardised
    double x_error = 0.0; // its rounding
    double lower = 0.0;   // a'
    double upper = 0.0;   // b'
};

// A form of a usable degree, read from its weight's run.
struct FormView {
    SharpWeight weight = SharpWeight::one;
    int size = 0;
    const WeightRun* run = nullptr;
};

double christoffel_mass(const FormView& form, const Position& pos, double t) {
    double sum = christoffel_sum(form.run->alpha.data(), form.run->root_beta.data(), form.size, t);
    return 1.0 / (weight_at(form.weight, pos.lower, pos.upper, t) * sum);
}

struct Interval {
    double lower = 0.0;
    double upper = 1.0;
    double widening = 0.0; // how much the tolerance and rounding widened it
    double mass = 0.0;     // the largest mass at x (Christoffel)
    // The values of the dual polynomials through the representation's nodes:
    // the exact bounds of the given moments, to rounding.
    double exact_lower = 0.0;
    double exact_upper = 1.0;
    SharpWeight weight = SharpWeight::one;
};

// Beyond this distance from 0 a Radau node is an outlier (without_outliers).
double outlier_reach(double span, double x) {
    return outlier_ratio * (1.0 + std::max(span, std::fabs(x)));
}

// The Radau nodes of the representation through x' (other than x' itself);
// nodes beyond `far` count as at infinity and are left out.  With memory (a
// sweep) the searches start from the nodes of the positions before, unless
// those or the nodes found lie beyond `reach` (outliers, whose bounds can
// move with the nodes at first order: searched from the middle, as alone);
// `started` says whether the nodes came from such started searches.
int representation_nodes(const FormView& form, const Position& pos, double far, double reach,
                         CertNode* out, NodeMemory* memory, bool& started) {
    started = false;
    const int m = form.size;
    const double* alpha = form.run->alpha.data();
    const double* beta = form.run->beta.data();
    const double* zeros = form.run->zeros[m].data();
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
    int count = 0;
    if (!(std::fabs(ratio) <= big_node)) {
        // x' is a zero of P_m to 1e-100: the far node sits at infinity with
        // no mass, and the other nodes are the remaining zeros of P_m.
        if (q < 0.0)
            --s;
        for (int k = 0; k < m; ++k)
            if (k != s)
                out[count++] = {zeros[k], true};
        return count;
    }
    double alpha_tilde = pos.x + ratio;
    // Gershgorin's interval of the extended matrix: its first m rows come
    // from the analysis.
    const double last = form.run->root_beta_last[m];
    double outer_lo = std::min(form.run->rows_lo[m], alpha_tilde - last);
    double outer_hi = std::max(form.run->rows_hi[m], alpha_tilde + last);
    outer_lo -= outer_padding_absolute + outer_padding_relative * std::fabs(outer_lo);
    outer_hi += outer_padding_absolute + outer_padding_relative * std::fabs(outer_hi);
    // Node k lies between the zeros k-1 and k of P_m (interlacing).
    double lo[max_matrix];
    double hi[max_matrix];
    int searched = 0;
    for (int k = 0; k <= m; ++k) {
        if (k == s)
            continue;
        lo[searched] = k == 0 ? std::min(outer_lo, zeros[0]) : zeros[k - 1];
        hi[searched] = k == m ? std::max(outer_hi, zeros[m - 1]) : zeros[k];
        ++searched;
    }
    double found[max_matrix];
    if (memory == nullptr) {
        radau_nodes(alpha, beta, m, alpha_tilde, lo, hi, nullptr, searched, found);
    } else {
        // A sweep: each search starts where the nodes of the same bracket at
        // the last positions extrapolate to.
        FormHistory& history = memory->form[weight_index(form.weight)][m];
        history.prepare(pos.x);
        double start[max_matrix];
        started = true;
        for (int k = 0, i = 0; k <= m; ++k)
            if (k != s) {
                start[i] = history.predict(k);
                started = started && !(std::fabs(start[i]) > reach);
                ++i;
            }
        if (started)
            radau_nodes(alpha, beta, m, alpha_tilde, lo, hi, start, searched, found);
        for (int i = 0; started && i < searched; ++i)
            started = !(std::fabs(found[i]) > reach);
        if (!started)
            radau_nodes(alpha, beta, m, alpha_tilde, lo, hi, nullptr, searched, found);
        history.record(pos.x, found, s, m);
    }
    for (int i = 0; i < searched; ++i)
        if (std::fabs(found[i]) <= far)
            out[count++] = {found[i], true};
    return count;
}

// The end points that belong to a form's representation.
int end_nodes(SharpWeight weight, const Position& pos, CertNode* out) {
    int count = 0;
    if (weight == SharpWeight::above_lower || weight == SharpWeight::between)
        out[count++] = {pos.lower, false};
    if (weight == SharpWeight::below_upper || weight == SharpWeight::between)
        out[count++] = {pos.upper, false};
    return count;
}

Interval from_certificates(const Certificate& up, const Certificate& down) {
    Interval result;
    if (up.ok) {
        result.upper = up.value + up.widening;
        result.exact_upper = up.value;
    }
    if (down.ok) {
        result.lower = down.value - down.widening;
        result.exact_lower = down.value;
    }
    result.widening = std::max(up.ok ? up.widening : 1.0, down.ok ? down.widening : 1.0);
    if (std::isnan(result.lower) || std::isnan(result.upper))
        return Interval{0.0, 1.0, 1.0};
    return result;
}

// A Radau node far outside the others carries almost no mass, but the
// rounding of the polynomial's coefficients, magnified by its powers there,
// can dominate the widening.  Without it the polynomial has two degrees
// fewer and is still a valid dual polynomial (any nodes are); keep whichever
// bound is better on each side.
// Returns whether any node was left out.
bool without_outliers(const SharpAnalysis& a, const Position& pos, const CertNode* nodes, int n,
                      double span, Interval& result) {
    double reach = outlier_reach(span, pos.x);
    CertNode kept[max_atoms + 2];
    int count = 0;
    for (int i = 0; i < n; ++i)
        if (!nodes[i].touch || std::fabs(nodes[i].t) <= reach)
            kept[count++] = nodes[i];
    if (count == n)
        return false;
    Certificate up;
    Certificate down;
    hermite_certificates(a.units, a.support, pos.x, pos.x_error, kept, count, up, down);
    Interval other = from_certificates(up, down);
    result.lower = std::max(result.lower, other.lower);
    result.upper = std::min(result.upper, other.upper);
    result.widening = std::max(
        std::max(result.upper - result.exact_upper, result.exact_lower - result.lower), 0.0);
    return true;
}

// Far beyond every zero of the forms (whole line and half-line): the Gauss
// bound P(X beyond x) <= E[w P_m^2] / (w(x) P_m(x)^2), in closed form.
Interval far_bounds(const SharpAnalysis& a, const FormView* forms, int count, const Position& pos,
                    bool right) {
    double best = 1.0; // bound on the mass beyond x
    double widening = 0.0;
    for (int f = 0; f < count; ++f) {
        const FormView& form = forms[f];
        double w[3] = {1.0, 0.0, 0.0};
        int w_degree = 0;
        if (form.weight == SharpWeight::above_lower) {
            w[0] = -pos.lower;
            w[1] = 1.0;
            w_degree = 1;
        } else if (form.weight != SharpWeight::one) {
            continue;
        }
        double scale = 0.0;
        Certificate g = gauss_certificate(a.units, w, w_degree, form.run->zeros[form.size].data(),
                                          form.size, pos.x, scale);
        if (!g.ok || !(scale > 0.0))
            continue;
        double beyond = (g.value + g.widening) / scale;
        if (beyond < best) {
            best = beyond;
            widening = g.widening / scale;
        }
    }
    best = std::max(best, 0.0);
    Interval result = right ? Interval{1.0 - best, 1.0, widening} : Interval{0.0, best, widening};
    result.exact_lower = right ? result.lower + widening : 0.0;
    result.exact_upper = right ? 1.0 : result.upper - widening;
    return result;
}

// The bounds of one usable degree.
Interval degree_bounds(const SharpAnalysis& a, int dd, const Position& pos, NodeMemory* memory) {
    FormSpec specs[2];
    int count = forms_of_degree(a.support, dd, specs);
    FormView forms[2];
    for (int f = 0; f < count; ++f)
        forms[f] = {specs[f].weight, specs[f].size, &a.runs[weight_index(specs[f].weight)]};
    // The Christoffel rule: the form with the smallest mass at x' gives the
    // canonical representation through x'.  A form vanishing at x' puts no
    // mass there and is skipped.
    int chosen = -1;
    double p = std::numeric_limits<double>::infinity();
    for (int f = 0; f < count; ++f) {
        double w = weight_at(forms[f].weight, pos.lower, pos.upper, pos.x);
        if (!(w > 0.0))
            continue;
        double mass = christoffel_mass(forms[f], pos, pos.x);
        if (chosen < 0 || mass < p) {
            chosen = f;
            p = mass;
        }
    }
    if (chosen < 0)
        return Interval{0.0, 1.0, 1.0};
    const FormView& form = forms[chosen];
    const int m = form.size;
    double span = 0.0;
    Interval result;
    bool far_away = false;
    if (m >= 1) {
        const double* zeros = form.run->zeros[m].data();
        span = std::max(std::fabs(zeros[0]), std::fabs(zeros[m - 1]));
        double far = far_ratio * (1.0 + span);
        bool right = !has_upper_end(a.support) && pos.x > zeros[m - 1] + far;
        bool left = !has_lower_end(a.support) && pos.x < zeros[0] - far;
        if (right || left) {
            result = far_bounds(a, forms, count, pos, right);
            far_away = true;
        }
    }
    if (!far_away) {
        CertNode nodes[max_atoms + 2];
        int n = 0;
        bool started = false;
        if (m >= 1)
            n = representation_nodes(form, pos, far_ratio * (1.0 + span + std::fabs(pos.x)),
                                     outlier_reach(span, pos.x), nodes, memory, started);
        n += end_nodes(form.weight, pos, nodes + n);
        Certificate up;
        Certificate down;
        hermite_certificates(a.units, a.support, pos.x, pos.x_error, nodes, n, up, down);
        result = from_certificates(up, down);
        bool partial = false;
        if (result.widening > skip_widening)
            partial = without_outliers(a, pos, nodes, n, span, result);
        if (partial && started) {
            // A bound from a polynomial through only part of the
            // representation (the outlying nodes left out) moves with the
            // nodes at first order, not at second as the full one does: the
            // nodes of a sweep's started searches, a few units from those of
            // the searches from the middle, could move it by more than the
            // rounding.  Such a degree is answered as the position alone
            // answers it.
            return degree_bounds(a, dd, pos, nullptr);
        }
    }
    result.mass = p;
    result.weight = form.weight;
    return result;
}

// The determinate distribution at x': its F(x-) and F(x), and the bounds its
// dual polynomials prove for every list within the tolerance (at x', and at
// the nearest atoms on either side, which bound from the safe side).  An atom
// within tol_position of x' counts as at x' (any nodes give valid dual
// polynomials, so this is a choice of tightness, not of validity).
Interval law_bounds(const SharpAnalysis& a, const Position& pos, double& below, double& at) {
    const Discrete& law = a.law;
    CertNode nodes[max_atoms];
    below = 0.0;
    at = 0.0;
    double next_above = std::numeric_limits<double>::infinity();
    double next_below = -std::numeric_limits<double>::infinity();
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -lowest;
    double snap = tol_position * (1.0 + std::fabs(pos.x));
    int interior = 0;
    double roots[max_atoms];
    double weight[3] = {1.0, 0.0, 0.0};
    int weight_degree = 0;
    for (int i = 0; i < law.count; ++i) {
        double t = law.point[i];
        lowest = std::min(lowest, t);
        highest = std::max(highest, t);
        if (law.at_end[i]) {
            if (t == pos.lower && weight_degree == 0) {
                weight[0] = -t;
                weight[1] = 1.0;
                weight_degree = 1;
            }
        } else {
            roots[interior++] = t;
        }
        if (std::fabs(t - pos.x) <= snap) {
            at += law.mass[i];
            t = pos.x;
        } else if (t < pos.x) {
            below += law.mass[i];
            next_below = std::max(next_below, t);
        } else {
            next_above = std::min(next_above, t);
        }
        nodes[i] = {t, !law.at_end[i]};
    }
    at += below;
    double span = std::max(std::fabs(lowest), std::fabs(highest));
    double far = far_ratio * (1.0 + span);
    if ((!has_upper_end(a.support) && pos.x > highest + far) ||
        (!has_lower_end(a.support) && pos.x < lowest - far)) {
        double scale = 0.0;
        Certificate g =
            gauss_certificate(a.units, weight, weight_degree, roots, interior, pos.x, scale);
        double beyond = g.ok && scale > 0.0 ? (g.value + g.widening) / scale : 1.0;
        beyond = std::max(beyond, 0.0);
        Interval result = pos.x > highest ? Interval{1.0 - beyond, 1.0} : Interval{0.0, beyond};
        result.exact_lower = below;
        result.exact_upper = at;
        result.widening = std::max(result.upper - at, below - result.lower);
        return result;
    }
    Certificate up;
    Certificate down;
    hermite_certificates(a.units, a.support, pos.x, pos.x_error, nodes, law.count, up, down);
    Interval result = from_certificates(up, down);
    if (std::isfinite(next_above)) {
        Certificate alt =
            hermite_certificate(a.units, a.support, next_above, 0.0, nodes, law.count, true);
        if (alt.ok)
            result.upper = std::min(result.upper, alt.value + alt.widening);
    }
    if (std::isfinite(next_below)) {
        Certificate alt =
            hermite_certificate(a.units, a.support, next_below, 0.0, nodes, law.count, false);
        if (alt.ok)
            result.lower = std::max(result.lower, alt.value - alt.widening);
    }
    result.exact_lower = below;
    result.exact_upper = at;
    result.widening = std::max(result.upper - at, below - result.lower);
    return result;
}

bool answered(SharpStatus status) {
    return status == SharpStatus::sharp || status == SharpStatus::determinate;
}

// 1 - value, rounded down (below) or up (above): the complement of a bound
// stays a bound.
double one_minus(double value, bool above) {
    DoubleDouble d = two_sum(1.0, -value);
    if (above && d.lo > 0.0)
        return std::nextafter(d.hi, 2.0);
    if (!above && d.lo < 0.0)
        return std::nextafter(d.hi, -1.0);
    return d.hi;
}

// The bounds of X at x from those of -X at -x: P(X < x) = 1 - P(-X <= -x)
// and P(X <= x) = 1 - P(-X < -x).
SharpBounds reflected(const SharpBounds& b) {
    SharpBounds result = b;
    result.lower_bound = clamp01(one_minus(b.upper_bound, false));
    result.upper_bound = clamp01(one_minus(b.lower_bound, true));
    if (b.weight == SharpWeight::above_lower)
        result.weight = SharpWeight::below_upper;
    else if (b.weight == SharpWeight::below_upper)
        result.weight = SharpWeight::above_lower;
    return result;
}

// The bounds at one position; with memory, the node searches start where
// the last position's nodes were (SharpSweep).  An analysis that left a far
// limit out answers from its weaker analyses, position by position.
SharpBounds bounds_at(const SharpAnalysis& analysis, double position, NodeMemory* memory) {
    SharpBounds result;
    result.status = analysis.status;
    if (analysis.status == SharpStatus::invalid || analysis.status == SharpStatus::infeasible)
        return result;
    if (!std::isfinite(position)) {
        result.status = SharpStatus::invalid;
        return result;
    }
    if (has_lower_end(analysis.support) && position < analysis.lower) {
        result.lower_bound = 0.0;
        result.upper_bound = 0.0;
        return result;
    }
    if (has_upper_end(analysis.support) && position > analysis.upper) {
        result.lower_bound = 1.0;
        result.upper_bound = 1.0;
        return result;
    }
    if (analysis.weaker) {
        // A far limit was left out: the weaker support answers inside, a
        // half-line's bounds met with the whole line's (both hold).
        SharpBounds bounds = analysis.mirrored
                                 ? reflected(sharp_bounds_at(*analysis.weaker, -position))
                                 : sharp_bounds_at(*analysis.weaker, position);
        if (analysis.whole_line && answered(bounds.status)) {
            SharpBounds line = sharp_bounds_at(*analysis.whole_line, position);
            if (answered(line.status)) {
                bounds.lower_bound = std::max(bounds.lower_bound, line.lower_bound);
                bounds.upper_bound = std::min(bounds.upper_bound, line.upper_bound);
                if (bounds.lower_bound > bounds.upper_bound)
                    std::swap(bounds.lower_bound, bounds.upper_bound);
            }
        }
        return bounds;
    }
    Position pos;
    const Units& u = analysis.units;
    pos.x = standardised_position(u, position, &pos.x_error);
    pos.lower = u.lower;
    pos.upper = u.upper;
    if (has_lower_end(analysis.support) && position == analysis.lower) {
        pos.x = u.lower;
        pos.x_error = 0.0;
    }
    if (has_upper_end(analysis.support) && position == analysis.upper) {
        pos.x = u.upper;
        pos.x_error = 0.0;
    }

    double lower_bound = 0.0;
    double upper_bound = 1.0;
    double widening = std::numeric_limits<double>::infinity();
    double exact_lower = 0.0;
    double exact_upper = 1.0;
    int dd = analysis.top_degree;
    if (analysis.law.count > 0) {
        // The distribution within the tolerance, with the dual polynomials
        // through its atoms.
        double below = 0.0;
        double at = 0.0;
        Interval law = law_bounds(analysis, pos, below, at);
        lower_bound = law.lower;
        upper_bound = law.upper;
        widening = law.widening;
        exact_lower = law.exact_lower;
        exact_upper = law.exact_upper;
        --dd;
    }
    // The usable degrees from the top down; below the top only where its
    // widening leaves room for fewer moments to do better.
    // Fewer moments never have tighter exact bounds, so once a degree's exact
    // value on one side is no better than the bound found, no shorter degree
    // can improve that side.  Degrees with the same forms as the one before
    // (the whole line: 2k and 2k + 1) give the same bounds and are skipped.
    bool lower_done = false;
    bool upper_done = false;
    FormSpec previous[2];
    int previous_count = 0;
    for (; dd >= 0 && widening > skip_widening && !(lower_done && upper_done); --dd) {
        if (!(analysis.candidates & (1u << dd)))
            continue;
        FormSpec specs[2];
        int count = forms_of_degree(analysis.support, dd, specs);
        bool same = count == previous_count;
        for (int f = 0; same && f < count; ++f)
            same = specs[f].weight == previous[f].weight && specs[f].size == previous[f].size;
        if (same)
            continue;
        previous_count = count;
        for (int f = 0; f < count; ++f)
            previous[f] = specs[f];
        Interval b = degree_bounds(analysis, dd, pos, memory);
        if (dd != analysis.top_degree) {
            lower_done = lower_done || b.exact_lower <= lower_bound;
            upper_done = upper_done || b.exact_upper >= upper_bound;
        }
        lower_bound = std::max(lower_bound, b.lower);
        upper_bound = std::min(upper_bound, b.upper);
        if (dd == analysis.top_degree) {
            widening = b.widening;
            exact_lower = b.exact_lower;
            exact_upper = b.exact_upper;
            result.mass_at_position = b.mass;
            result.weight = b.weight;
        }
    }
    lower_bound = clamp01(lower_bound);
    upper_bound = clamp01(upper_bound);
    if (analysis.status == SharpStatus::determinate) {
        // Exact here when every list within the tolerance keeps the bounds
        // within exact_tolerance of the distribution's own F(x-) and F(x);
        // not next to an atom, where the tolerance lets mass cross x.
        bool exact = lower_bound >= exact_lower - exact_tolerance &&
                     upper_bound <= exact_upper + exact_tolerance;
        result.status = exact ? SharpStatus::determinate : SharpStatus::sharp;
    }
    if (lower_bound > upper_bound) {
        // Valid bounds cannot cross; if rounding crossed them, the wider
        // reading of the two is the safe one.
        std::swap(lower_bound, upper_bound);
    }
    result.lower_bound = lower_bound;
    result.upper_bound = upper_bound;
    // How far the tolerance and the rounding moved the bounds from the exact
    // ones of the given numbers (as the dual polynomials of the top degree
    // value them).
    result.widening = std::max(std::max(upper_bound - exact_upper, exact_lower - lower_bound), 0.0);
    return result;
}

} // namespace

void sharp_detail::FormHistory::prepare(double at) {
    // The weights of Lagrange's form through the recorded positions (a
    // position recorded twice counts once), the most recent first.
    points = 0;
    for (int back = 0; back < known; ++back) {
        int slot = (latest - back + depth) % depth;
        bool repeated = false;
        for (int i = 0; i < points; ++i)
            repeated = repeated || x[used[i]] == x[slot];
        if (!repeated)
            used[points++] = slot;
    }
    for (int i = 0; i < points; ++i) {
        double basis = 1.0;
        for (int j = 0; j < points; ++j)
            if (j != i)
                basis *= (at - x[used[j]]) / (x[used[i]] - x[used[j]]);
        weight[i] = basis;
    }
}

double sharp_detail::FormHistory::predict(int k) const {
    double value = 0.0;
    for (int i = 0; i < points; ++i)
        value += weight[i] * node[used[i]][k];
    // A bracket without a node at one of those positions (x was in it):
    // the most recent node there, if any.
    if (std::isfinite(value) || points == 0)
        return points == 0 ? std::numeric_limits<double>::quiet_NaN() : value;
    for (int back = 0; back < known; ++back) {
        double y = node[(latest - back + depth) % depth][k];
        if (std::isfinite(y))
            return y;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

void sharp_detail::FormHistory::record(double at, const double* nodes, int skipped, int size) {
    latest = (latest + 1) % depth;
    known = std::min(known + 1, depth);
    x[latest] = at;
    for (int k = 0, i = 0; k <= size; ++k)
        node[latest][k] = k == skipped ? std::numeric_limits<double>::quiet_NaN() : nodes[i++];
}

SharpBounds sharp_bounds_at(const SharpAnalysis& analysis, double position) {
    return bounds_at(analysis, position, nullptr);
}

SharpBounds SharpSweep::at(double position) {
    // The node searches start where the same form's nodes at the last
    // positions extrapolate to; a node so found is kept only where the pivot
    // on either side of it shows the node a search from the middle finds
    // (radau_nodes), else it is searched again from the middle; outlying
    // nodes are searched from the middle (representation_nodes), and a
    // degree whose bound leaves its outliers out is answered as alone
    // (degree_bounds).
    return bounds_at(*analysis_, position, &memory_);
}
