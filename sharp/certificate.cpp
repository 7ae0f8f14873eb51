// SPDX-License-Identifier: Apache-2.0
#include "sharp/certificate.h"

#include "sharp/double_double.h"
#include "sharp/tolerances.h"

#include <algorithm>
#include <cmath>

namespace sharp_detail {

namespace {

double horner(const double* p, int count, double t) {
    double value = 0.0;
    for (int i = count - 1; i >= 0; --i)
        value = value * t + p[i];
    return value;
}

double horner_slope(const double* p, int count, double t) {
    double value = 0.0;
    for (int i = count - 1; i >= 1; --i)
        value = value * t + static_cast<double>(i) * p[i];
    return value;
}

// sum |p_i| |t|^i: the scale of the rounding error of evaluating p at t.
double absolute_value(const double* p, int count, double t) {
    double value = 0.0;
    double at = std::fabs(t);
    for (int i = count - 1; i >= 0; --i)
        value = value * at + std::fabs(p[i]);
    return value;
}

// The moments' tolerance seen through p: p rewritten in powers of
// (X - centre)/scale, sum |q_i| tolerance_i.
double tolerance_widening(const Units& u, const double* p, int count) {
    double q[max_conditions];
    for (int i = 0; i < count; ++i)
        q[i] = p[i];
    // Taylor shift: t = y - h with h = (mean - centre)/scale.  Pass i of the
    // shift updates q[j] += c * q[j + 1] for j = count-2 down to i; update
    // (i, j) needs (i - 1, j) and (i, j + 1) only, so the updates are made
    // front by front (i + count-2-j constant), each with the same operands
    // as pass by pass, and those of one front do not wait on each other.
    // Within a front (i, j) reads q[j + 1] before (i + 1, j + 1) rewrites it.
    double c = -u.shift_std;
    if (c != 0.0)
        for (int front = 0; front <= count - 2; ++front)
            for (int i = 0, j = count - 2 - front; i <= front; ++i, ++j)
                q[j] += c * q[j + 1];
    double widening = 0.0;
    for (int i = 1; i < count; ++i)
        widening += std::fabs(q[i]) * u.tolerance[i];
    return widening;
}

// sum p_j z_j and its arithmetic error bound.
double expectation(const Units& u, const double* p, int count, double& error) {
    double value = 0.0;
    double size = 0.0;
    for (int j = 0; j < count; ++j) {
        value += p[j] * u.z[j];
        size += std::fabs(p[j]) * std::fabs(u.z[j]);
    }
    error = (count + 1) * eps * size;
    return value;
}

} // namespace

namespace {

// The Hermite data: x first, then every node (a touch node twice).
struct HermiteData {
    double s[max_conditions];
    double f[max_conditions];
    bool single[max_conditions];
    int n = 0;
};

bool hermite_data(double x, const CertNode* nodes, int count, bool upper, HermiteData& h) {
    auto target = [&](double t) { return upper ? (t <= x ? 1.0 : 0.0) : (t < x ? 1.0 : 0.0); };
    h.s[0] = x;
    h.f[0] = upper ? 1.0 : 0.0;
    h.single[0] = true;
    h.n = 1;
    for (int i = 0; i < count; ++i) {
        double t = nodes[i].t;
        if (t == x || !std::isfinite(t))
            continue;
        if (h.n + 2 > max_conditions)
            return false;
        h.s[h.n] = t;
        h.f[h.n] = target(t);
        h.single[h.n] = !nodes[i].touch;
        ++h.n;
        if (nodes[i].touch) {
            h.s[h.n] = t;
            h.f[h.n] = target(t);
            h.single[h.n] = false;
            ++h.n;
        }
    }
    return true;
}

// a - b in the arithmetic T (exact in double-double).
inline double difference(double a, double b, double) {
    return a - b;
}

inline DoubleDouble difference(double a, double b, DoubleDouble) {
    return two_sum(a, -b);
}

// The divided differences of the Hermite data in the arithmetic T (a touch
// node's slope is 0): a[k] is the coefficient of the k-th Newton basis
// polynomial.  False where a point appears twice among the nodes.
template <class T> bool divided_differences(const HermiteData& h, T* a) {
    const int n = h.n;
    if (n < 1)
        return false;
    for (int i = 0; i < n; ++i)
        a[i] = T{h.f[i]};
    for (int k = 1; k < n; ++k)
        for (int i = n - 1; i >= k; --i) {
            if (h.s[i] == h.s[i - k]) {
                if (k != 1)
                    return false; // the same point twice among the nodes
                a[i] = T{0.0};
            } else {
                a[i] = (a[i] - a[i - 1]) / difference(h.s[i], h.s[i - k], T{});
            }
        }
    return true;
}

// Ascending coefficients of the interpolant, in the arithmetic T: divided
// differences, then the Newton form expanded.
template <class T> bool hermite_coefficients(const HermiteData& h, T* p) {
    const int n = h.n;
    T a[max_conditions];
    if (!divided_differences(h, a))
        return false;
    for (int i = 0; i < n; ++i)
        p[i] = T{0.0};
    p[0] = a[n - 1];
    for (int k = n - 2; k >= 0; --k) {
        int degree = n - 2 - k; // degree of p before this step
        T node{h.s[k]};
        for (int j = degree + 1; j >= 1; --j)
            p[j] = p[j - 1] - node * p[j];
        p[0] = a[k] - node * p[0];
    }
    return true;
}

// p (n = h.n coefficients) at each distinct point of h, in order: its value
// (horner), sum |p_i| |t|^i (absolute_value) and its slope (horner_slope),
// by the same recurrences, the three run side by side.
struct PointValues {
    double value[max_conditions];
    double size[max_conditions];
    double slope[max_conditions];
};

void evaluate_at_points(const HermiteData& h, const double* p, PointValues& out) {
    const int n = h.n;
    int count = 0;
    for (int i = 0; i < n; ++i) {
        if (i > 0 && h.s[i] == h.s[i - 1])
            continue;
        const double t = h.s[i];
        const double magnitude = std::fabs(t);
        double value = 0.0;
        double size = 0.0;
        double slope = 0.0;
        for (int k = n - 1; k >= 1; --k) {
            value = value * t + p[k];
            size = size * magnitude + std::fabs(p[k]);
            slope = slope * t + static_cast<double>(k) * p[k];
        }
        out.value[count] = value * t + p[0];
        out.size[count] = size * magnitude + std::fabs(p[0]);
        out.slope[count] = slope;
        ++count;
    }
}

DoubleDouble horner_dd(const DoubleDouble* p, int count, double t) {
    DoubleDouble value{0.0, 0.0};
    for (int i = count - 1; i >= 0; --i)
        value = value * DoubleDouble{t, 0.0} + p[i];
    return value;
}

// Value, widening and slack of the polynomial p (double, or double-double
// with its high parts in p and the whole in pdd).
Certificate finish(const Units& u, Support support, const HermiteData& h, double x_error,
                   bool upper, const double* p, const DoubleDouble* pdd) {
    Certificate cert;
    const int n = h.n;
    // Beyond the last node the polynomial must stay on its side of the step:
    // >= 0 (U) or <= 0 (L) above, >= 1 (U) or <= 1 (L) below on the line.
    if (n >= 2 && !has_upper_end(support)) {
        double lead = p[n - 1];
        double need = upper ? 1.0 : -1.0;
        if (!(lead * need > 0.0))
            return cert;
        double below = (n - 1) % 2 == 0 ? lead : -lead;
        if (!has_lower_end(support) && !(below * need > 0.0))
            return cert;
    }
    double error = 0.0;
    if (pdd) {
        DoubleDouble value{0.0, 0.0};
        double size = 0.0;
        for (int j = 0; j < n; ++j) {
            value = value + pdd[j] * DoubleDouble{u.z[j], 0.0};
            size += std::fabs(p[j]) * std::fabs(u.z[j]);
        }
        cert.value = to_double(value);
        error = 2.0 * eps * std::fabs(cert.value) + n * dd_eps * size;
    } else {
        cert.value = expectation(u, p, n, error);
    }
    PointValues at;
    if (!pdd)
        evaluate_at_points(h, p, at);
    double slack = 0.0;
    for (int c = 0, i = 0; i < n; ++i) {
        if (i > 0 && h.s[i] == h.s[i - 1])
            continue;
        double residual = 0.0;
        double rounding = 0.0;
        double slope = 0.0;
        if (pdd) {
            residual = std::fabs(to_double(horner_dd(pdd, n, h.s[i]) - DoubleDouble{h.f[i], 0.0}));
            rounding = (n + 1) * dd_eps * absolute_value(p, n, h.s[i]);
            if (h.single[i])
                slope = horner_slope(p, n, h.s[i]);
        } else {
            residual = std::fabs(at.value[c] - h.f[i]);
            rounding = (n + 1) * eps * at.size[c];
            slope = at.slope[c];
            ++c;
        }
        double moved = 0.0;
        if (h.single[i]) {
            // Ends and x are rounded to standardised units: the polynomial
            // must hold on the true side of them too.
            double where = i == 0 ? x_error : 2.0 * eps * std::fabs(h.s[i]);
            moved = std::fabs(slope) * where;
        }
        slack = std::max(slack, residual + rounding + moved);
    }
    double tolerance = tolerance_widening(u, p, n);
    cert.widening = tolerance + error + slack;
    cert.slack = slack;
    cert.tolerance = tolerance;
    cert.ok = std::isfinite(cert.value) && std::isfinite(cert.widening);
    return cert;
}

} // namespace

namespace {

// The polynomials of U and L through the same nodes, side by side: lane 0
// U's, lane 1 L's.  Each lane takes exactly the operations of the double
// path of finish() for its polynomial alone, so the certificates are the same
// to the bit; the two run in step instead of one after the other.
using Pair = double __attribute__((vector_size(16)));

inline Pair both(double value) {
    return Pair{value, value};
}

inline Pair magnitude(Pair v) {
    return Pair{std::fabs(v[0]), std::fabs(v[1])};
}

inline Pair larger(Pair a, Pair b) {
    return Pair{std::max(a[0], b[0]), std::max(a[1], b[1])};
}

// finish(u, support, h, x_error, true, p, nullptr) in `up` and
// finish(u, support, lower, x_error, false, q, nullptr) in `down`, where
// `lower` is h with f[0] = 0 (L's polynomial through the same points).
void finish_pair(const Units& u, Support support, const HermiteData& h, double x_error,
                 const double* p, const double* q, Certificate& up, Certificate& down) {
    const int n = h.n;
    Pair poly[max_conditions];
    for (int i = 0; i < n; ++i)
        poly[i] = Pair{p[i], q[i]};
    // sum p_j z_j and its arithmetic error bound (expectation()).
    Pair value = both(0.0);
    Pair size = both(0.0);
    for (int j = 0; j < n; ++j) {
        value += poly[j] * both(u.z[j]);
        size += magnitude(poly[j]) * both(std::fabs(u.z[j]));
    }
    const Pair error = both((n + 1) * eps) * size;
    // The residual, rounding and slope at each distinct point
    // (evaluate_at_points()).
    const double rounding_factor = (n + 1) * eps;
    Pair slack = both(0.0);
    for (int i = 0; i < n; ++i) {
        if (i > 0 && h.s[i] == h.s[i - 1])
            continue;
        const Pair t = both(h.s[i]);
        const Pair t_magnitude = both(std::fabs(h.s[i]));
        Pair at = both(0.0);
        Pair at_size = both(0.0);
        Pair at_slope = both(0.0);
        for (int k = n - 1; k >= 1; --k) {
            at = at * t + poly[k];
            at_size = at_size * t_magnitude + magnitude(poly[k]);
            at_slope = at_slope * t + both(static_cast<double>(k)) * poly[k];
        }
        at = at * t + poly[0];
        at_size = at_size * t_magnitude + magnitude(poly[0]);
        const Pair target = i == 0 ? Pair{h.f[0], 0.0} : both(h.f[i]);
        const Pair residual = magnitude(at - target);
        const Pair rounding = both(rounding_factor) * at_size;
        Pair moved = both(0.0);
        if (h.single[i]) {
            const double where = i == 0 ? x_error : 2.0 * eps * std::fabs(h.s[i]);
            moved = magnitude(at_slope) * both(where);
        }
        slack = larger(slack, residual + rounding + moved);
    }
    // The moments' tolerance seen through each polynomial
    // (tolerance_widening(), its Taylor shift front by front).
    Pair shifted[max_conditions];
    for (int i = 0; i < n; ++i)
        shifted[i] = poly[i];
    const double c = -u.shift_std;
    if (c != 0.0)
        for (int front = 0; front <= n - 2; ++front)
            for (int i = 0, j = n - 2 - front; i <= front; ++i, ++j)
                shifted[j] += both(c) * shifted[j + 1];
    Pair tolerance = both(0.0);
    for (int i = 1; i < n; ++i)
        tolerance += magnitude(shifted[i]) * both(u.tolerance[i]);
    const Pair widening = tolerance + error + slack;
    Certificate* certs[2] = {&up, &down};
    for (int lane = 0; lane < 2; ++lane) {
        Certificate& cert = *certs[lane];
        cert = Certificate{};
        // Beyond the last node the polynomial must stay on its side of the
        // step (as in finish()).
        if (n >= 2 && !has_upper_end(support)) {
            const double lead = poly[n - 1][lane];
            const double need = lane == 0 ? 1.0 : -1.0;
            if (!(lead * need > 0.0))
                continue;
            const double below = (n - 1) % 2 == 0 ? lead : -lead;
            if (!has_lower_end(support) && !(below * need > 0.0))
                continue;
        }
        cert.value = value[lane];
        cert.widening = widening[lane];
        cert.slack = slack[lane];
        cert.tolerance = tolerance[lane];
        cert.ok = std::isfinite(cert.value) && std::isfinite(cert.widening);
    }
}

// U's polynomial p (hermite_coefficients() in double) and L's, p - l with
// l = prod over the conditions other than x of (t - s_j) / (x - s_j) (the
// two differ only in their value at x): the Newton form of p and the product
// l expanded in one pass, side by side, each with exactly its own operations.
bool upper_and_lower(const HermiteData& h, double x, double* p, double* q) {
    const int n = h.n;
    double a[max_conditions];
    if (!divided_differences(h, a))
        return false;
    Pair pl[max_conditions]; // lane 0: p, lane 1: l
    for (int i = 0; i < n; ++i)
        pl[i] = both(0.0);
    pl[0] = Pair{a[n - 1], 1.0};
    for (int step = 0; step + 1 < n; ++step) {
        // p: the factor (t - s_k); l: the factor (t - s_j) / (x - s_j).
        const int k = n - 2 - step;
        const int j = step + 1;
        const double scale = 1.0 / (x - h.s[j]);
        const Pair nodes{h.s[k], h.s[j]};
        const Pair scales{1.0, scale};
        for (int i = step + 1; i >= 1; --i)
            pl[i] = (pl[i - 1] - nodes * pl[i]) * scales;
        const double p0 = a[k] - h.s[k] * pl[0][0];
        const double l0 = -h.s[j] * pl[0][1] * scale;
        pl[0] = Pair{p0, l0};
    }
    for (int i = 0; i < n; ++i) {
        p[i] = pl[i][0];
        q[i] = pl[i][0] - pl[i][1];
    }
    return true;
}

} // namespace

namespace {

// Whether the rounding of a certificate's coefficients (magnified by the
// powers of an outlying node) outweighs the moments' tolerance.
bool worth_refining(const Certificate& cert) {
    return cert.ok && cert.slack > std::max(cert.tolerance, skip_widening);
}

// The certificate for the data h, formed again in double-double where that
// is worth it; the better of the two.
Certificate refine(const Units& u, Support support, const HermiteData& h, double x_error,
                   bool upper, Certificate cert) {
    if (worth_refining(cert)) {
        DoubleDouble pdd[max_conditions];
        if (!hermite_coefficients(h, pdd))
            return cert;
        double high[max_conditions];
        for (int i = 0; i < h.n; ++i)
            high[i] = to_double(pdd[i]);
        Certificate fine = finish(u, support, h, x_error, upper, high, pdd);
        if (fine.ok && fine.widening < cert.widening)
            cert = fine;
    }
    return cert;
}

Certificate settle(const Units& u, Support support, const HermiteData& h, double x_error,
                   bool upper, double* p) {
    return refine(u, support, h, x_error, upper, finish(u, support, h, x_error, upper, p, nullptr));
}

} // namespace

Certificate hermite_certificate(const Units& u, Support support, double x, double x_error,
                                const CertNode* nodes, int count, bool upper) {
    HermiteData h;
    if (!hermite_data(x, nodes, count, upper, h) || h.n > u.count)
        return Certificate{};
    double p[max_conditions];
    if (!hermite_coefficients(h, p))
        return Certificate{};
    return settle(u, support, h, x_error, upper, p);
}

void hermite_certificates(const Units& u, Support support, double x, double x_error,
                          const CertNode* nodes, int count, Certificate& up, Certificate& down) {
    up = Certificate{};
    down = Certificate{};
    HermiteData h;
    if (!hermite_data(x, nodes, count, true, h) || h.n > u.count)
        return;
    double p[max_conditions];
    double q[max_conditions];
    if (!upper_and_lower(h, x, p, q))
        return;
    finish_pair(u, support, h, x_error, p, q, up, down);
    up = refine(u, support, h, x_error, true, up);
    if (worth_refining(down)) { // spares the copy of the data otherwise
        HermiteData lower = h;
        lower.f[0] = 0.0;
        down = refine(u, support, lower, x_error, false, down);
    }
}

Certificate gauss_certificate(const Units& u, const double* weight, int weight_degree,
                              const double* roots, int count, double x, double& scale) {
    Certificate cert;
    double g[max_conditions] = {};
    int n = weight_degree + 1;
    for (int i = 0; i < n; ++i)
        g[i] = weight[i];
    double w_at = horner(weight, n, x);
    scale = w_at;
    for (int r = 0; r < count; ++r) {
        for (int twice = 0; twice < 2; ++twice) {
            // g *= (t - root)
            for (int j = n; j >= 1; --j)
                g[j] = g[j - 1] - roots[r] * g[j];
            g[0] = -roots[r] * g[0];
            ++n;
        }
        double factor = x - roots[r];
        scale *= factor * factor;
    }
    if (n > u.count) {
        scale = 0.0;
        return cert;
    }
    scale *= 1.0 - 4.0 * (n + 1) * eps;
    double error = 0.0;
    cert.value = expectation(u, g, n, error);
    double slack = 0.0;
    for (int r = 0; r < count; ++r)
        slack = std::max(slack, std::fabs(horner(g, n, roots[r])) +
                                    (n + 1) * eps * absolute_value(g, n, roots[r]));
    cert.widening = tolerance_widening(u, g, n) + error + slack;
    cert.ok = std::isfinite(cert.value) && std::isfinite(cert.widening);
    return cert;
}

} // namespace sharp_detail
