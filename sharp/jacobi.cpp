// SPDX-License-Identifier: Apache-2.0
#include "sharp/jacobi.h"

#include "sharp/detail.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace sharp_detail {

namespace {

// Unit roundoff of double.
constexpr double eps = 0x1p-53;
// Stand-in for a zero Sturm pivot: the smallest normal positive number keeps
// the count and the next pivot finite.
constexpr double tiny = std::numeric_limits<double>::min();
// Relative padding of the Gershgorin interval, so that its ends are strict
// brackets even where an eigenvalue sits on them after rounding.
constexpr double gershgorin_padding = 1e-12;
// Bisection stops at this many units of roundoff of the bracket's magnitude
// (the eigenvalue is then known to the last bit or two) ...
constexpr double bisection_width = 2.0 * eps;
// ... or, for eigenvalues near zero, at this fraction of eps times the
// width of the whole spectrum (absolute accuracy far below the spread).
constexpr double bisection_floor = 1e-2 * eps;
// Upper limit on the Newton/bisection steps of a Radau node: Newton
// converges in about 5 steps, and 200 halvings narrow any bracket less than
// 2^140 times wider than its node's magnitude to the last bit.
constexpr int radau_max_steps = 200;
// A Newton step this small (relative, plus an absolute part for nodes at 0)
// has converged: it may round onto the bracket's end.
constexpr double newton_converged = 2.0 * eps;
constexpr double newton_converged_absolute = 1e-3 * eps;

// A search started from a given point (a sweep's last node) starts there only
// when the point lies this fraction of the bracket's width inside it ...
constexpr double warm_margin = 1e-3;
// ... and this many units of roundoff of the bracket's magnitude (far above
// the 2 units at which a Newton step counts as converged).
constexpr double warm_margin_ulps = 256.0;

// A node found from a given start is kept only where the last pivot, taken
// this many units of roundoff on either side of it (of its magnitude plus
// one: the matrices are in standardised units, spread about 1), changes sign
// the right way ...
constexpr double warm_check_ulps = 16.0;
// ... and falls there by what its slope says, to within this factor: where
// rounding dominates the pivot (far outlying nodes, whose brackets are wide
// and whose pivot is flat to rounding) Newton steps look converged anywhere,
// and the values on either side do not follow the slope.  Such a node is
// searched again from the middle of its bracket, as without a start.
constexpr double warm_check_factor = 2.0;

static_assert(max_matrix >= max_size + 1,
              "a Jacobi matrix of the largest form, or of a form singular one order "
              "beyond it, must fit the work arrays");

// Last pivot of J~ - tI and its derivative in t.  Every pivot falls with t,
// so the last one falls from +inf to -inf between two zeros of P_m.
void last_pivot(const double* alpha, const double* beta, int m, double alpha_tilde, double t,
                double& pivot, double& slope) {
    double q = (m > 0 ? alpha[0] : alpha_tilde) - t;
    double dq = -1.0;
    for (int i = 1; i <= m; ++i) {
        if (q == 0.0)
            q = tiny;
        double diagonal = i < m ? alpha[i] : alpha_tilde;
        // (q'/q)/q rather than q'/(q*q), which underflows.
        double ratio = dq / q;
        dq = -1.0 + beta[i] * (ratio / q);
        q = (diagonal - t) - beta[i] / q;
    }
    pivot = q;
    slope = dq;
}

} // namespace

int count_below(const double* alpha, const double* beta, int n, double t) {
    int count = 0;
    double q = alpha[0] - t;
    for (int i = 1; i < n; ++i) {
        if (q < 0.0)
            ++count;
        if (q == 0.0)
            q = tiny;
        q = (alpha[i] - t) - beta[i] / q;
    }
    if (q < 0.0)
        ++count;
    return count;
}

