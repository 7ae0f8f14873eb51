#pragma once
// The Hankel forms of a support and the Chebyshev algorithm on their
// weighted moments: recurrence coefficients, pivots and the rounding level of
// each pivot, run up to the first pivot the data do not carry.

#include "sharp/detail.h"
#include "sharp/standardise.h"

namespace sharp_detail {

inline constexpr int max_nu = 2 * max_size + 1;

// What the recurrence met at its last order (interior: nothing, it ran through).
enum class Event { interior, unresolved, negative, boundary, loose };

struct Recurrence {
    SharpWeight weight = SharpWeight::one;
    int largest = -1; // largest form size the degrees need; -1: not needed
    double w[3] = {}; // the weight's coefficients, ascending, in standardised units
    int w_degree = 0;
    double nu[max_nu] = {};
    double nubar[max_nu] = {};
    double alpha[max_size + 1] = {};
    double beta[max_size + 1] = {};
    double root_beta[max_size + 1] = {};
    double pivot[max_size + 1] = {};
    double poly[max_size + 1][max_size + 1] = {}; // P_k, ascending coefficients
    int event_order = 0;                          // largest + 1 when no event
    Event event = Event::interior;
};

struct FormSpec {
    SharpWeight weight;
    int size;
};

inline int weight_index(SharpWeight weight) {
    return static_cast<int>(weight);
}

// The forms whose positivity decides the moments of degree dd on the support;
// returns their count (1 or 2).
int forms_of_degree(int type, int dd, FormSpec* out);

// Sets the weight and its coefficients, builds nu = w mu up to order
// 2 * rec.largest with its rounding level, and runs the recurrence.
void run_recurrence(Recurrence& rec, SharpWeight weight, const Standardised& s);

// w(t), P(t) and P'(t) for ascending coefficients.
double weight_at(const Recurrence& rec, double t);
double horner(const double* coefficients, int degree, double t);
double horner_slope(const double* coefficients, int degree, double t);

} // namespace sharp_detail
