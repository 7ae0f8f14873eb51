// SPDX-License-Identifier: Apache-2.0
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
//
// Every answer is guarded by the sharp method (sharp/sharp.h) on the same
// request.  Where its analysis answers (status sharp or determinate), its
// bounds hold for every distribution on the support with these moments up to
// their rounding.  With every moment used they are the sharp bounds, so a
// classic L above the sharp L, or a classic U below the sharp U, by more than
// estimation_tolerance::guard_margin is a wrong bound; with only the first N
// used, such a classic bound rests on moments that the data do not resolve
// against their rounding.  Either way the answer is widened to hold both
// (L = min, U = max).  Where the analysis finds that no distribution on the
// support has these moments, the classic numbers stay and the guard says so.
// Before any of that, a drivers' L above their U (crossed by rounding) is
// swapped back, L = min and U = max, with the verdict widened: crossed bounds
// cannot both hold, and the swap keeps whichever one did.

#include "estimation/context.h"
#include "numeric/support.h"
#include "numeric/vector.h"
#include "sharp/sharp.h"

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

// What the sharp method's check of a classic answer found.
enum class GuardVerdict {
    none,       // nothing to say: the classic bounds are as the drivers gave them
    widened,    // a classic bound excluded what the moments allow; both now hold
    infeasible, // no distribution on the chosen support has these moments
};

struct Estimate {
    double lower_bound = 0.0;        // for P(X < position)
    double upper_bound = 1.0;        // for P(X <= position)
    Outcome outcome = Outcome::none; // as the drivers set it, whatever the guard did
    GuardVerdict guard = GuardVerdict::none;
};

// One classic request (support, limits, moments) guarded by one sharp analysis
// of it, made when the object is built; at() then answers any position, so a
// sweep over many positions analyses the list once.  The context receives the
// reports of failed attempts at every at(); it must outlive the object.
//
// The moments may be given about a centre c (E[(X - c)^k]; raw moments with
// the default 0).  The sharp analysis takes them as they are; the drivers get
// the raw moments (raw_moments() of estimation/moments_about.h), which a
// front end checks to be finite before it asks.
class ClassicEstimation {
public:
    // lower is read for the half-line and the interval, upper for the interval.
    // The moments are copied (count >= 1; otherwise a Failure).
    ClassicEstimation(Support support, double lower, double upper, const double* moments, int count,
                      EstimationContext& context, double centre = 0.0);
    ClassicEstimation(Support support, double lower, double upper, const Vector& moments,
                      EstimationContext& context, double centre = 0.0);

    Estimate at(double position) const;

    // The sharp analysis that guards the answers.
    const SharpAnalysis& analysis() const { return analysis_; }

private:
    Estimate drivers_at(double position) const;
    void make_raw(double centre);

    Support support_;
    double lower_;
    double upper_;
    Vector moments_; // raw moments
    EstimationContext* context_;
    SharpAnalysis analysis_;
    // The analysis answers: its bounds hold and guard the classic ones.
    bool guards_ = false;
};

// One position: ClassicEstimation(...).at(position).  The moments are left as
// they are.
Estimate estimate(Support support, double position, double lower, double upper,
                  const Vector& moments, EstimationContext& context, double centre = 0.0);
// The same on count moments (count >= 1) copied from moments.
Estimate estimate(Support support, double position, double lower, double upper,
                  const double* moments, int count, EstimationContext& context,
                  double centre = 0.0);
