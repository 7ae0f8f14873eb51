#include "sharp/standardise.h"

#include "sharp/double_double.h"

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

void standardise(const double* c, int n, double centre, double scale, Standardised& s) {
    s.count = n;
    DoubleDouble power[sharp_max_moments];
    power[0] = {1.0, 0.0};
    for (int k = 1; k < n; ++k)
        power[k] = multiply(power[k - 1], -centre);
    for (int j = 0; j < n; ++j) {
        DoubleDouble sum{};
        double magnitude = 0.0;
        for (int i = 0; i <= j; ++i) {
            DoubleDouble term = multiply(multiply(power[j - i], binomial(j, i)), c[i]);
            sum = add(sum, term);
            magnitude += std::fabs(term.hi);
        }
        s.z[j] = divide_by_power(to_double(sum), scale, j);
        s.zbar[j] = divide_by_power(magnitude, scale, j);
    }
    s.z[0] = 1.0;
    if (n >= 2)
        s.z[1] = 0.0;
    if (n >= 3)
        s.z[2] = 1.0;
}

} // namespace sharp_detail
