// SPDX-License-Identifier: Apache-2.0
// Point masses as quotients of two determinants of equal order built from the moments.

#include "estimation/determinant_ratio.h"

#include <cmath>

#include "estimation/tolerances.h"
#include "numeric/failure.h"
#include "numeric/matrix.h"

// The mass at the point 1 of a distribution on [0, 1]: the numerator has the
// moments in its first row, the denominator ones; the other rows hold the
// differences m(i+j) - m(i+j-1) in both.  Reads m0 .. m(2n-2).
double superdet(const Vector& moments) {
    if (moments.length % 2 == 0)
        report_warning("superdet", "Páratlan számú momentum kell!");

    int n = (moments.length + 1) / 2;
    Matrix numerator(n);
    Matrix denominator(n);
    for (int j = 0; j < n; ++j) {
        numerator[0][j] = moments[j];
        denominator[0][j] = 1.0;
    }
    for (int i = 1; i < n; ++i)
        for (int j = 0; j < n; ++j)
            numerator[i][j] = denominator[i][j] = moments[i + j] - moments[i + j - 1];

    double denominator_det = denominator.ludet_in_place();
    if (within_zero_tolerance(denominator_det))
        throw Failure("superdet", "A nevezőben levő determináns 0!", FailureCode::computation);
    return numerator.ludet_in_place() / denominator_det;
}

// The mass at the point x (strictly inside (0, 1)) of a distribution on [0, 1]
// that may also carry masses at 0 and 1.  Reads m1 .. m(2n).  A zero
// denominator is left to the callers' range checks (the quotient is then
// infinite or not a number).
double hyperdet(const Vector& moments, double x) {
    PowerTable powers_of_x(x);
    return hyperdet(moments, x, powers_of_x);
}

double hyperdet(const Vector& moments, double x, PowerTable& powers_of_x) {
    if (position_at_zero_or_one(x))
        throw Failure("hyperdet", "A pozíció nem lehet 0 vagy 1!", FailureCode::computation);
    if (moments.length % 2 == 0)
        report_warning("hyperdet", "Páratlan számú momentum kell!");

    powers_of_x.rebase(x);
    int n = (moments.length - 1) / 2;
    Matrix numerator(n);
    Matrix denominator(n);
    for (int j = 0; j < n; ++j) {
        numerator[0][j] = moments[j + 1] - moments[j + 2];
        denominator[0][j] = powers_of_x(j + 1) - powers_of_x(j + 2);
    }
    for (int i = 1; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            int k = i + j;
            double above = moments[k + 1] - moments[k + 2];
            double below = moments[k] - moments[k + 1];
            numerator[i][j] = denominator[i][j] = above - x * below;
        }
    }

    double denominator_det = denominator.ludet_in_place();
    double numerator_det = numerator.ludet_in_place();
    return numerator_det / denominator_det;
}
