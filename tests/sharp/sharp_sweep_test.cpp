// SPDX-License-Identifier: Apache-2.0
// SharpSweep against sharp_bounds_at: the positions of a sweep, in order, in
// reverse and repeated, get exactly the bounds, status, form and mass at x
// of each position alone, and the bounds hold for the distributions
// themselves.

#include "sharp/sharp.h"
#include "tests/sharp/known_distributions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

struct SweepCase {
    KnownDistribution law;
    SupportChoice support;
    int count;
};

std::string describe(const SweepCase& c, double x) {
    return c.law.name + " type " + std::to_string(support_index(c.support.support)) + " [" +
           std::to_string(c.support.lower) + ", " + std::to_string(c.support.upper) +
           "] n=" + std::to_string(c.count) + " x=" + std::to_string(x);
}

// Two clusters of width 1e-4 (the analysis needs double-double) and the
// known distributions on every support that holds them.
std::vector<SweepCase> sweep_cases() {
    std::vector<SweepCase> cases;
    KnownDistribution clusters = mixture(uniform(0.2, 0.2001), uniform(0.7, 0.7001), 0.4);
    clusters.name = "two_clusters";
    for (int count : {9, 13})
        cases.push_back({clusters, {Support::interval, 0.0, 1.0}, count});
    for (const KnownDistribution& law : known_distributions())
        for (const SupportChoice& support : supports_of(law))
            for (int count : {5, 7, 9, 15})
                cases.push_back({law, support, count});
    return cases;
}

// A fine ascending grid, the same descending, the test positions (in no
// order) and one of them twice.
std::vector<double> sweep_positions(const KnownDistribution& law) {
    std::vector<double> xs;
    double lo = std::max(law.min, law.mean - 4.0 * law.sd);
    double hi = std::min(law.max, law.mean + 4.0 * law.sd);
    for (int i = 0; i <= 150; ++i)
        xs.push_back(lo + (hi - lo) * i / 150.0);
    for (int i = 150; i >= 0; --i)
        xs.push_back(lo + (hi - lo) * (i + 0.37) / 150.0);
    for (double x : test_positions(law))
        xs.push_back(x);
    xs.push_back(xs[20]);
    xs.push_back(xs[20]);
    return xs;
}

TEST(SharpSweep, EqualsEachPositionAlone) {
    int compared = 0;
    for (const SweepCase& c : sweep_cases()) {
        std::vector<double> moments = c.law.moments(c.count);
        SharpAnalysis analysis = analyse_moments(c.support.support, c.support.lower,
                                                 c.support.upper, moments.data(), c.count);
        ASSERT_TRUE(analysis.status == SharpStatus::sharp ||
                    analysis.status == SharpStatus::determinate)
            << describe(c, 0.0);
        SharpSweep sweep(analysis);
        for (double x : sweep_positions(c.law)) {
            const SharpBounds alone = sharp_bounds_at(analysis, x);
            const SharpBounds swept = sweep.at(x);
            const std::string where = describe(c, x);
            EXPECT_EQ(swept.lower_bound, alone.lower_bound) << where;
            EXPECT_EQ(swept.upper_bound, alone.upper_bound) << where;
            EXPECT_EQ(swept.status, alone.status) << where;
            EXPECT_EQ(swept.weight, alone.weight) << where;
            EXPECT_EQ(swept.mass_at_position, alone.mass_at_position) << where;
            EXPECT_GE(c.law.cdf_below(x), swept.lower_bound - 1e-7) << where;
            EXPECT_LE(c.law.cdf(x), swept.upper_bound + 1e-7) << where;
            ++compared;
        }
    }
    EXPECT_GT(compared, 60000);
}

} // namespace
