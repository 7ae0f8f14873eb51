#pragma once
// Estimation on the whole line (-inf, inf).

#include "numeric/vector.h"

void mass_normal(Vector& moments, double& mass);
// One attempt; works on the caller's vector in place (pass a scratch copy).
void trynormal(Vector& moments, double position, double& lower_bound, double& upper_bound);
// The driver: never lets an attempt's error out; outcome 1 when a bound was
// tightened, 0 otherwise (bounds 0 and 1).
void estimate_normal(const Vector& moments, double position, double& lower_bound,
                     double& upper_bound, int& outcome);