void gershgorin(const double* alpha, const double* beta, int m, double alpha_tilde, double& lo,
                double& hi) {
    lo = std::numeric_limits<double>::infinity();
    hi = -lo;
    for (int i = 0; i <= m; ++i) {
        double centre = i < m ? alpha[i] : alpha_tilde;
        double radius = 0.0;
        if (i >= 1)
            radius += std::sqrt(beta[i]);
        if (i + 1 <= m)
            radius += std::sqrt(beta[i + 1]);
        lo = std::min(lo, centre - radius);
        hi = std::max(hi, centre + radius);
    }
}

void gershgorin_rows(const double* alpha, const double* beta, int m, double& lo, double& hi,
                     double& last) {
    lo = std::numeric_limits<double>::infinity();
    hi = -lo;
    for (int i = 0; i < m; ++i) {
        double radius = 0.0;
        if (i >= 1)
            radius += std::sqrt(beta[i]);
        radius += std::sqrt(beta[i + 1]);
        lo = std::min(lo, alpha[i] - radius);
        hi = std::max(hi, alpha[i] + radius);
    }
    last = std::sqrt(beta[m]);
}

void eigenvalues(const double* alpha, const double* beta, int n, double* out) {
    if (n <= 0)
        return;
    if (n == 1) {
        out[0] = alpha[0];
        return;
    }
    double g_lo = 0.0;
    double g_hi = 0.0;
    gershgorin(alpha, beta, n - 1, alpha[n - 1], g_lo, g_hi);
    double pad = gershgorin_padding * (std::fabs(g_lo) + std::fabs(g_hi)) + tiny;
    g_lo -= pad;
    g_hi += pad;
    // Brackets of every eigenvalue, narrowed by each Sturm count taken.
    std::array<double, max_matrix> lo{};
    std::array<double, max_matrix> hi{};
    for (int k = 0; k < n; ++k) {
        lo[k] = g_lo;
        hi[k] = g_hi;
    }
    double floor = std::max(bisection_floor * (g_hi - g_lo), tiny);
    for (int k = 0; k < n; ++k) {
        for (;;) {
            double width = hi[k] - lo[k];
            if (width <=
                std::max(bisection_width * std::max(std::fabs(lo[k]), std::fabs(hi[k])), floor))
                break;
            double mid = 0.5 * (lo[k] + hi[k]);
            if (mid <= lo[k] || mid >= hi[k])
                break;
            int below = count_below(alpha, beta, n, mid);
            for (int j = k; j < n; ++j) {
                if (j < below)
                    hi[j] = std::min(hi[j], mid);
                else
                    lo[j] = std::max(lo[j], mid);
            }
        }
        out[k] = 0.5 * (lo[k] + hi[k]);
    }
}

double christoffel_sum(const double* alpha, const double* root_beta, int m, double t) {
    double previous = 0.0;
    double current = 1.0 / root_beta[0];
    double sum = current * current;
    for (int j = 0; j < m; ++j) {
        double coupling = j == 0 ? 0.0 : root_beta[j];
        double next = ((t - alpha[j]) * current - coupling * previous) / root_beta[j + 1];
        sum += next * next;
        previous = current;
        current = next;
    }
    // Overflow far out on the line (inf, or inf - inf): the sum is unbounded there.
    if (!(sum <= std::numeric_limits<double>::max()))
        return std::numeric_limits<double>::infinity();
    return sum;
}

