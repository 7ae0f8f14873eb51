// SPDX-License-Identifier: Apache-2.0
#pragma once
// Discrete distributions behind the bounds: the mass at the origin that makes
// a Hankel determinant vanish, and the N-point distribution of 2N moments.

#include "numeric/diagnostics.h"
#include "numeric/vector.h"

double solve_linear_det_eq(const Vector& moments);
// moments loses its last element when its length is odd (visible to the caller).
// The root finder's diagnostic lines go to diagnostics.
void discrete_construction(Vector& moments, Vector& xs, Vector& ps,
                           const DiagnosticSink& diagnostics);
