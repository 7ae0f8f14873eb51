// SPDX-License-Identifier: Apache-2.0
#include "sharp/determinate.h"

#include "sharp/jacobi.h"
#include "sharp/standardise.h"
#include "sharp/tolerances.h"

#include <algorithm>
#include <cmath>

namespace sharp_detail {

Discrete determinate_distribution(const Recurrence& rec, int r, const Units& u, Support support) {
    Discrete dist;
    double nodes[max_matrix] = {};
    eigenvalues(rec.alpha, rec.beta, r, nodes);
    double rest0 = 1.0;
    double rest1 = 0.0;
    auto add = [&](double t, double mass, bool end) {
        int i = dist.count++;
        dist.point[i] = t;
        dist.mass[i] = mass;
        dist.at_end[i] = end;
    };
    for (int i = 0; i < r; ++i) {
        double t = nodes[i];
        double mass = 1.0 / christoffel_sum(rec.alpha, rec.root_beta, r - 1, t) / weight_at(rec, t);
        rest0 -= mass;
        rest1 -= mass * t;
        bool end = false;
        if (has_lower_end(support) &&
            std::fabs(t - u.lower) <= tol_position * (1.0 + std::fabs(u.lower))) {
            t = u.lower;
            end = true;
        } else if (has_upper_end(support) &&
                   std::fabs(t - u.upper) <= tol_position * (1.0 + std::fabs(u.upper))) {
            t = u.upper;
            end = true;
        }
        add(t, mass, end);
    }
    // End masses close mu0 (and mu1); a residual of O(1) quantities at
    // rounding level is no atom.
    double noise = error_factor * eps * (r + 1);
    auto add_end = [&](double t, double mass) {
        if (std::fabs(mass) > noise)
            add(t, mass, true);
    };
    switch (rec.weight) {
    case SharpWeight::one:
        break;
    case SharpWeight::above_lower:
        add_end(u.lower, rest0);
        break;
    case SharpWeight::below_upper:
        add_end(u.upper, rest0);
        break;
    case SharpWeight::between: {
        double at_upper = (rest1 - u.lower * rest0) / (u.upper - u.lower);
        add_end(u.lower, rest0 - at_upper);
        add_end(u.upper, at_upper);
        break;
    }
    }
    return dist;
}

Fit check_distribution(Discrete& dist, Support support, int dd, const Units& u) {
    Discrete kept;
    for (int i = 0; i < dist.count; ++i) {
        double t = dist.point[i];
        double m = dist.mass[i];
        if (!std::isfinite(t) || !std::isfinite(m))
            return Fit::contradicts;
        if (has_lower_end(support) && t < u.lower - tol_position * (1.0 + std::fabs(u.lower)))
            return Fit::contradicts;
        if (has_upper_end(support) && t > u.upper + tol_position * (1.0 + std::fabs(u.upper)))
            return Fit::contradicts;
        if (m < -tol_mass)
            return Fit::contradicts;
        if (m <= 0.0)
            continue;
        int k = kept.count++;
        kept.point[k] = t;
        kept.mass[k] = m;
        kept.at_end[k] = dist.at_end[i];
    }
    // Residuals r_j = z_j - sum m t^j, and the size of each sum.
    double residual[sharp_max_moments] = {};
    double size[sharp_max_moments] = {};
    for (int j = 0; j <= dd; ++j) {
        residual[j] = u.z[j];
        size[j] = std::fabs(u.z[j]);
    }
    for (int i = 0; i < dist.count; ++i) {
        double power = 1.0;
        for (int j = 0; j <= dd; ++j) {
            residual[j] -= dist.mass[i] * power;
            size[j] += std::fabs(dist.mass[i] * power);
            power *= dist.point[i];
        }
    }
    // In the basis of the given moments: E y^i = sum_j C(i,j) h^(i-j) E t^j.
    Fit fit = Fit::within_tolerance;
    double h = u.shift_std;
    for (int i = 1; i <= dd; ++i) {
        double value = 0.0;
        double rounding = 0.0;
        double h_power = 1.0;
        for (int j = i; j >= 0; --j) {
            value += binomial(i, j) * h_power * residual[j];
            rounding += binomial(i, j) * std::fabs(h_power) * size[j];
            h_power *= h;
        }
        rounding *= error_factor * eps * (i + 2);
        double miss = std::fabs(value);
        if (!(miss <= u.tolerance[i] + rounding)) {
            if (!(miss <= u.tolerance[i] * (contradiction / tolerance_factor) + rounding))
                return Fit::contradicts;
            fit = Fit::near;
        }
    }
    dist = kept;
    return fit;
}

} // namespace sharp_detail
