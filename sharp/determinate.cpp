#include "sharp/determinate.h"

#include "sharp/jacobi.h"
#include "sharp/tolerances.h"

#include <algorithm>
#include <cmath>

namespace sharp_detail {

namespace {

// How far the zero t of P_r can move with the rounding of the data:
// |dP_r(t)| / |P_r'(t)|, dP_r bounded through the kernel polynomial
// y = sum_(k<r) P_k(t) P_k / d_k.
double node_uncertainty(const Recurrence& rec, int r, double t) {
    double y[max_size + 1] = {};
    for (int k = 0; k < r; ++k) {
        double factor = horner(rec.poly[k], k, t) / rec.pivot[k];
        for (int i = 0; i <= k; ++i)
            y[i] += factor * rec.poly[k][i];
    }
    double change = 0.0;
    for (int i = 0; i < r; ++i) {
        double inner = 0.0;
        for (int k = 0; k <= r; ++k)
            inner += rec.nubar[i + k] * std::fabs(rec.poly[r][k]);
        change += std::fabs(y[i]) * inner;
    }
    change *= noise_factor * eps;
    return change / std::fabs(horner_slope(rec.poly[r], r, t));
}

void add_atom(Discrete& dist, double point, double mass, double spread, bool at_lower,
              bool at_upper) {
    int i = dist.count++;
    dist.point[i] = point;
    dist.mass[i] = mass;
    dist.near[i] = spread; // node uncertainty for now; the position tolerance is added later
    dist.at_lower[i] = at_lower;
    dist.at_upper[i] = at_upper;
}

} // namespace

Discrete determinate_distribution(const Recurrence& rec, int r, const Standardised& s) {
    Discrete dist;
    double nodes[max_size + 1] = {};
    eigenvalues(rec.alpha, rec.beta, r, nodes);
    double rest0 = 1.0;
    double rest1 = 0.0;
    for (int i = 0; i < r; ++i) {
        double t = nodes[i];
        double mass = 1.0 / christoffel_sum(rec.alpha, rec.root_beta, r - 1, t) / weight_at(rec, t);
        add_atom(dist, t, mass, node_uncertainty(rec, r, t), false, false);
        rest0 -= mass;
        rest1 -= mass * t;
    }
    // End masses: a residual of O(1) quantities at rounding level is no atom.
    double noise = noise_factor * eps;
    double dropped = 0.0;
    auto add_end = [&](double point, double mass, bool at_lower) {
        if (std::fabs(mass) <= noise)
            dropped += std::fabs(mass);
        else
            add_atom(dist, point, mass, 0.0, at_lower, !at_lower);
    };
    switch (rec.weight) {
    case SharpWeight::one:
        break;
    case SharpWeight::above_lower:
        add_end(s.lower, rest0, true);
        break;
    case SharpWeight::below_upper:
        add_end(s.upper, rest0, false);
        break;
    case SharpWeight::between: {
        double at_upper = (rest1 - s.lower * rest0) / (s.upper - s.lower);
        add_end(s.lower, rest0 - at_upper, true);
        add_end(s.upper, at_upper, false);
        break;
    }
    }
    // Widening: the masses move with the nodes (slopes of the Lagrange basis).
    double widening = 0.0;
    for (int j = 0; j < dist.count; ++j)
        for (int i = 0; i < dist.count; ++i)
            if (i != j)
                widening += std::fabs(dist.mass[j]) * (dist.near[j] + dist.near[i]) /
                            std::fabs(dist.point[j] - dist.point[i]);
    dist.widening = 2.0 * widening + dropped;
    return dist;
}

bool verify(const Discrete& dist, int type, int dd, const Standardised& s) {
    double spread = dist.widening;
    if (!std::isfinite(spread))
        return false;
    double max_power[sharp_max_moments] = {};
    double sum[sharp_max_moments] = {};
    double magnitude[sharp_max_moments] = {};
    double slope[sharp_max_moments] = {};
    for (int i = 0; i < dist.count; ++i) {
        double t = dist.point[i];
        double m = dist.mass[i];
        double dt = dist.near[i];
        if (!std::isfinite(t) || !std::isfinite(m) || !std::isfinite(dt))
            return false;
        if (type >= 1 && t < s.lower - (tol_position * (1.0 + std::fabs(s.lower)) + dt))
            return false;
        if (type == 2 && t > s.upper + (tol_position * (1.0 + std::fabs(s.upper)) + dt))
            return false;
        if (m < -(tol_mass + spread))
            return false;
        double power = 1.0; // t^j
        double below = 0.0; // |t|^(j-1)
        for (int j = 0; j <= dd; ++j) {
            sum[j] += m * power;
            magnitude[j] += std::fabs(m) * std::fabs(power);
            slope[j] += std::fabs(m) * static_cast<double>(j) * below * dt;
            max_power[j] = std::max(max_power[j], std::fabs(power));
            below = std::fabs(power);
            power *= t;
        }
    }
    for (int j = 0; j <= dd; ++j) {
        double tolerance =
            tol_verify * (s.zbar[j] + magnitude[j]) + slope[j] + spread * max_power[j];
        if (!(std::fabs(s.z[j] - sum[j]) <= tolerance))
            return false;
    }
    return true;
}

void finish_distribution(Discrete& dist) {
    Discrete kept;
    kept.widening = dist.widening;
    for (int i = 0; i < dist.count; ++i) {
        if (dist.mass[i] <= 0.0)
            continue;
        add_atom(kept, dist.point[i], dist.mass[i], dist.near[i] + tol_position, dist.at_lower[i],
                 dist.at_upper[i]);
    }
    dist = kept;
}

} // namespace sharp_detail
