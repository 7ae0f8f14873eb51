// SPDX-License-Identifier: Apache-2.0
#include "numeric/roots.h"

#include "numeric/diagnostics.h"
#include "numeric/failure.h"

#include <cmath>

namespace {

constexpr double step_tolerance = 1e-8;
constexpr int most_passes = 100;
constexpr double refine_threshold = 1e-7;
constexpr double not_real_ratio = 1e-4;

// Value, first and second derivative of the polynomial at x (Horner).
struct Evaluation {
    Complex p;
    Complex d1;
    Complex d2;
};

Evaluation evaluate(const Vector& polynomial, int degree, const Complex& x) {
    Evaluation e{Complex(polynomial[degree], 0.0), Complex(), Complex()};
    for (int j = degree - 1; j >= 0; --j) {
        e.d2 = e.d2 * x + e.d1;
        e.d1 = e.d1 * x + e.p;
        e.p = e.p * x + polynomial[j];
    }
    e.d2 = 2 * e.d2;
    return e;
}

// Divides the working polynomial of degree i + 1 by (x - r) in place; the
// remainder is dropped and element i + 1 becomes 0.
void deflate(Vector& working, int i, double r) {
    double b = working[i + 1];
    working[i + 1] = 0.0;
    for (int j = i; j >= 0; --j) {
        const double old = working[j];
        working[j] = b;
        b = b * r + old;
    }
}

} // namespace

// Laguerre's iteration with the nominal degree length - 1 (zero leading
// coefficients still count).  An empty coefficient vector is the zero
// polynomial, of which the start value is already a root.
Complex oneroot(const Vector& polynomial, Complex start) {
    const int m = polynomial.length - 1;
    Complex x = start;
    if (m < 0)
        return x;
    for (int pass = 1;; ++pass) {
        const Evaluation e = evaluate(polynomial, m, x);
        // The modulus is 0 exactly when its square is: the square root of a
        // sum of squares (never negative) is 0 only for the argument 0.
        if (e.p.re * e.p.re + e.p.im * e.p.im == 0.0)
            return x;
        const Complex g = e.d1 / e.p;
        const Complex g_squared = g * g;
        const Complex h = g_squared - e.d2 / e.p;
        const Complex s = ((m - 1) * (m * h - g_squared)).sqrt();
        const Complex plus = g + s;
        const Complex minus = g - s;
        const Complex denominator = minus.abs() > plus.abs() ? minus : plus;
        if (denominator == Complex(0.0, 0.0))
            throw Failure("oneroot", "A nevező 0!", FailureCode::computation);
        const Complex step = m / denominator;
        x = x - step;
        if (step.abs() < step_tolerance)
            return x;
        if (pass == most_passes)
            throw Failure("oneroot", "Túl sok iteráció!", FailureCode::computation);
    }
}

void roots(const Vector& polynomial, Vector& results, const DiagnosticSink& diagnostics) {
    const int m = polynomial.length - 1;
    if (results.length != m)
        throw Failure("roots", "Hibás vektormegadás!", FailureCode::computation);
    // First stage: each root from 0 on the working copy, whose real part is
    // then divided out; the first root found is stored last.
    Vector working(polynomial);
    for (int i = m - 1; i >= 0; --i) {
        const Complex z = oneroot(working, Complex(0.0, 0.0));
        results[i] = z.re;
        deflate(working, i, z.re);
    }
    // Second stage: refine on the given polynomial every result that differs
    // from its (already refined) predecessor.
    for (int d = 1; d < m; ++d) {
        if (std::fabs(results[d] - results[d - 1]) <= refine_threshold)
            continue;
        const Complex z = oneroot(polynomial, Complex(results[d], 0.0));
        if (std::fabs(z.im) > not_real_ratio * std::fabs(z.re)) {
            diagnostics.write("\roots: Ez biztos nem valós gyök: ");
            z.print(diagnostics);
        }
        results[d] = z.re;
    }
}
