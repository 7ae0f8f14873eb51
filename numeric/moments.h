// SPDX-License-Identifier: Apache-2.0
#pragma once
// Binomial coefficients and the linear change of variable of a moment sequence.

#include "vector.h"

double binomial(int n, int k);
// Replaces the moments E[X^i] in place by E[(scale * X + shift)^i].
void transform_moments(Vector& moments, double scale, double shift);
