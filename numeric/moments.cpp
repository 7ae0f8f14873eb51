// SPDX-License-Identifier: Apache-2.0
#include "numeric/moments.h"

#include "numeric/failure.h"
#include "numeric/same_bits.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

// Up to this n every binomial coefficient and every intermediate product of
// the row recurrence below is an integer under 2^53, so the recurrence gives
// exactly the values binomial() computes, without its inner loop.
constexpr int exact_row_limit = 50;

// coefficients[j] = binomial(n, j) for j = 0..n.
void binomial_row(int n, double* coefficients) {
    coefficients[0] = 1.0;
    if (n > exact_row_limit) {
        for (int j = 1; j <= n; ++j)
            coefficients[j] = binomial(n, j);
        return;
    }
    for (int j = 1; j <= n; ++j)
        coefficients[j] = coefficients[j - 1] * (n - j + 1) / j;
}

// The moments of the constant shift with total mass moments[0]: element i
// becomes moments[0] * shift^i.
void moments_of_constant(Vector& moments, double shift) {
    for (int i = 1; i < moments.length; ++i)
        moments[i] = moments[0] * std::pow(shift, static_cast<double>(i));
}

} // namespace

double binomial(int n, int k) {
    if (n < 0 || k < 0)
        throw Failure("binomial", "n és k nem lehet negatív!", FailureCode::computation);
    if (k > n)
        throw Failure("binomial", "k nem lehet nagyobb, mint n!", FailureCode::computation);
    if (n == 0)
        return 1.0;
    const int m = std::max(k, n - k);
    double r = 1.0;
    for (int i = m + 1; i <= n; ++i) {
        r = r * i;
        r = r / (i - m);
    }
    return r;
}

void transform_moments(Vector& moments, double scale, double shift) {
    const int n = moments.length;
    if (scale == 0.0) {
        // scale * X + shift is the constant shift: its moments, not zeros, so
        // that the result is still a moment sequence.
        moments_of_constant(moments, shift);
        return;
    }
    if (scale != 1.0)
        for (int i = 0; i < n; ++i)
            moments[i] = std::pow(scale, static_cast<double>(i)) * moments[i];
    if (shift == 0.0 || n == 0)
        return;
    // One row of binomial coefficients, on the stack for the usual lengths.
    double small_row[exact_row_limit + 1];
    std::optional<Vector> large_row;
    if (n > exact_row_limit + 1)
        large_row.emplace(n);
    double* coefficients = large_row ? large_row->data : small_row;
    // Element i is built from the scaled elements 0..i only, so going from the
    // top down lets the vector itself serve as the scaled copy.
    for (int i = n - 1; i >= 1; --i) {
        binomial_row(i, coefficients);
        double t = moments[0];
        for (int j = 1; j <= i; ++j)
            t = coefficients[j] * moments[j] + shift * t;
        moments[i] = t;
    }
}

void MomentTransforms::apply(Vector& moments, double scale, double shift) {
    const int n = moments.length;
    const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(n > 0 ? n : 0);
    if (n > longest) {
        transform_moments(moments, scale, shift);
        return;
    }
    if (n > 0 && n <= length_ && same_bits(scale, scale_) && same_bits(shift, shift_) &&
        same_bits(given_, moments.data, n)) {
        std::memcpy(moments.data, transformed_, bytes);
        return;
    }
    length_ = 0; // until the new pair is complete
    std::memcpy(given_, moments.data, bytes);
    transform_moments(moments, scale, shift);
    std::memcpy(transformed_, moments.data, bytes);
    length_ = n;
    scale_ = scale;
    shift_ = shift;
}
