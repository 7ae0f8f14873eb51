#pragma once
// Sharp bounds on a distribution function from its moments.
//
// For a support S (type 0 the whole line, 1 the half-line [lower, inf), 2 the
// interval [lower, upper]) and moments mu0 = 1, mu1, ..., mu(n-1), the bounds
//
//     L = inf P(X < x),   U = sup P(X <= x)
//
// over every distribution on S with exactly these moments.  The work is split
// in two: analyse_moments() examines the moment list once (standardisation,
// the Hankel forms of S through the Chebyshev algorithm, the verdict and, when
// the moments pin one distribution down, its atoms); sharp_bounds_at() then
// answers a position in O(n^2) from that analysis (the canonical representation
// through x, built as a Gauss-Radau rule of the chosen Hankel form).
//
// Verdicts:
//   sharp        the moments are in the interior of the moment space (possibly
//                after dropping the top moments that the data do not resolve);
//                the bounds are the sharp ones for the moments used.
//   determinate  the moments lie on the boundary: exactly one distribution has
//                them, a finite set of atoms; the bounds are its F(x-) and F(x),
//                widened by their own rounding uncertainty.
//   infeasible   no distribution on S has these moments.
//   invalid      the request is unusable (no moments, mu0 != 1, a value that is
//                not finite, limits that do not make a support).
//
// The numerical layer: no Qt, no error log.  Everything is reported through
// the returned values.

#include "sharp/detail.h"

#include <string>
#include <vector>

enum class SharpStatus { sharp, determinate, infeasible, invalid };

// "sharp", "determinate", "infeasible", "invalid".
const char* status_name(SharpStatus status);

// "1", "t-a", "b-t", "(t-a)(b-t)".
const char* weight_name(SharpWeight weight);

struct SharpAtom {
    double point = 0.0; // in the units of X
    double mass = 0.0;
};

// The analysis of one moment list for one support.  The fields below the
// public ones are the state that sharp_bounds_at() needs; treat them as opaque.
struct SharpAnalysis {
    SharpStatus status = SharpStatus::invalid;
    int moments_given = 0; // the count passed in
    int moments_used = 0;  // moments the verdict and the bounds rest on
    std::string message;   // one sentence on the verdict
    // status determinate: the distribution, ascending points, in the units of X.
    std::vector<SharpAtom> atoms;
    // status determinate: how far its bounds are widened for the rounding
    // uncertainty of the atoms and masses (0 otherwise).
    double widening = 0.0;

    // --- state for the positions ---
    int type = 0;
    double lower = 0.0;
    double upper = 0.0;
    double centre = 0.0; // X' = (X - centre) / scale
    double scale = 1.0;
    double lower_std = 0.0; // a'
    double upper_std = 0.0; // b'
    int form_count = 0;     // forms of the degree used (status sharp)
    std::array<sharp_detail::Form, 2> forms{};
    sharp_detail::Discrete determinate{}; // status determinate
    bool has_hull_partner = false;        // status sharp: widen to this distribution too
    sharp_detail::Discrete hull_partner{};
};

// type: 0 whole line, 1 [lower, inf), 2 [lower, upper].  lower is read for
// types 1 and 2, upper for type 2.  moments[0..count-1] are mu0 .. mu(count-1).
SharpAnalysis analyse_moments(int type, double lower, double upper, const double* moments,
                              int count);

struct SharpBounds {
    double lower_bound = 0.0;                  // L, a bound for P(X < x)
    double upper_bound = 1.0;                  // U, a bound for P(X <= x)
    SharpStatus status = SharpStatus::invalid; // the analysis' status; invalid for a bad x
    // status sharp, x inside S: the largest mass any such distribution can put
    // at x, and the form whose representation gave the bounds.
    double mass_at_position = 0.0;
    SharpWeight weight = SharpWeight::one;
};

// The bounds at one position.  For infeasible and invalid analyses, and for a
// position that is not finite, the neutral pair 0 and 1 with that status.
SharpBounds sharp_bounds_at(const SharpAnalysis& analysis, double position);
