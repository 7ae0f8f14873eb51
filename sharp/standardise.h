#pragma once
// Standardisation of a moment list: the moments of X' = (X - centre) / scale,
// with the rounding level of the given moments carried into those units.

#include "sharp/detail.h"

namespace sharp_detail {

struct Standardised {
    int count = 0;
    double z[sharp_max_moments] = {};
    double zbar[sharp_max_moments] = {}; // rounding level of the data in these units
    double lower = 0.0;                  // a'
    double upper = 0.0;                  // b'
};

// C(n, k), exact for the sizes used here.
double binomial(int n, int k);

// value / scale^power without overflow or underflow of scale^power.
double divide_by_power(double value, double scale, int power);

// z_j = E[((X - centre)/scale)^j] from c_0 .. c_(n-1), the shift summed in
// double-double because its terms cancel; zbar_j = the sum of the |terms| in
// the same units.  z_0 = 1, z_1 = 0 and z_2 = 1 are set exactly.
void standardise(const double* c, int n, double centre, double scale, Standardised& s);

} // namespace sharp_detail
