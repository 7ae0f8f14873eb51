#include "sharp/recurrence.h"

#include "sharp/tolerances.h"

#include <cmath>

namespace sharp_detail {

int forms_of_degree(int type, int dd, FormSpec* out) {
    int half = dd / 2;
    bool even = dd % 2 == 0;
    int count = 0;
    auto add = [&](SharpWeight weight, int size) {
        if (size >= 0)
            out[count++] = {weight, size};
    };
    if (type == 0) {
        add(SharpWeight::one, half);
    } else if (type == 1) {
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

namespace {

void set_weight(Recurrence& rec, SharpWeight weight, const Standardised& s) {
    rec.weight = weight;
    switch (weight) {
    case SharpWeight::one:
        rec.w[0] = 1.0;
        rec.w_degree = 0;
        break;
    case SharpWeight::above_lower:
        rec.w[0] = -s.lower;
        rec.w[1] = 1.0;
        rec.w_degree = 1;
        break;
    case SharpWeight::below_upper:
        rec.w[0] = s.upper;
        rec.w[1] = -1.0;
        rec.w_degree = 1;
        break;
    case SharpWeight::between:
        rec.w[0] = -s.lower * s.upper;
        rec.w[1] = s.lower + s.upper;
        rec.w[2] = -1.0;
        rec.w_degree = 2;
        break;
    }
}

// prod over the roots of w of (|root| + 1): the scale of nu_0 against which
// the rounding of the first pivot is judged.
double root_scale(const Recurrence& rec, const Standardised& s) {
    switch (rec.weight) {
    case SharpWeight::one:
        return 1.0;
    case SharpWeight::above_lower:
        return std::fabs(s.lower) + 1.0;
    case SharpWeight::below_upper:
        return std::fabs(s.upper) + 1.0;
    case SharpWeight::between:
        return (std::fabs(s.lower) + 1.0) * (std::fabs(s.upper) + 1.0);
    }
    return 1.0;
}

void weighted_moments(Recurrence& rec, const Standardised& s) {
    for (int j = 0; j <= 2 * rec.largest; ++j) {
        double value = 0.0;
        double level = 0.0;
        for (int l = 0; l <= rec.w_degree; ++l) {
            value += rec.w[l] * s.z[j + l];
            level += std::fabs(rec.w[l]) * s.zbar[j + l];
        }
        rec.nu[j] = value;
        rec.nubar[j] = level;
    }
}

// sigma_k: how far the pivot d_k can move when every moment moves by its
// rounding level (first order: |P_k|^T Nbar |P_k|).
double pivot_rounding(const Recurrence& rec, int k) {
    double sum = 0.0;
    for (int i = 0; i <= k; ++i)
        for (int j = 0; j <= k; ++j)
            sum += std::fabs(rec.poly[k][i]) * std::fabs(rec.poly[k][j]) * rec.nubar[i + j];
    return noise_factor * eps * sum;
}

// The verdict on pivot d_k, with sigma its rounding level and eta that level
// in units of the recurrence coefficient beta_k.
Event judge_pivot(const Recurrence& rec, int k, double d, double sigma, double eta) {
    if (!std::isfinite(d) || !std::isfinite(eta) || eta > tau_resolve)
        return Event::unresolved;
    if (d < -sigma)
        return Event::negative;
    if (d <= sigma)
        return eta <= tau_pin ? Event::boundary : Event::loose;
    if (k >= 1 && sigma > tau_relative * d && d / rec.pivot[k - 1] > tau_small)
        return Event::unresolved;
    return Event::interior;
}

// Runs the recurrence and stops at the first pivot that is not trusted.
void chebyshev(Recurrence& rec, const Standardised& s) {
    int largest = rec.largest;
    double sig_older[max_nu] = {}; // sig_(k-2, l)
    double sig_old[max_nu] = {};   // sig_(k-1, l)
    double sig[max_nu] = {};       // sig_(k, l)
    for (int l = 0; l <= 2 * largest; ++l)
        sig[l] = rec.nu[l];
    rec.poly[0][0] = 1.0;
    rec.event_order = largest + 1;
    rec.event = Event::interior;
    for (int k = 0; k <= largest; ++k) {
        if (k >= 1) {
            for (int l = 0; l <= 2 * largest; ++l) {
                sig_older[l] = sig_old[l];
                sig_old[l] = sig[l];
            }
            double a = rec.alpha[k - 1];
            double b = k >= 2 ? rec.beta[k - 1] : 0.0;
            for (int l = k; l <= 2 * largest - k; ++l)
                sig[l] = sig_old[l + 1] - a * sig_old[l] - b * sig_older[l];
            // P_k = (t - alpha_(k-1)) P_(k-1) - beta_(k-1) P_(k-2)
            for (int i = 0; i <= k; ++i) {
                double shifted = i >= 1 ? rec.poly[k - 1][i - 1] : 0.0;
                double kept = i <= k - 1 ? rec.poly[k - 1][i] : 0.0;
                double older = (k >= 2 && i <= k - 2) ? rec.poly[k - 2][i] : 0.0;
                rec.poly[k][i] = shifted - a * kept - b * older;
            }
        }
        double d = sig[k];
        double sigma = pivot_rounding(rec, k);
        double eta = k == 0 ? sigma / root_scale(rec, s) : sigma / rec.pivot[k - 1];
        Event event = judge_pivot(rec, k, d, sigma, eta);
        if (event != Event::interior) {
            rec.event = event;
            rec.event_order = k;
            return;
        }
        rec.pivot[k] = d;
        rec.beta[k] = k == 0 ? d : d / rec.pivot[k - 1];
        rec.root_beta[k] = std::sqrt(rec.beta[k]);
        if (k < largest) {
            double previous = k == 0 ? 0.0 : sig_old[k] / sig_old[k - 1];
            rec.alpha[k] = sig[k + 1] / sig[k] - previous;
        }
    }
}

} // namespace

void run_recurrence(Recurrence& rec, SharpWeight weight, const Standardised& s) {
    set_weight(rec, weight, s);
    weighted_moments(rec, s);
    chebyshev(rec, s);
}

double weight_at(const Recurrence& rec, double t) {
    double value = 0.0;
    for (int l = rec.w_degree; l >= 0; --l)
        value = value * t + rec.w[l];
    return value;
}

double horner(const double* coefficients, int degree, double t) {
    double value = 0.0;
    for (int i = degree; i >= 0; --i)
        value = value * t + coefficients[i];
    return value;
}

double horner_slope(const double* coefficients, int degree, double t) {
    double value = 0.0;
    for (int i = degree; i >= 1; --i)
        value = value * t + static_cast<double>(i) * coefficients[i];
    return value;
}

} // namespace sharp_detail
