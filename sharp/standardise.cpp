// SPDX-License-Identifier: Apache-2.0
#include "sharp/standardise.h"

#include "sharp/tolerances.h"

#include <algorithm>
#include <cmath>

namespace sharp_detail {

double binomial(int n, int k) {
    double value = 1.0;
    for (int i = 1; i <= k; ++i)
        value = value * static_cast<double>(n - k + i) / static_cast<double>(i);
    return std::round(value);
}

// One division where the power is a normal number, repeated divisions where
// it would overflow or underflow.
double divide_by_power(double value, double scale, int power) {
    double divisor = 1.0;
    for (int i = 0; i < power; ++i)
        divisor *= scale;
    if (std::isnormal(divisor))
        return value / divisor;
    for (int i = 0; i < power; ++i)
        value /= scale;
    return value;
}

void moment_tolerances(const double* c, int n, double* tolerance) {
    double size[sharp_max_moments] = {};
    for (int j = 1; j < n; ++j) {
        double given = std::fabs(c[j]);
        if (j % 2 == 0)
            size[j] = given;
        else if (j == 1)
            size[j] = n >= 3 ? std::max(given, std::sqrt(std::fabs(c[2]))) : given;
        else
            size[j] = std::max(given, std::pow(size[j - 1], static_cast<double>(j) / (j - 1)));
    }
    tolerance[0] = 0.0; // the total mass is exactly 1
    for (int j = 1; j < n; ++j)
        tolerance[j] = tolerance_factor * size[j];
}

void standardise(const double* c, int n, double centre, double scale, Units& units,
                 DoubleDouble* z_dd) {
    units.count = n;
    units.centre = centre;
    units.shift = n >= 2 ? c[1] : 0.0;
    units.scale = scale;
    units.shift_std = units.shift / scale;
    int exponent = std::ilogb(scale); // scale = 2^exponent exactly
    double tolerance[sharp_max_moments] = {};
    moment_tolerances(c, n, tolerance);
    DoubleDouble power[sharp_max_moments];
    power[0] = {1.0, 0.0};
    for (int k = 1; k < n; ++k)
        power[k] = multiply(power[k - 1], -units.shift);
    for (int j = 0; j < n; ++j) {
        DoubleDouble sum{};
        for (int i = 0; i <= j; ++i)
            sum = add(sum, multiply(multiply(power[j - i], binomial(j, i)), c[i]));
        z_dd[j] = scale_by_power_of_two(sum, -exponent * j);
        units.z[j] = to_double(z_dd[j]);
        units.tolerance[j] = divide_by_power(tolerance[j], scale, j);
    }
    // The box of tolerances seen in the standardised moments (triangle bound).
    double h = std::fabs(units.shift_std);
    for (int j = 0; j < n; ++j) {
        double level = 0.0;
        double h_power = 1.0; // h^(j-i), i from j down
        for (int i = j; i >= 0; --i) {
            level += binomial(j, i) * h_power * units.tolerance[i];
            h_power *= h;
        }
        units.level[j] = level;
    }
}

double standardised_position(const Units& units, double value, double* error) {
    DoubleDouble offset = two_sum(value, -units.centre);
    offset = add(offset, {-units.shift, 0.0});
    double result = to_double(offset) / units.scale;
    if (error)
        *error = 2.0 * eps * std::fabs(result);
    return result;
}

} // namespace sharp_detail
