#pragma once
// Real roots of a polynomial (coefficients in ascending powers) by Laguerre's
// iteration with deflation and refinement.

#include "complex.h"
#include "vector.h"

Complex oneroot(const Vector& polynomial, Complex start);
void roots(const Vector& polynomial, Vector& results);
