// SPDX-License-Identifier: Apache-2.0
#pragma once
// Real roots of a polynomial (coefficients in ascending powers) by Laguerre's
// iteration with deflation and refinement.

#include "numeric/complex.h"
#include "numeric/diagnostics.h"
#include "numeric/vector.h"

Complex oneroot(const Vector& polynomial, Complex start);
// The not-real-root line, when a refined root is not real, goes to diagnostics.
void roots(const Vector& polynomial, Vector& results, const DiagnosticSink& diagnostics);
