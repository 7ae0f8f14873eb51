// SPDX-License-Identifier: Apache-2.0
#pragma once
// Symmetric tridiagonal (Jacobi) matrices of a three-term recurrence: diagonal
// alpha[0..n-1], squared off-diagonals beta[1..n-1] (beta[i] couples rows i-1
// and i; beta[0] is the total mass of the measure and is not part of J).

namespace sharp_detail {

// Number of eigenvalues of J_n below t (Sturm count of the LDL^T pivots of
// J_n - tI).  A zero pivot is replaced by a tiny positive one.
int count_below(const double* alpha, const double* beta, int n, double t);

// The eigenvalues of J_n (the zeros of P_n), ascending, by Sturm bisection.
void eigenvalues(const double* alpha, const double* beta, int n, double* out);

// sum_(j<=m) p_j(t)^2 with the orthonormal polynomials of the measure
// (p_0 = 1/root_beta_0).  Needs alpha[0..m-1] and root_beta[0..m].  Returns
// +infinity where the sum overflows.
double christoffel_sum(const double* alpha, const double* root_beta, int m, double t);

// The eigenvalue of the (m+1)x(m+1) matrix J~ = J_m extended by the diagonal
// entry alpha_tilde (coupled through beta[m]) that lies in (lo, hi), where J~
// has exactly one eigenvalue and no zero of P_m.  Safeguarded Newton on the
// last pivot of J~ - tI, with bisection whenever a step leaves the bracket.
double radau_node(const double* alpha, const double* beta, int m, double alpha_tilde, double lo,
                  double hi);

// The same for count brackets (lo[i], hi[i]) of one J~ at once.  Without
// start, node i is found by exactly the steps radau_node takes (from the
// middle of its bracket), so the nodes do not depend on how many are
// searched together; the searches take their steps side by side, which
// keeps the processor busy where one search alone waits on its own
// recurrence.  With start, the search of bracket i starts at start[i]
// instead, where that lies well inside the bracket (not next to an end,
// where the pole of the pivot would make tiny Newton steps look converged);
// the safeguards are the same.  A node so found is kept only where the last
// pivot, 16 units of roundoff (of the node's magnitude plus one) on either
// side of it, changes sign the right way and falls by what its slope says
// (to a factor 2); otherwise, where rounding dominates the pivot, it is
// searched again from the middle.  A kept node is then within those 16 units
// of the node the search from the middle finds, not the same to the bit.
void radau_nodes(const double* alpha, const double* beta, int m, double alpha_tilde,
                 const double* lo, const double* hi, const double* start, int count, double* out);

// Gershgorin interval [lo, hi] of J~ (alpha_tilde in the last row); m >= 0.
void gershgorin(const double* alpha, const double* beta, int m, double alpha_tilde, double& lo,
                double& hi);
// The same over the first m rows of J~ only (m >= 1): they do not depend on
// alpha_tilde.  With last = sqrt(beta[m]), the interval of J~ is then
// [min(lo, alpha_tilde - last), max(hi, alpha_tilde + last)], the same numbers.
void gershgorin_rows(const double* alpha, const double* beta, int m, double& lo, double& hi,
                     double& last);

} // namespace sharp_detail
