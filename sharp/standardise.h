// SPDX-License-Identifier: Apache-2.0
#pragma once
// Standardisation of a moment list: the moments of t = (X - mean) / scale,
// and the tolerance of the given moments carried into those units.
//
// The given moments are rounded numbers.  Moment j (about the given centre c)
// is taken to be known to tolerance_factor * M_j, where M_j estimates
// E|X - c|^j from the list itself: |c_j| for even j; for odd j the larger of
// |c_j| and the Lyapunov value M_(j-1)^(j/(j-1)) (j >= 3), or sqrt(M_2) for
// j = 1 when the second moment is given.  A moment given as exactly 0 thus
// still has a tolerance.

#include "sharp/detail.h"
#include "sharp/double_double.h"

namespace sharp_detail {

// C(n, k), exact for the sizes used here.
double binomial(int n, int k);

// value / scale^power without overflow or underflow of scale^power.
double divide_by_power(double value, double scale, int power);

// The tolerance of each given moment (in the units of X^j), c[0..n-1].
void moment_tolerances(const double* c, int n, double* tolerance);

// Units from the given moments about centre, for a mean `shift` from it and
// a positive scale (a power of two, so that dividing by its powers is exact).
// z_dd receives the standardised moments in double-double.
void standardise(const double* c, int n, double centre, double scale, Units& units,
                 DoubleDouble* z_dd);

// (value - centre - shift) / scale, rounded once, with its rounding bound.
double standardised_position(const Units& units, double value, double* error = nullptr);

} // namespace sharp_detail