namespace {

// The state of one Radau node search: the point tried next and the bracket.
struct Search {
    double t = 0.0;
    double lo = 0.0;
    double hi = 0.0;
    int iteration = 0;
    bool warm = false; // started from a given point
};

// One safeguarded Newton step at s.t, given the last pivot f and its slope
// there: narrows the bracket, and either finishes (true, the node in `node`)
// or moves s.t to the next point.
inline bool radau_step(Search& s, double f, double slope, double& node) {
    ++s.iteration;
    if (f == 0.0) {
        node = s.t;
        return true;
    }
    if (f > 0.0)
        s.lo = s.t;
    else if (f < 0.0)
        s.hi = s.t;
    if (s.hi - s.lo <= bisection_width * std::max(std::fabs(s.lo), std::fabs(s.hi))) {
        node = 0.5 * (s.lo + s.hi);
        return true;
    }
    // A zero among the earlier pivots (t is a zero of some P_i, i < m)
    // leaves f finite but its slope infinite: no Newton step there.
    double next = s.t - f / slope;
    bool newton = std::isfinite(f) && std::isfinite(slope) && slope < 0.0;
    // Converged: the step is at rounding level (it may round onto t itself,
    // which is an end of the bracket by now).
    if (newton &&
        std::fabs(next - s.t) <= newton_converged * std::fabs(s.t) + newton_converged_absolute) {
        node = std::min(s.hi, std::max(s.lo, next));
        return true;
    }
    if (!newton || !(next > s.lo && next < s.hi))
        next = 0.5 * (s.lo + s.hi);
    s.t = next;
    if (s.iteration >= radau_max_steps) {
        node = s.t;
        return true;
    }
    return false;
}

// The last pivot of J~ - tI and its slope from the polynomial values P_m(t)
// and P~_(m+1)(t) of the three-term recurrence (last pivot = -P~_(m+1)/P_m):
// two divisions instead of three a row.  Where the values overflow, the
// pivot recurrence (last_pivot).
void finish_pivot(const double* alpha, const double* beta, int m, double alpha_tilde, double t,
                  double previous, double current, double d_previous, double d_current,
                  double& pivot, double& slope) {
    // current = P~_(m+1)(t), previous = P_m(t).
    double ratio = current / previous;
    pivot = -ratio;
    slope = -(d_current - ratio * d_previous) / previous;
    if (previous != 0.0 && !(std::isfinite(pivot) && std::isfinite(slope)))
        last_pivot(alpha, beta, m, alpha_tilde, t, pivot, slope);
}

// The last pivot and its slope at count points, each with exactly the
// operations it has alone (the recurrence, then finish_pivot),
// a group of Group points at a time with their recurrences side by side, so
// that none waits on its own latency.
template <int Group>
void last_pivot_group(const double* alpha, const double* beta, int m, double alpha_tilde,
                      const double* t, double* pivot, double* slope) {
    double previous[Group], current[Group], d_previous[Group], d_current[Group];
    for (int g = 0; g < Group; ++g) {
        previous[g] = 0.0;
        current[g] = 1.0;
        d_previous[g] = 0.0;
        d_current[g] = 0.0;
    }
    for (int k = 0; k <= m; ++k) {
        const double diagonal = k < m ? alpha[k] : alpha_tilde;
        const double coupling = k == 0 ? 0.0 : beta[k];
        for (int g = 0; g < Group; ++g) {
            const double next = (t[g] - diagonal) * current[g] - coupling * previous[g];
            const double d_next =
                current[g] + (t[g] - diagonal) * d_current[g] - coupling * d_previous[g];
            previous[g] = current[g];
            current[g] = next;
            d_previous[g] = d_current[g];
            d_current[g] = d_next;
        }
    }
    for (int g = 0; g < Group; ++g)
        finish_pivot(alpha, beta, m, alpha_tilde, t[g], previous[g], current[g], d_previous[g],
                     d_current[g], pivot[g], slope[g]);
}

void last_pivots(const double* alpha, const double* beta, int m, double alpha_tilde,
                 const double* t, int count, double* pivot, double* slope) {
    int i = 0;
    for (; i + 4 <= count; i += 4)
        last_pivot_group<4>(alpha, beta, m, alpha_tilde, t + i, pivot + i, slope + i);
    if (i + 2 <= count) {
        last_pivot_group<2>(alpha, beta, m, alpha_tilde, t + i, pivot + i, slope + i);
        i += 2;
    }
    if (i < count)
        last_pivot_group<1>(alpha, beta, m, alpha_tilde, t + i, pivot + i, slope + i);
}

// The first point of a search: the middle of its bracket, or a given start
// well inside it.
Search start_search(double lo, double hi, const double* start) {
    Search s{0.5 * (lo + hi), lo, hi, 0, false};
    if (start != nullptr) {
        // A start next to an end of the bracket (a zero of P_m, where the
        // pivot has a pole) would stall: Newton steps there are as small as
        // the distance to the pole and look converged.
        double margin = std::max(warm_margin * (hi - lo),
                                 warm_margin_ulps * eps * std::max(std::fabs(lo), std::fabs(hi)));
        if (*start > lo + margin && *start < hi - margin) {
            s.t = *start;
            s.warm = true;
        }
    }
    return s;
}

} // namespace

