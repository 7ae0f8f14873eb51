#pragma once
// Tolerances shared by the estimations and the checks built on them.
//
// A Hankel determinant below -1e-8 means the moments belong to no distribution
// on the support in question; one strictly between -1e-8 and 1e-8 counts as
// zero.  A probability (a point mass, a mass of a discrete distribution, a
// bound) is accepted from -1e-8 to 1.00000001, both ends included.  A value
// that is not a number is never accepted: every test below is written so that
// NaN falls on the rejecting side.

namespace estimation_tolerance {

inline constexpr double zero = 1e-8;
inline constexpr double probability_min = -1e-8;
inline constexpr double probability_max = 1.00000001;
inline constexpr double one_below = 0.99999999;

} // namespace estimation_tolerance

// True when value is not a probability within the rounding margin (NaN included).
inline bool outside_probability_range(double value) {
    return !(value >= estimation_tolerance::probability_min &&
             value <= estimation_tolerance::probability_max);
}

// True when a Hankel determinant rules the moments out (NaN included).
inline bool determinant_negative(double determinant) {
    return !(determinant >= -estimation_tolerance::zero);
}

// True when a determinant counts as zero (both bounds strict).
inline bool determinant_near_zero(double determinant) {
    return -estimation_tolerance::zero < determinant && determinant < estimation_tolerance::zero;
}

// True when a position in unit-interval coordinates sits on 0 or 1 (strict bounds).
inline bool position_at_zero_or_one(double y) {
    return (-estimation_tolerance::zero < y && y < estimation_tolerance::zero) ||
           (estimation_tolerance::one_below < y && y < estimation_tolerance::probability_max);
}
