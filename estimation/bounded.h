#pragma once
// Estimation on a bounded interval [lower, upper].

#include "numeric/vector.h"

void mass_bounded(Vector& moments, double position, double& p, double& q, double& r);
void trybounded(Vector& moments, double position, double lower, double upper,
                double& lower_bound, double& upper_bound);
// outcome 3 bounded, 2 half-line, 1 whole-line attempt tightened a bound last, 0 none.
void estimate_bounded(const Vector& moments, double position, double lower, double upper,
                      double& lower_bound, double& upper_bound, int& outcome);
