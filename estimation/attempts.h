// SPDX-License-Identifier: Apache-2.0
#pragma once
// The loop that every driver runs for each kind of attempt: the caller's
// moments, then the same moments with the last 2, 4, ... cut off, for as long as
// at least min_length remain.  Each attempt gets a fresh scratch copy, since the
// attempt routines truncate and transform the vector they are given.

#include <algorithm>

#include "estimation/context.h"
#include "estimation/estimate.h"
#include "numeric/failure.h"
#include "numeric/vector.h"

// The bounds a driver has kept so far and the kind of attempt that last tightened one.
struct KeptBounds {
    double lower = 0.0;
    double upper = 1.0;
    Outcome outcome = Outcome::none;

    // Only a strict improvement counts: an equal bound changes neither bound nor outcome.
    // An attempt's bound beyond the end of [0, 1] (the rounding of a bound that
    // is 0 or 1, or moments no distribution has) is taken at that end: a
    // probability's bound is never outside, and the change only widens.
    void offer(double lower_bound, double upper_bound, Outcome kind) {
        lower_bound = std::min(lower_bound, 1.0);
        upper_bound = std::max(upper_bound, 0.0);
        if (lower_bound > lower) {
            lower = lower_bound;
            outcome = kind;
        }
        if (upper_bound < upper) {
            upper = upper_bound;
            outcome = kind;
        }
    }

    Estimate estimate() const { return Estimate{lower, upper, outcome}; }
};

// attempt(Vector& scratch, double& l, double& u) is one estimation; a failure
// leaves it as a thrown Failure, and only that is caught: its report goes to
// the context's log, the failed attempt contributes nothing and the next one
// runs.
template <class Attempt>
void run_attempts(const Vector& moments, int min_length, Outcome kind, const char* driver_name,
                  const char* not_applicable, const EstimationContext& context, KeptBounds& kept,
                  Attempt attempt) {
    for (int cut = 0; moments.length - cut >= min_length; cut += 2) {
        Vector scratch(moments);
        scratch.drop(-cut);
        double l = 0.0;
        double u = 1.0;
        try {
            attempt(scratch, l, u);
        } catch (const Failure& failure) {
            context.report(failure);
            report_warning(driver_name, not_applicable);
            continue;
        }
        kept.offer(l, u, kind);
    }
}
