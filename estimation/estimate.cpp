// SPDX-License-Identifier: Apache-2.0
#include "estimation/estimate.h"

#include "estimation/bounded.h"
#include "estimation/moments_about.h"
#include "estimation/normal.h"
#include "estimation/positive.h"
#include "estimation/tolerances.h"

namespace {

// The analysis gives bounds that hold for every distribution on the support
// with these moments (up to their rounding).  With every moment used they are
// the sharp ones, so a classic bound beyond them is proved wrong.  With only
// the first N used they are the sharp bounds of those N, which every
// distribution with all the moments obeys too: a classic bound beyond them
// rests on moments that the data do not resolve against their own rounding,
// and is widened as well (the off-centre lists where the classic bounds
// excluded laws that reproduce the given doubles exactly were of this kind).
bool bounds_hold(const SharpAnalysis& analysis) {
    return analysis.status == SharpStatus::sharp || analysis.status == SharpStatus::determinate;
}

// The smaller (lower) or larger (upper) bound, where a classic value that is
// not a number counts as no bound at all.
double wider_lower(double classic, double sharp) {
    return classic <= sharp ? classic : sharp;
}
double wider_upper(double classic, double sharp) {
    return classic >= sharp ? classic : sharp;
}

} // namespace

ClassicEstimation::ClassicEstimation(Support support, double lower, double upper,
                                     const double* moments, int count, EstimationContext& context,
                                     double centre)
    : support_(support), lower_(lower), upper_(upper), moments_(moments, count), context_(&context),
      analysis_(analyse_moments(support, lower, upper, moments_.data, moments_.length, centre)),
      guards_(bounds_hold(analysis_)) {
    make_raw(centre);
}

ClassicEstimation::ClassicEstimation(Support support, double lower, double upper,
                                     const Vector& moments, EstimationContext& context,
                                     double centre)
    : support_(support), lower_(lower), upper_(upper), moments_(moments), context_(&context),
      analysis_(analyse_moments(support, lower, upper, moments_.data, moments_.length, centre)),
      guards_(bounds_hold(analysis_)) {
    make_raw(centre);
}

// The drivers work on raw moments: moments about a centre are shifted to 0
// in place (the analysis above already has them as given).
void ClassicEstimation::make_raw(double centre) {
    if (centre == 0.0)
        return;
    const std::vector<double> raw = raw_moments(moments_.data, moments_.length, centre);
    for (int i = 0; i < moments_.length; ++i)
        moments_[i] = raw[static_cast<std::size_t>(i)];
}

Estimate ClassicEstimation::drivers_at(double position) const {
    switch (support_) {
    case Support::whole:
        return estimate_normal(moments_, position, *context_);
    case Support::half:
        return estimate_positive(moments_, position, lower_, *context_);
    case Support::interval:
        return estimate_bounded(moments_, position, lower_, upper_, *context_);
    }
    return Estimate{};
}

Estimate ClassicEstimation::at(double position) const {
    Estimate e = drivers_at(position);
    if (e.lower_bound > e.upper_bound) {
        // L bounds P(X < x) from below and U bounds P(X <= x) from above, so
        // bounds that cross (by rounding, seen at some 1e-16 to 1e-13) cannot
        // both hold.  Swapping them is the widening that keeps every value
        // that was right: if L held, U < L <= P(X < x) makes U a valid lower
        // bound; if U held, L > U >= P(X <= x) makes L a valid upper bound;
        // and the pair holds outright whenever the true P(X < x), P(X <= x)
        // lie between the two values the drivers rounded apart.  Meeting in
        // the middle instead would move a right bound past the true value.
        const double crossed_lower = e.lower_bound;
        e.lower_bound = e.upper_bound;
        e.upper_bound = crossed_lower;
        e.guard = GuardVerdict::widened;
    }
    if (analysis_.status == SharpStatus::infeasible) {
        e.guard = GuardVerdict::infeasible;
        return e;
    }
    if (!guards_)
        return e;
    const SharpBounds sharp = sharp_bounds_at(analysis_, position);
    if (sharp.status == SharpStatus::invalid)
        return e;
    using estimation_tolerance::guard_margin;
    const bool lower_wrong = !(e.lower_bound <= sharp.lower_bound + guard_margin);
    const bool upper_wrong = !(e.upper_bound >= sharp.upper_bound - guard_margin);
    if (lower_wrong || upper_wrong) {
        e.lower_bound = wider_lower(e.lower_bound, sharp.lower_bound);
        e.upper_bound = wider_upper(e.upper_bound, sharp.upper_bound);
        e.guard = GuardVerdict::widened;
    }
    return e;
}

Estimate estimate(Support support, double position, double lower, double upper,
                  const Vector& moments, EstimationContext& context, double centre) {
    return ClassicEstimation(support, lower, upper, moments, context, centre).at(position);
}

Estimate estimate(Support support, double position, double lower, double upper,
                  const double* moments, int count, EstimationContext& context, double centre) {
    return ClassicEstimation(support, lower, upper, moments, count, context, centre).at(position);
}
