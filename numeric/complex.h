// SPDX-License-Identifier: Apache-2.0
#pragma once
// Complex: the small complex value type of the root finder.  Every formula is
// evaluated in the order written, with no rescaling against overflow or
// underflow.  The arithmetic is defined here so that the root finder's inner
// loop compiles without calls.

#include <cmath>

#include "numeric/diagnostics.h"

class Complex {
public:
    double re;
    double im;

    Complex() : re(0.0), im(0.0) {}
    Complex(double re_, double im_) : re(re_), im(im_) {}

    bool operator==(const Complex& w) const { return re == w.re && im == w.im; }
    // The modulus: the square root of re * re + im * im, unscaled.
    double abs() const { return std::sqrt(re * re + im * im); }
    Complex sqrt() const; // principal root: real part never negative
    Complex operator+(const Complex& w) const { return Complex(re + w.re, im + w.im); }
    Complex operator-(const Complex& w) const { return Complex(re - w.re, im - w.im); }
    Complex operator*(const Complex& w) const {
        return Complex(re * w.re - im * w.im, im * w.re + re * w.im);
    }
    Complex operator/(const Complex& w) const;    // a divisor of modulus 0 fails
    void print(const DiagnosticSink& sink) const; // "%f+%fi"
};

// Throws the failure of a division by a divisor of modulus 0 ("Complex::/").
[[noreturn]] void fail_complex_zero_divisor();

inline Complex Complex::sqrt() const {
    const double r = abs();
    const double s = std::sqrt(r);
    const double t = r == 0.0 ? 0.0 : re / (r + r);
    const double u = s * std::sqrt(0.5 + t);
    const double v = s * std::sqrt(0.5 - t);
    return im >= 0.0 ? Complex(u, v) : Complex(u, -v);
}

inline Complex Complex::operator/(const Complex& w) const {
    const double q = w.im * w.im + w.re * w.re;
    // q is the square of the modulus (the same two products, added in the
    // other order, which gives the same sum), and a square root is 0 exactly
    // when its argument is: this is the test "modulus equals 0".
    if (q == 0.0)
        fail_complex_zero_divisor();
    return Complex((re * w.re + im * w.im) / q, (im * w.re - re * w.im) / q);
}

// The mixed forms first turn the scalar s into (s, 0).
inline Complex operator+(const Complex& c, double x) {
    return Complex(x, 0.0) + c;
}
inline Complex operator*(int n, const Complex& c) {
    return Complex(n, 0.0) * c;
}
inline Complex operator/(int n, const Complex& c) {
    return Complex(n, 0.0) / c;
}
