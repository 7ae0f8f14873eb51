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

// The same from the polynomial values P_m(t) and P~_(m+1)(t) of the
// three-term recurrence (last pivot = -P~_(m+1)/P_m): two divisions instead
// of three a row.  Where the values overflow, the pivot recurrence.
void last_pivot_fast(const double* alpha, const double* beta, int m, double alpha_tilde, double t,
                     double& pivot, double& slope) {
    double previous = 0.0;
    double current = 1.0;
    double d_previous = 0.0;
    double d_current = 0.0;
    for (int k = 0; k <= m; ++k) {
        double diagonal = k < m ? alpha[k] : alpha_tilde;
        double coupling = k == 0 ? 0.0 : beta[k];
        double next = (t - diagonal) * current - coupling * previous;
        double d_next = current + (t - diagonal) * d_current - coupling * d_previous;
        previous = current;
        current = next;
        d_previous = d_current;
        d_current = d_next;
    }
    // current = P~_(m+1)(t), previous = P_m(t).
    double ratio = current / previous;
    pivot = -ratio;
    slope = -(d_current - ratio * d_previous) / previous;
    if (previous != 0.0 && !(std::isfinite(pivot) && std::isfinite(slope)))
        last_pivot(alpha, beta, m, alpha_tilde, t, pivot, slope);
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

double radau_node(const double* alpha, const double* beta, int m, double alpha_tilde, double lo,
                  double hi) {
    double t = 0.5 * (lo + hi);
    for (int iteration = 0; iteration < radau_max_steps; ++iteration) {
        double f = 0.0;
        double slope = 0.0;
        last_pivot_fast(alpha, beta, m, alpha_tilde, t, f, slope);
        if (f == 0.0)
            return t;
        if (f > 0.0)
            lo = t;
        else if (f < 0.0)
            hi = t;
        if (hi - lo <= bisection_width * std::max(std::fabs(lo), std::fabs(hi)))
            return 0.5 * (lo + hi);
        // A zero among the earlier pivots (t is a zero of some P_i, i < m)
        // leaves f finite but its slope infinite: no Newton step there.
        double next = t - f / slope;
        bool newton = std::isfinite(f) && std::isfinite(slope) && slope < 0.0;
        // Converged: the step is at rounding level (it may round onto t itself,
        // which is an end of the bracket by now).
        if (newton &&
            std::fabs(next - t) <= newton_converged * std::fabs(t) + newton_converged_absolute)
            return std::min(hi, std::max(lo, next));
        if (!newton || !(next > lo && next < hi))
            next = 0.5 * (lo + hi);
        t = next;
    }
    return t;
}

} // namespace sharp_detail
