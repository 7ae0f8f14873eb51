// SPDX-License-Identifier: Apache-2.0
#pragma once
// Dual polynomials: the proof behind every bound.
//
// U = sup P(X <= x) over the distributions with given moments is at most
// sum_j P_j c_j for every polynomial P >= 1{t <= x} on the support, and the
// sharp U is attained by the Hermite interpolant through the nodes of the
// canonical representation (1 at the nodes up to x, 0 above, slope 0 at the
// interior nodes).  The same P bounds U for every moment list c' within the
// tolerances: sum P_j c'_j <= sum P_j c_j + sum |P_j| tol_j, with P written
// in the basis of the given moments.  Likewise L with P <= 1{t < x}.  Any set
// of nodes gives a valid polynomial of this kind (the interpolant keeps its
// sign pattern), so rounding in the nodes costs only tightness, never
// validity; the rounding of the coefficients themselves is measured at the
// nodes and added.

#include "numeric/support.h"
#include "sharp/detail.h"

namespace sharp_detail {

struct CertNode {
    double t = 0.0;
    bool touch = false; // interior node: value and slope 0 prescribed
};

struct Certificate {
    bool ok = false;        // false: the polynomial could not be formed in double
    double value = 0.0;     // sum P_j z_j, the bound for the given moments
    double widening = 0.0;  // tolerance + arithmetic + slack
    double tolerance = 0.0; // the moments' tolerance seen through P
    double slack = 0.0;     // how far rounding may let P cross the step
};

// The dual polynomial of degree (conditions - 1) through x (single node) and
// nodes (touch or single), for U (upper: P >= 1{t <= x}) or L (P <= 1{t < x}).
// x_error: rounding of x in standardised units.  Needs conditions <= the
// number of moments.  On an unbounded support (the whole line: both sides, the half-line: above)
// the polynomial must also head the right way at infinity, else it is refused.
Certificate hermite_certificate(const Units& units, Support support, double x, double x_error,
                                const CertNode* nodes, int count, bool upper);

// Both at once (U and L through the same nodes differ only at x).
void hermite_certificates(const Units& units, Support support, double x, double x_error,
                          const CertNode* nodes, int count, Certificate& up, Certificate& down);

// The Gauss-type dual polynomial G(t) = w(t) prod (t - r_i)^2 of a form
// (weight polynomial w, roots r_i), scaled by G(x): for x beyond every root
// (and inside the support), P(X beyond x) <= E G / G(x).  Returns
// E G plus its widening in `value`; `scale` = G(x) (may be infinite).
Certificate gauss_certificate(const Units& units, const double* weight, int weight_degree,
                              const double* roots, int count, double x, double& scale);

} // namespace sharp_detail
