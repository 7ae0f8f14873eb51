// SPDX-License-Identifier: Apache-2.0
// The sharp bounds are never looser than the classic estimation's where the
// classic drivers tightened anything at all, apart from the widening that
// keeps them valid within the moments' tolerance.

#include "estimation/estimate.h"
#include "numeric/vector.h"
#include "sharp/sharp.h"
#include "tests/sharp/known_distributions.h"
#include "tests/support/contexts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class SharpAgainstClassic : public ::testing::Test {};

struct Classic {
    double lower_bound = 0.0;
    double upper_bound = 1.0;
    int outcome = 0;
};

// The classic estimation with neither log nor diagnostics.
Classic classic_bounds(const SupportChoice& s, const std::vector<double>& c, double x) {
    EstimationContext quiet = test_support::quiet_context();
    const Estimate e =
        estimate(s.support, x, s.lower, s.upper, c.data(), static_cast<int>(c.size()), quiet);
    return Classic{e.lower_bound, e.upper_bound, outcome_index(e.outcome)};
}

TEST_F(SharpAgainstClassic, NeverLooser) {
    int compared = 0;
    int tighter = 0;
    for (const KnownDistribution& d : known_distributions()) {
        for (const SupportChoice& support : supports_of(d)) {
            for (int count : {3, 4, 5, 6, 7, 8, 9, 11}) {
                std::vector<double> c = d.moments(count);
                SharpAnalysis analysis =
                    analyse_moments(support.support, support.lower, support.upper, c.data(), count);
                for (double x : test_positions(d)) {
                    Classic classic = classic_bounds(support, c, x);
                    if (classic.outcome == 0)
                        continue;
                    SharpBounds sharp = sharp_bounds_at(analysis, x);
                    ++compared;
                    std::string where = d.name + " type " +
                                        std::to_string(support_index(support.support)) +
                                        " n=" + std::to_string(count) + " x=" + std::to_string(x);
                    // Apart from the widening that keeps them valid for every
                    // list within the moments' tolerance.
                    double slack = 1e-7 + sharp.widening;
                    EXPECT_GE(sharp.lower_bound, classic.lower_bound - slack) << where;
                    EXPECT_LE(sharp.upper_bound, classic.upper_bound + slack) << where;
                    if (sharp.upper_bound - sharp.lower_bound <
                        classic.upper_bound - classic.lower_bound - 1e-6)
                        ++tighter;
                }
            }
        }
    }
    EXPECT_GT(compared, 500);
    // The method exists because the classic estimation is often loose.
    EXPECT_GT(tighter, compared / 10);
    std::printf("compared %d, strictly tighter %d\n", compared, tighter);
}

// The requests of the worked examples where the two differ.
TEST_F(SharpAgainstClassic, WorkedDifferences) {
    std::vector<double> u4 = uniform(0.0, 1.0).moments(4);
    Classic classic = classic_bounds({Support::interval, 0.0, 1.0}, u4, 0.1);
    EXPECT_NEAR(classic.upper_bound, 0.342466, 1e-6);
    SharpAnalysis analysis = analyse_moments(Support::interval, 0.0, 1.0, u4.data(), 4);
    EXPECT_NEAR(sharp_bounds_at(analysis, 0.1).upper_bound, 0.280584, 1e-6);

    std::vector<double> coin{1.0, 0.0, 1.0, 0.0, 1.0};
    Classic classic_coin = classic_bounds({Support::whole, 0.0, 0.0}, coin, -0.3);
    EXPECT_NEAR(classic_coin.lower_bound, 0.0, 1e-9);
    EXPECT_NEAR(classic_coin.upper_bound, 0.917431, 1e-6);
}

} // namespace
