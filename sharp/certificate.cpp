#include "sharp/certificate.h"

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
    // Taylor shift: t = y - h with h = (mean - centre)/scale.
    double c = -u.shift_std;
    if (c != 0.0)
        for (int i = 0; i < count - 1; ++i)
            for (int j = count - 2; j >= i; --j)
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

Certificate hermite_certificate(const Units& u, double x, double x_error, const CertNode* nodes,
                                int count, bool upper) {
    Certificate cert;
    double s[max_conditions];
    double f[max_conditions];
    bool single[max_conditions] = {};
    int n = 0;
    auto target = [&](double t) { return upper ? (t <= x ? 1.0 : 0.0) : (t < x ? 1.0 : 0.0); };
    s[n] = x;
    f[n] = upper ? 1.0 : 0.0;
    single[n] = true;
    ++n;
    for (int i = 0; i < count; ++i) {
        double t = nodes[i].t;
        if (t == x || !std::isfinite(t))
            continue;
        if (n + 2 > max_conditions)
            return cert;
        s[n] = t;
        f[n] = target(t);
        single[n] = !nodes[i].touch;
        ++n;
        if (nodes[i].touch) {
            s[n] = t;
            f[n] = target(t);
            ++n;
        }
    }
    if (n > u.count)
        return cert;
    // Divided differences of the Hermite data (a touch node's slope is 0).
    double a[max_conditions];
    for (int i = 0; i < n; ++i)
        a[i] = f[i];
    for (int k = 1; k < n; ++k)
        for (int i = n - 1; i >= k; --i) {
            double gap = s[i] - s[i - k];
            if (gap == 0.0) {
                if (k != 1)
                    return cert; // the same point twice among the nodes
                a[i] = 0.0;
            } else {
                a[i] = (a[i] - a[i - 1]) / gap;
            }
        }
    // Newton form to ascending coefficients.
    double p[max_conditions] = {};
    p[0] = a[n - 1];
    for (int k = n - 2; k >= 0; --k) {
        int degree = n - 2 - k; // degree of p before this step
        for (int j = degree + 1; j >= 1; --j)
            p[j] = p[j - 1] - s[k] * p[j];
        p[0] = -s[k] * p[0] + a[k];
    }
    double error = 0.0;
    cert.value = expectation(u, p, n, error);
    double slack = 0.0;
    for (int i = 0; i < n; ++i) {
        if (i > 0 && s[i] == s[i - 1])
            continue;
        double residual = std::fabs(horner(p, n, s[i]) - f[i]);
        double rounding = (n + 1) * eps * absolute_value(p, n, s[i]);
        double moved = 0.0;
        if (single[i]) {
            // Ends and x are rounded to standardised units: the polynomial
            // must hold on the true side of them too.
            double where = i == 0 ? x_error : 2.0 * eps * std::fabs(s[i]);
            moved = std::fabs(horner_slope(p, n, s[i])) * where;
        }
        slack = std::max(slack, residual + rounding + moved);
    }
    cert.widening = tolerance_widening(u, p, n) + error + slack;
    cert.ok = std::isfinite(cert.value) && std::isfinite(cert.widening);
    return cert;
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
