// SPDX-License-Identifier: Apache-2.0
#pragma once
// The upper tail from the bounds on the distribution function: with
// L <= P(X < x) and U >= P(X <= x),
//   P(X >= x) <= 1 - L   and   P(X > x) >= 1 - U.
// 1 - L is not always a double; it is rounded up (and 1 - U down), so that
// the printed tail bounds hold as the bounds they came from do.

#include <cmath>
#include <limits>

#include "sharp/double_double.h"

// 1 - lower_bound, rounded up: an upper bound for P(X >= x).
inline double upper_tail_max(double lower_bound) {
    const sharp_detail::DoubleDouble t = sharp_detail::two_sum(1.0, -lower_bound);
    return t.lo > 0.0 ? std::nextafter(t.hi, std::numeric_limits<double>::infinity()) : t.hi;
}

// 1 - upper_bound, rounded down: a lower bound for P(X > x).
inline double upper_tail_min(double upper_bound) {
    const sharp_detail::DoubleDouble t = sharp_detail::two_sum(1.0, -upper_bound);
    return t.lo < 0.0 ? std::nextafter(t.hi, -std::numeric_limits<double>::infinity()) : t.hi;
}
