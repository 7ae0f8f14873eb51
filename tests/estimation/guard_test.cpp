// SPDX-License-Identifier: Apache-2.0
// The classic estimation guarded by the sharp analysis of the same request:
// widened where a classic bound excludes what the moments allow, the numbers
// kept with a verdict where the moments fit no distribution on the support,
// byte for byte the drivers' answer everywhere else, and one analysis for a
// whole sweep of positions.

#include "estimation/bounded.h"
#include "estimation/estimate.h"
#include "estimation/normal.h"
#include "estimation/positive.h"
#include "tests/sharp/known_distributions.h"
#include "tests/support/contexts.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// The drivers of the support alone: the classic answer before the guard.
Estimate unguarded(Support support, double x, double lower, double upper,
                   const std::vector<double>& moments) {
    EstimationContext quiet = test_support::quiet_context();
    const Vector v(moments.data(), static_cast<int>(moments.size()));
    switch (support) {
    case Support::whole:
        return estimate_normal(v, x, quiet);
    case Support::half:
        return estimate_positive(v, x, lower, quiet);
    case Support::interval:
        return estimate_bounded(v, x, lower, upper, quiet);
    }
    return {};
}

Estimate guarded(Support support, double x, double lower, double upper,
                 const std::vector<double>& moments) {
    EstimationContext quiet = test_support::quiet_context();
    return estimate(support, x, lower, upper, moments.data(), static_cast<int>(moments.size()),
                    quiet);
}

struct GuardRow {
    const char* name;
    Support support;
    double lower;
    double upper;
    double position;
    std::vector<double> moments;
    GuardVerdict guard;
    // Values the answer must hold: L <= below_at_most, U >= above_at_least.
    double below_at_most;
    double above_at_least;
};

class GuardTest : public ::testing::TestWithParam<GuardRow> {};