namespace {

// Runs the searches search[index[0..count-1]] to their ends, side by side: a
// finished one leaves the list of running ones.
void run_searches(const double* alpha, const double* beta, int m, double alpha_tilde,
                  Search* search, int* index, int count, double* out) {
    int running = count;
    while (running > 0) {
        double t[max_matrix];
        double f[max_matrix];
        double slope[max_matrix];
        for (int r = 0; r < running; ++r)
            t[r] = search[index[r]].t;
        last_pivots(alpha, beta, m, alpha_tilde, t, running, f, slope);
        int kept = 0;
        for (int r = 0; r < running; ++r) {
            const int i = index[r];
            if (!radau_step(search[i], f[r], slope[r], out[i]))
                index[kept++] = i;
        }
        running = kept;
    }
}

// The nodes out[index[0..count-1]] of searches started from given points
// (in the brackets (lo[i], hi[i])) that fail the check (warm_check_ulps,
// warm_check_factor); returns their count, their indices first in `index`.
int unsettled_nodes(const double* alpha, const double* beta, int m, double alpha_tilde,
                    const double* lo, const double* hi, const double* out, int* index, int count) {
    // Two points a node: below, then above it.
    double t[2 * max_matrix];
    double f[2 * max_matrix];
    double slope[2 * max_matrix];
    double step[max_matrix];
    for (int r = 0; r < count; ++r) {
        const double node = out[index[r]];
        step[r] = warm_check_ulps * eps * (std::fabs(node) + 1.0);
        t[2 * r] = node - step[r];
        t[2 * r + 1] = node + step[r];
    }
    last_pivots(alpha, beta, m, alpha_tilde, t, 2 * count, f, slope);
    int failed = 0;
    for (int r = 0; r < count; ++r) {
        const int i = index[r];
        const double below = f[2 * r];
        const double above = f[2 * r + 1];
        // The fall the slopes predict over the two steps.
        const double expected = step[r] * (std::fabs(slope[2 * r]) + std::fabs(slope[2 * r + 1]));
        const double fall = below - above;
        const bool inside = t[2 * r] > lo[i] && t[2 * r + 1] < hi[i];
        const bool settled = inside && below > 0.0 && above < 0.0 &&
                             fall * warm_check_factor >= expected &&
                             fall <= warm_check_factor * expected;
        if (!settled)
            index[failed++] = i;
    }
    return failed;
}

} // namespace

void radau_nodes(const double* alpha, const double* beta, int m, double alpha_tilde,
                 const double* lo, const double* hi, const double* start, int count, double* out) {
    Search search[max_matrix];
    int index[max_matrix];
    for (int i = 0; i < count; ++i) {
        search[i] = start_search(lo[i], hi[i], start ? start + i : nullptr);
        index[i] = i;
    }
    run_searches(alpha, beta, m, alpha_tilde, search, index, count, out);
    if (start == nullptr)
        return;
    // A node found from a given start must be the one a search from the
    // middle finds: checked on either side of it, else searched again so.
    int warm = 0;
    for (int i = 0; i < count; ++i)
        if (search[i].warm)
            index[warm++] = i;
    if (warm == 0)
        return;
    const int again = unsettled_nodes(alpha, beta, m, alpha_tilde, lo, hi, out, index, warm);
    for (int r = 0; r < again; ++r)
        search[index[r]] = start_search(lo[index[r]], hi[index[r]], nullptr);
    run_searches(alpha, beta, m, alpha_tilde, search, index, again, out);
}

double radau_node(const double* alpha, const double* beta, int m, double alpha_tilde, double lo,
                  double hi) {
    double node = 0.0;
    radau_nodes(alpha, beta, m, alpha_tilde, &lo, &hi, nullptr, 1, &node);
    return node;
}

} // namespace sharp_detail
