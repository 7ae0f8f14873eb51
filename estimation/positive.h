#pragma once
// Estimation on a half-line [lower, inf).

#include "numeric/vector.h"

void mass_positive(Vector& moments, double& mass_at_position, double& mass_at_lower);
void trypositive(Vector& moments, double position, double lower, double& lower_bound,
                 double& upper_bound);
// outcome 2 when a half-line attempt tightened a bound last, 1 a whole-line one, 0 none.
void estimate_positive(const Vector& moments, double position, double lower, double& lower_bound,
                       double& upper_bound, int& outcome);