TEST_P(GuardTest, WidensOnlyWhatTheMomentsDisprove) {
    const GuardRow& c = GetParam();
    const Estimate before = unguarded(c.support, c.position, c.lower, c.upper, c.moments);
    const Estimate after = guarded(c.support, c.position, c.lower, c.upper, c.moments);
    EXPECT_EQ(after.guard, c.guard);
    EXPECT_EQ(after.outcome, before.outcome) << "the guard leaves the outcome alone";
    EXPECT_LE(after.lower_bound, c.below_at_most);
    EXPECT_GE(after.upper_bound, c.above_at_least);
    if (c.guard == GuardVerdict::widened) {
        EXPECT_TRUE(before.lower_bound > c.below_at_most || before.upper_bound < c.above_at_least)
            << "the row shows a classic answer that excludes a possible value";
        EXPECT_LE(after.lower_bound, before.lower_bound);
        EXPECT_GE(after.upper_bound, before.upper_bound);
    } else {
        EXPECT_EQ(after.lower_bound, before.lower_bound);
        EXPECT_EQ(after.upper_bound, before.upper_bound);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, GuardTest,
                         ::testing::Values(
                             // Off-centre moments on an interval: two 7-atom laws on it whose
                             // moments round to exactly these doubles have P(X < x) = 0.3701 and
                             // P(X <= x) = 0.8178; the drivers answer [0.4088, 0.7716].
                             GuardRow{"OffCentreInterval",
                                      Support::interval,
                                      -39.19461606421673,
                                      -38.51174760035478,
                                      -38.82462939323321,
                                      {1.0, -38.89782485588961, 1513.0731796501377,
                                       -58857.77883103116, 2289586.9539372274, -89067604.27135886,
                                       3464908529.7238827},
                                      GuardVerdict::widened,
                                      0.3701,
                                      0.8178},
                             // Beyond the interval's upper end P(X < x) = P(X <= x) = 1, but
                             // the drivers answer L = 1 > U = 1 - 1.1e-16: crossed bounds,
                             // within the guard's margin of the sharp ones, are swapped.
                             GuardRow{"CrossedBeyondTheInterval",
                                      Support::interval,
                                      -18.431372549070257,
                                      28.442299950292028,
                                      43.261177089556284,
                                      {1, -3.3427881429164166, 60.953885744309559,
                                       -356.4753241203943, 9051.4026027956388, -108328.85099459383,
                                       2170255.5032949615, -33256860.030250911, 595064726.28950942},
                                      GuardVerdict::widened,
                                      1,
                                      1},
                             // Mean 2 on [0, 1]: no such distribution; the numbers stay.
                             GuardRow{"MeanTwoOnTheUnitInterval",
                                      Support::interval,
                                      0,
                                      1,
                                      0.5,
                                      {1, 2, 4.5, 9.5, 20},
                                      GuardVerdict::infeasible,
                                      1,
                                      0},
                             // An ordinary list: the drivers' answer, bit for bit.
                             GuardRow{"UniformInterval",
                                      Support::interval,
                                      0,
                                      1,
                                      0.3,
                                      {1, 0.5, 1.0 / 3, 0.25, 0.2, 1.0 / 6, 1.0 / 7},
                                      GuardVerdict::none,
                                      1,
                                      0}),
                         [](const auto& info) { return std::string(info.param.name); });

// A sweep asks one ClassicEstimation at every position: the same answers as
// the one-shot entry point, position by position.
TEST(ClassicEstimation, SweepEqualsOneShotCalls) {
    const std::vector<double> moments = {1.0,
                                         -38.89782485588961,
                                         1513.0731796501377,
                                         -58857.77883103116,
                                         2289586.9539372274,
                                         -89067604.27135886,
                                         3464908529.7238827};
    const double lower = -39.19461606421673;
    const double upper = -38.51174760035478;
    EstimationContext quiet = test_support::quiet_context();
    const ClassicEstimation sweep(Support::interval, lower, upper, moments.data(),
                                  static_cast<int>(moments.size()), quiet);
    EXPECT_EQ(sweep.analysis().status, SharpStatus::sharp);
    int widened = 0;
    for (int i = 0; i <= 40; ++i) {
        const double x = lower - 0.05 + i * (upper - lower + 0.1) / 40;
        const Estimate a = sweep.at(x);
        const Estimate b = guarded(Support::interval, x, lower, upper, moments);
        EXPECT_EQ(a.lower_bound, b.lower_bound) << x;
        EXPECT_EQ(a.upper_bound, b.upper_bound) << x;
        EXPECT_EQ(a.outcome, b.outcome) << x;
        EXPECT_EQ(a.guard, b.guard) << x;
        widened += a.guard == GuardVerdict::widened;
    }
    EXPECT_GT(widened, 0);
}

// Off-centre discrete laws (|mean| / sd from 30 to 1000), where the drivers'
// determinants are rounding noise: the guarded answer holds the generating
// law's F(x-) and F(x) at every position, though the drivers alone do not.
TEST(ClassicEstimation, GuardedAnswersHoldOffCentreLaws) {
    std::mt19937_64 rng(20250907);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    int unguarded_misses = 0;
    for (const double ratio : {30.0, 100.0, 1000.0}) {
        for (int rep = 0; rep < 12; ++rep) {
            const double sd = std::pow(10.0, -2 + 4 * u(rng));
            const double mean = (rep % 2 ? -1 : 1) * ratio * sd;
            std::vector<double> points;
            std::vector<double> masses;
            double total = 0;
            for (int k = 0; k < 3 + rep % 5; ++k) {
                points.push_back(mean + sd * (4 * u(rng) - 2));
                masses.push_back(0.2 + u(rng));
                total += masses.back();
            }
            for (double& m : masses)
                m /= total;
            const KnownDistribution law = discrete(points, masses);
            const double lo = law.min - 0.3 * (law.max - law.min);
            const double hi = law.max + 0.3 * (law.max - law.min);
            std::vector<double> xs = points;
            for (int i = 0; i < 6; ++i)
                xs.push_back(law.min + (law.max - law.min) * u(rng));
            for (int n = 5; n <= 9; ++n) {
                const std::vector<double> m = law.moments(n);
                for (const Support support : {Support::whole, Support::interval}) {
                    for (const double x : xs) {
                        const double below = law.cdf_below(x);
                        const double at = law.cdf(x);
                        const Estimate e = guarded(support, x, lo, hi, m);
                        EXPECT_LE(e.lower_bound, below + 1e-9) << law.name << " n " << n;
                        EXPECT_GE(e.upper_bound, at - 1e-9) << law.name << " n " << n;
                        const Estimate d = unguarded(support, x, lo, hi, m);
                        unguarded_misses +=
                            d.lower_bound > below + 1e-9 || d.upper_bound < at - 1e-9;
                    }
                }
            }
        }
    }
    EXPECT_GT(unguarded_misses, 0) << "the family no longer shows the fault the guard mends";
}

} // namespace
