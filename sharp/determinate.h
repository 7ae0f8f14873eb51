// SPDX-License-Identifier: Apache-2.0
#pragma once
// The one distribution of a Hankel form that is singular: the Gauss rule of
// its measure divided by the weight, plus the end masses, and its check
// against the given moments within their tolerances.

#include "numeric/support.h"
#include "sharp/detail.h"
#include "sharp/recurrence.h"

namespace sharp_detail {

// The distribution of a form singular at order r, in standardised units;
// atoms within tol_position of an end are put on it.
Discrete determinate_distribution(const Recurrence& rec, int r, const Units& units,
                                  Support support);

enum class Fit { within_tolerance, near, contradicts };

// How well the distribution reproduces moments 0..dd, judged in the basis of
// the given moments; also false support or mass signs count as contradicts.
// Drops the (accepted) negative masses.
Fit check_distribution(Discrete& dist, Support support, int dd, const Units& units);

} // namespace sharp_detail
