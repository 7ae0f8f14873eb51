// SPDX-License-Identifier: Apache-2.0
#include "sharp/recurrence.h"

#include "sharp/tolerances.h"

#include <cmath>

namespace sharp_detail {

int forms_of_degree(Support support, int dd, FormSpec* out) {
    int half = dd / 2;
    bool even = dd % 2 == 0;
    int count = 0;
    auto add = [&](SharpWeight weight, int size) {
        if (size >= 0)
            out[count++] = {weight, size};
    };
    if (support == Support::whole) {
        add(SharpWeight::one, half);
    } else if (support == Support::half) {
        add(SharpWeight::one, half);
        add(SharpWeight::above_lower, even ? half - 1 : half);
    } else if (even) {
        add(SharpWeight::one, half);
        add(SharpWeight::between, half - 1);
    } else {
        add(SharpWeight::above_lower, half);
        add(SharpWeight::below_upper, half);
    }
    return count;
}

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

double weight_at(const Recurrence& rec, double t) {
    double value = 0.0;
    for (int l = rec.w_degree; l >= 0; --l)
        value = value * t + rec.w[l];
    return value;
}

namespace {

// The weight's coefficients (ascending) in the arithmetic T.
template <class T> int weight_coefficients(SharpWeight weight, const Units& u, T* w) {
    switch (weight) {
    case SharpWeight::one:
        w[0] = T{1.0};
        return 0;
    case SharpWeight::above_lower:
        w[0] = T{-u.lower};
        w[1] = T{1.0};
        return 1;
    case SharpWeight::below_upper:
        w[0] = T{u.upper};
        w[1] = T{-1.0};
        return 1;
    case SharpWeight::between:
        w[0] = -(T{u.lower} * T{u.upper});
        w[1] = T{u.lower} + T{u.upper};
        w[2] = T{-1.0};
        return 2;
    }
    return 0;
}

// previous: d_(k-1) (the scale of nu_0 for k = 0).  A pivot that is zero
// within the tolerance is a boundary only when the tolerance pins beta_k to
// tau_pin of the variance; a coarser one the data do not resolve.
Event judge(double d, double level, double error, double previous, bool last_resort) {
    if (!std::isfinite(d) || !std::isfinite(level) || !std::isfinite(error))
        return Event::unresolved;
    if (d > level + error && d > accurate_pivot * error)
        return Event::interior;
    if (d < -level - error)
        return Event::negative;
    bool pinned = level + error <= tau_pin * previous;
    if (std::fabs(d) + error <= level)
        return pinned ? Event::boundary : Event::unresolved;
    if (!last_resort)
        return Event::inconclusive;
    if (d > level)
        return Event::interior;
    if (d < -level)
        return Event::negative;
    return pinned ? Event::boundary : Event::unresolved;
}

// prod over the roots of w of (|root| + 1) - 1: with 1 added, the scale of
// nu_0 against which the first pivot is judged.
double root_size(SharpWeight weight, const Units& u) {
    switch (weight) {
    case SharpWeight::one:
        return 0.0;
    case SharpWeight::above_lower:
        return std::fabs(u.lower);
    case SharpWeight::below_upper:
        return std::fabs(u.upper);
    case SharpWeight::between:
        return (std::fabs(u.lower) + 1.0) * (std::fabs(u.upper) + 1.0) - 1.0;
    }
    return 0.0;
}

// The Chebyshev algorithm in the arithmetic T (unit roundoff unit), with the
// monic polynomials P_k kept in double for the two first-order estimates.
template <class T> void chebyshev(Recurrence& rec, const Units& u, const T* z, double unit) {
    using std::sqrt;
    const int largest = rec.largest;
    const int top = 2 * largest;
    T w[3];
    rec.w_degree = weight_coefficients(rec.weight, u, w);
    for (int l = 0; l <= rec.w_degree; ++l)
        rec.w[l] = to_double(w[l]);
    T sig_older[max_nu];
    T sig_old[max_nu];
    T sig[max_nu];
    double level[max_nu] = {};
    double size[max_nu] = {};
    for (int j = 0; j <= top; ++j) {
        T value{0.0};
        for (int l = 0; l <= rec.w_degree; ++l) {
            value = value + w[l] * z[j + l];
            level[j] += std::fabs(rec.w[l]) * u.level[j + l];
            size[j] += std::fabs(rec.w[l]) * std::fabs(u.z[j + l]);
        }
        sig[j] = value;
        sig_old[j] = T{0.0};
        sig_older[j] = T{0.0};
    }
    double poly[max_size + 1][max_size + 1] = {}; // P_k, ascending coefficients
    poly[0][0] = 1.0;
    T alpha[max_size + 1];
    T beta[max_size + 1];
    T pivot[max_size + 1];
    rec.event_order = largest + 1;
    rec.event = Event::interior;
    const bool last_resort = unit < eps;
    for (int k = 0; k <= largest; ++k) {
        if (k >= 1) {
            for (int l = 0; l <= top; ++l) {
                sig_older[l] = sig_old[l];
                sig_old[l] = sig[l];
            }
            T a = alpha[k - 1];
            T b = k >= 2 ? beta[k - 1] : T{0.0};
            for (int l = k; l <= top - k; ++l)
                sig[l] = sig_old[l + 1] - a * sig_old[l] - b * sig_older[l];
            double ad = to_double(a);
            double bd = to_double(b);
            for (int i = 0; i <= k; ++i) {
                double shifted = i >= 1 ? poly[k - 1][i - 1] : 0.0;
                double kept = i <= k - 1 ? poly[k - 1][i] : 0.0;
                double older = (k >= 2 && i <= k - 2) ? poly[k - 2][i] : 0.0;
                poly[k][i] = shifted - ad * kept - bd * older;
            }
        }
        // d_k = int P_k^2 dnu is the minimum over monic polynomials, so to
        // first order it moves by |P_k|^T (moment changes) |P_k| (envelope).
        double moved = 0.0;
        double scale = 0.0;
        for (int i = 0; i <= k; ++i)
            for (int j = 0; j <= k; ++j) {
                double weight = std::fabs(poly[k][i]) * std::fabs(poly[k][j]);
                moved += weight * level[i + j];
                scale += weight * size[i + j];
            }
        double d = to_double(sig[k]);
        double error = error_factor * unit * (k + 1) * scale;
        rec.level[k] = moved;
        rec.error[k] = error;
        double previous = k == 0 ? 1.0 + root_size(rec.weight, u) : rec.pivot[k - 1];
        Event event = judge(d, moved, error, previous, last_resort);
        if (event != Event::interior) {
            rec.event = event;
            rec.event_order = k;
            rec.pivot[k] = d;
            return;
        }
        pivot[k] = sig[k];
        beta[k] = k == 0 ? sig[k] : sig[k] / pivot[k - 1];
        rec.pivot[k] = d;
        rec.beta[k] = to_double(beta[k]);
        rec.root_beta[k] = to_double(sqrt(beta[k]));
        if (k < largest) {
            T previous = k == 0 ? T{0.0} : sig_old[k] / sig_old[k - 1];
            alpha[k] = sig[k + 1] / sig[k] - previous;
            rec.alpha[k] = to_double(alpha[k]);
        }
    }
}

} // namespace

void run_recurrence(Recurrence& rec, const Units& units) {
    chebyshev<double>(rec, units, units.z.data(), eps);
}

void run_recurrence(Recurrence& rec, const Units& units, const DoubleDouble* z_dd) {
    chebyshev<DoubleDouble>(rec, units, z_dd, dd_eps);
}

} // namespace sharp_detail
