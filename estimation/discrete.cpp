// SPDX-License-Identifier: Apache-2.0
// Discrete distributions behind the bounds.

#include "estimation/discrete.h"

#include "estimation/tolerances.h"
#include "numeric/failure.h"
#include "numeric/matrix.h"
#include "numeric/roots.h"
#include "numeric/vandermonde.h"

// The mass p at 0 that, taken away from m0, makes the Hankel determinant of the
// moments vanish: det(m(i+j)) / det(m(i+j+2)).  The first determinant is linear
// in m0 with the second one as its coefficient.
double solve_linear_det_eq(const Vector& moments) {
    if (moments.length % 2 == 0)
        report_warning("solve_linear_det_eq", "Páratlan számú momentum kell!");

    Vector shifted(moments);
    shifted.drop(2);

    double whole = moments.luhankeldet();
    double p = whole / shifted.luhankeldet();
    if (outside_probability_range(p))
        throw Failure("solve_linear_det_eq", "p nem esik 0 és 1 közé!", FailureCode::computation);
    return p;
}

namespace {

// Fills m with the N x (N + 1) Hankel array (m(row + col)) without column skipped.
void fill_without_column(const Vector& moments, int skipped, Matrix& m) {
    int n = m.dimension;
    for (int row = 0; row < n; ++row) {
        double* target = m[row];
        const double* source = &moments.data[row];
        for (int col = 0; col < skipped; ++col)
            target[col] = source[col];
        for (int col = skipped + 1; col <= n; ++col)
            target[col - 1] = source[col];
    }
}

} // namespace

// The N-point distribution whose moments m0 .. m(2N-1) are the given ones: its
// points are the roots of Q(t) = det of the Hankel rows of the moments over the
// row (1, t, .., t^N), its masses solve the Vandermonde system of m0 .. m(N-1).
void discrete_construction(Vector& moments, Vector& xs, Vector& ps,
                           const DiagnosticSink& diagnostics) {
    if (moments.length % 2 != 0) {
        report_warning("discrete_construction",
                       "A diszkrét eloszlás felépítéséhez páros számú momentum kell!");
        moments.drop(-1);
    }

    int length = moments.length;
    if (length != 2 * xs.length || length != 2 * ps.length)
        throw Failure("discrete_construction",
                      "Az xs és ps vektoroknak fele olyan hosszúnak kell lennie, mint a moments "
                      "vektornak!",
                      FailureCode::computation);

    int n = length / 2;
    Vector coefficients(n + 1);
    Matrix minor(n);
    // Expansion of Q along its last row: the cofactor of t^i.  Each minor is
    // written whole, so the decomposition may take the cells of the one before.
    for (int i = 0; i <= n; ++i) {
        fill_without_column(moments, i, minor);
        double determinant = minor.ludet_in_place();
        coefficients[i] = (i + n) % 2 == 0 ? determinant : -determinant;
    }

    roots(coefficients, xs, diagnostics);

    Vector first_moments(moments);
    first_moments.drop(-n);
    vandermonde(xs, ps, first_moments);

    for (int i = 0; i < ps.length; ++i)
        if (outside_probability_range(ps[i]))
            throw Failure("discrete_construction", "ps nem esik 0 és 1 közé!",
                          FailureCode::computation);
}
