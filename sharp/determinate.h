#pragma once
// The one distribution of a Hankel form that is singular: the Gauss rule of
// its measure divided by the weight, plus the end masses, with the
// uncertainty of its atoms and its check against the moments.

#include "sharp/detail.h"
#include "sharp/recurrence.h"
#include "sharp/standardise.h"

namespace sharp_detail {

// The distribution of a form singular at order r, in standardised units.
Discrete determinate_distribution(const Recurrence& rec, int r, const Standardised& s);

// Checks the distribution against the support (type), the signs of its
// masses and the moments up to degree dd, with tolerances that include its
// own uncertainty.
bool verify(const Discrete& dist, int type, int dd, const Standardised& s);

// Drops the negative masses that verification accepted and turns the node
// uncertainties into position tolerances.
void finish_distribution(Discrete& dist);

} // namespace sharp_detail
