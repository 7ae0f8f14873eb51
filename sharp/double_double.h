// SPDX-License-Identifier: Apache-2.0
#pragma once
// Double-double numbers (an unevaluated sum hi + lo) for the one step whose
// terms cancel: the shift of the moments to their mean.

#include <cmath>

// The error-free transformations below rely on every operation being rounded
// as written; value-changing optimisations make two_sum inexact.
#if defined(__FAST_MATH__)
#error "sharp/double_double.h needs IEEE arithmetic: do not compile it with -ffast-math"
#endif

namespace sharp_detail {

struct DoubleDouble {
    double hi = 0.0;
    double lo = 0.0;
};

// s + err == a + b exactly.
inline DoubleDouble two_sum(double a, double b) {
    double s = a + b;
    double bb = s - a;
    double err = (a - (s - bb)) + (b - bb);
    return {s, err};
}

// As two_sum, for |a| >= |b|.
inline DoubleDouble quick_two_sum(double a, double b) {
    double s = a + b;
    double err = b - (s - a);
    return {s, err};
}

// p + e == a * b exactly (the fused multiply-add keeps the low part).
inline DoubleDouble two_prod(double a, double b) {
    double p = a * b;
    double e = std::fma(a, b, -p);
    return {p, e};
}

inline DoubleDouble multiply(DoubleDouble a, double b) {
    DoubleDouble p = two_prod(a.hi, b);
    double lo = p.lo + a.lo * b;
    return quick_two_sum(p.hi, lo);
}

inline DoubleDouble add(DoubleDouble a, DoubleDouble b) {
    DoubleDouble s = two_sum(a.hi, b.hi);
    DoubleDouble t = two_sum(a.lo, b.lo);
    double lo = s.lo + t.hi;
    DoubleDouble u = quick_two_sum(s.hi, lo);
    lo = t.lo + u.lo;
    return quick_two_sum(u.hi, lo);
}

inline double to_double(DoubleDouble a) {
    return a.hi + a.lo;
}

// Arithmetic for code written once for double and double-double (the
// recurrence of the analysis): about 2^-104 relative per operation.
inline DoubleDouble operator+(DoubleDouble a, DoubleDouble b) {
    return add(a, b);
}

inline DoubleDouble operator-(DoubleDouble a) {
    return {-a.hi, -a.lo};
}

inline DoubleDouble operator-(DoubleDouble a, DoubleDouble b) {
    return add(a, -b);
}

inline DoubleDouble operator*(DoubleDouble a, DoubleDouble b) {
    DoubleDouble p = two_prod(a.hi, b.hi);
    double lo = p.lo + (a.hi * b.lo + a.lo * b.hi);
    return quick_two_sum(p.hi, lo);
}

inline DoubleDouble operator/(DoubleDouble a, DoubleDouble b) {
    double q1 = a.hi / b.hi;
    DoubleDouble r = a - b * DoubleDouble{q1, 0.0};
    double q2 = r.hi / b.hi;
    r = r - b * DoubleDouble{q2, 0.0};
    double q3 = r.hi / b.hi;
    DoubleDouble q = quick_two_sum(q1, q2);
    return q + DoubleDouble{q3, 0.0};
}

inline DoubleDouble sqrt(DoubleDouble a) {
    if (!(a.hi > 0.0))
        return {std::sqrt(a.hi), 0.0};
    double s = std::sqrt(a.hi);
    DoubleDouble residual = a - two_prod(s, s);
    return quick_two_sum(s, residual.hi / (2.0 * s));
}

inline double to_double(double a) {
    return a;
}

inline DoubleDouble scale_by_power_of_two(DoubleDouble a, int exponent) {
    return {std::ldexp(a.hi, exponent), std::ldexp(a.lo, exponent)};
}

} // namespace sharp_detail
