// SPDX-License-Identifier: Apache-2.0
#include "numeric/vandermonde.h"

#include "numeric/failure.h"

void vandermonde(const Vector& xs, Vector& ws, const Vector& qs) {
    const int n = xs.length;
    if (n < 1 || ws.length != n || qs.length != n)
        throw Failure("vandermonde", "Hibás paramétermegadás!", FailureCode::computation);
    if (n == 1) {
        ws[0] = qs[0];
        return;
    }
    // c holds the coefficients of (t - xs[0]) * ... * (t - xs[n-1]), lowest first.
    Vector c(n + 1);
    c[0] = 1.0;
    for (int i = 1; i <= n; ++i) {
        const double root = xs[i - 1];
        for (int k = i; k >= 1; --k)
            c[k] = (-root) * c[k] + c[k - 1];
        c[0] = (-root) * c[0];
    }
    // Dividing the master polynomial by (t - y) gives the coefficients b of a
    // polynomial that vanishes at every other point; s pairs them with the
    // moments and d is its value at y.
    for (int i = 0; i < n; ++i) {
        const double y = xs[i];
        double b = c[n];
        double s = b * qs[n - 1];
        double d = 1.0;
        for (int k = n - 1; k >= 1; --k) {
            b = y * b + c[k];
            s = s + b * qs[k - 1];
            d = y * d + b;
        }
        ws[i] = s / d;
    }
}
