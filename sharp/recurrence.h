// SPDX-License-Identifier: Apache-2.0
#pragma once
// The Hankel forms of a support and the Chebyshev algorithm on their
// weighted moments: recurrence coefficients, pivots, how far each pivot moves
// within the tolerance of the given moments and how far the arithmetic may
// have moved it, run up to the first pivot that is not clearly positive.

#include "numeric/support.h"
#include "sharp/detail.h"
#include "sharp/double_double.h"

namespace sharp_detail {

inline constexpr int max_nu = 2 * max_size + 1;

// What the recurrence met at its last order (interior: nothing, it ran through).
//   boundary      the pivot is zero within the tolerance of the moments
//   negative      negative beyond it: no distribution has these moments
//   unresolved    not a finite number
//   inconclusive  the arithmetic's rounding is too large to tell (double only)
enum class Event { interior, boundary, negative, unresolved, inconclusive };

struct Recurrence {
    SharpWeight weight = SharpWeight::one;
    int largest = -1; // largest form size the degrees need; -1: not needed
    double w[3] = {}; // the weight's coefficients, ascending, standardised
    int w_degree = 0;
    double alpha[max_size + 1] = {};
    double beta[max_size + 1] = {};
    double root_beta[max_size + 1] = {};
    double pivot[max_size + 1] = {};
    double level[max_size + 1] = {}; // movement of d_k within the tolerance
    double error[max_size + 1] = {}; // bound on the arithmetic's error of d_k
    int event_order = 0;             // largest + 1 when no event
    Event event = Event::interior;
};

// The forms whose positivity decides the moments of degree dd on the support;
// returns their count (1 or 2).
int forms_of_degree(Support support, int dd, FormSpec* out);

inline int weight_index(SharpWeight weight) {
    return static_cast<int>(weight);
}

// Runs the recurrence of rec.weight up to rec.largest, in double or (with
// z_dd) in double-double from the same input.
void run_recurrence(Recurrence& rec, const Units& units);
void run_recurrence(Recurrence& rec, const Units& units, const DoubleDouble* z_dd);

// w(t) of a recurrence's weight in standardised units.
double weight_at(const Recurrence& rec, double t);
double weight_at(SharpWeight weight, double lower, double upper, double t);

} // namespace sharp_detail
