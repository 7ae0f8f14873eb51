// SPDX-License-Identifier: Apache-2.0
#pragma once
#include "vector.h"

// Solves sum_i xs[i]^k * ws[i] = qs[k], k = 0 .. n-1, for the masses ws.
void vandermonde(const Vector& xs, Vector& ws, const Vector& qs);
