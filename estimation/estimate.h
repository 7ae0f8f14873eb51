#pragma once
// The classic estimation: the one entry point through which every front end
// (the dialog, vendrill-cli, the tests) gets its bounds.
//
// For the support chosen it runs the driver of that support, which tries its
// own kind of attempt and then the weaker ones (the interval driver the
// half-line and whole-line attempts too, the half-line driver the whole-line
// ones).  A failed attempt is reported through the context and contributes
// nothing; a failure outside the attempts (no memory for the moments' copy)
// leaves as a Failure, which the caller reports.

#include "estimation/context.h"
#include "numeric/support.h"
#include "numeric/vector.h"

// Which kind of attempt tightened a bound last (the historic numbers 0 to 3).
enum class Outcome {
    none = 0,       // no attempt tightened anything: the bounds are 0 and 1
    whole_line = 1, // a (-inf, inf) attempt
    half_line = 2,  // a [lower, inf) attempt
    interval = 3,   // a [lower, upper] attempt
};

constexpr int outcome_index(Outcome outcome) {
    return static_cast<int>(outcome);
}

struct Estimate {
    double lower_bound = 0.0; // for P(X < position)
    double upper_bound = 1.0; // for P(X <= position)
    Outcome outcome = Outcome::none;
};

// lower is read for the half-line and the interval, upper for the interval.
// The moments are left as they are.
Estimate estimate(Support support, double position, double lower, double upper,
                  const Vector& moments, EstimationContext& context);
// The same on count moments (count >= 1) copied from moments.
Estimate estimate(Support support, double position, double lower, double upper,
                  const double* moments, int count, EstimationContext& context);
