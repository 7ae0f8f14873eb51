// SPDX-License-Identifier: Apache-2.0
// The worked examples of the method (values from a 60-digit reference and a
// refined LP), and the handling of unusable requests.

#include "sharp/sharp.h"
#include "tests/sharp/known_distributions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

struct Example {
    const char* name;
    Support support;
    double lower;
    double upper;
    std::vector<double> moments;
    double position;
    SharpStatus status;
    double lower_bound;
    double upper_bound;
};

std::vector<double> uniform_moments(double a, double b, int count) {
    return uniform(a, b).moments(count);
}

const std::vector<double> coin{1.0, 0.0, 1.0, 0.0, 1.0};

std::vector<Example> examples() {
    auto u4 = uniform_moments(0.0, 1.0, 4);
    auto u5 = uniform_moments(0.0, 1.0, 5);
    auto narrow11 = uniform_moments(-5e-4, 5e-4, 11);
    auto narrow7 = uniform_moments(-5e-4, 5e-4, 7);
    const SharpStatus sharp = SharpStatus::sharp;
    const SharpStatus det = SharpStatus::determinate;
    return {
        {"coin_below", Support::whole, 0, 0, coin, -0.3, det, 0.5, 0.5},
        {"coin_between", Support::whole, 0, 0, coin, 0.5, det, 0.5, 0.5},
        {"coin_at_atom", Support::whole, 0, 0, coin, 1.0, det, 0.5, 1.0},
        {"u4_01", Support::interval, 0, 1, u4, 0.1, sharp, 0.0, 0.280584},
        {"u4_02", Support::interval, 0, 1, u4, 0.2, sharp, 0.0, 0.473485},
        {"u4_03", Support::interval, 0, 1, u4, 0.3, sharp, 0.080247, 0.567576},
        {"u4_05", Support::interval, 0, 1, u4, 0.5, sharp, 1.0 / 6.0, 5.0 / 6.0},
        {"u4_07", Support::interval, 0, 1, u4, 0.7, sharp, 0.432424, 0.919753},
        {"u4_09", Support::interval, 0, 1, u4, 0.9, sharp, 0.719416, 1.0},
        {"u5_01", Support::interval, 0, 1, u5, 0.1, sharp, 0.0, 0.251383},
        {"u5_02", Support::interval, 0, 1, u5, 0.2, sharp, 1.0 / 24.0, 0.413690},
        {"u5_03", Support::interval, 0, 1, u5, 0.3, sharp, 0.092593, 0.533510},
        {"u5_05", Support::interval, 0, 1, u5, 0.5, sharp, 5.0 / 18.0, 13.0 / 18.0},
        {"narrow_centre", Support::whole, 0, 0, narrow11, 0.0, sharp, 0.357778, 0.642222},
        {"narrow_off_centre", Support::whole, 0, 0, narrow11, 9.6225e-5, sharp, 0.473594, 0.715518},
        {"narrow_interval", Support::interval, -6e-4, 7e-4, narrow7, -4.90748e-4, sharp, 0.0,
         0.071845},
    };
}

class WorkedExample : public ::testing::TestWithParam<Example> {};

TEST_P(WorkedExample, MatchesReference) {
    const Example& e = GetParam();
    SharpAnalysis analysis = analyse_moments(e.support, e.lower, e.upper, e.moments.data(),
                                             static_cast<int>(e.moments.size()));
    ASSERT_EQ(analysis.status, e.status) << analysis.message;
    EXPECT_EQ(analysis.moments_used, static_cast<int>(e.moments.size()));
    SharpBounds bounds = sharp_bounds_at(analysis, e.position);
    EXPECT_EQ(bounds.status, e.status);
    // The reference values are given to 6 decimals.
    EXPECT_NEAR(bounds.lower_bound, e.lower_bound, 1e-6);
    EXPECT_NEAR(bounds.upper_bound, e.upper_bound, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Sharp, WorkedExample, ::testing::ValuesIn(examples()),
                         [](const auto& info) { return std::string(info.param.name); });

// The representation of the 4-moment uniform example at x = 0.1 is built on
// the weight b - t with mass 0.2806 at x, the one the classic estimation never builds.
TEST(SharpExample, UniformFourMomentsUsesUpperEndRepresentation) {
    auto u4 = uniform_moments(0.0, 1.0, 4);
    SharpAnalysis analysis = analyse_moments(Support::interval, 0.0, 1.0, u4.data(), 4);
    SharpBounds at_01 = sharp_bounds_at(analysis, 0.1);
    EXPECT_EQ(at_01.weight, SharpWeight::below_upper);
    EXPECT_NEAR(at_01.mass_at_position, 0.2806, 1e-4);
    SharpBounds at_03 = sharp_bounds_at(analysis, 0.3);
    EXPECT_EQ(at_03.weight, SharpWeight::above_lower);
    EXPECT_NEAR(at_03.mass_at_position, 0.4873, 1e-4);
}

TEST(SharpExample, CoinAtomsAndWideningAreTiny) {
    SharpAnalysis analysis = analyse_moments(Support::whole, 0.0, 0.0, coin.data(), 5);
    ASSERT_EQ(analysis.status, SharpStatus::determinate);
    ASSERT_EQ(analysis.atoms.size(), 2u);
    EXPECT_NEAR(analysis.atoms[0].point, -1.0, 1e-12);
    EXPECT_NEAR(analysis.atoms[1].point, 1.0, 1e-12);
    EXPECT_NEAR(analysis.atoms[0].mass, 0.5, 1e-12);
    EXPECT_NEAR(analysis.atoms[1].mass, 0.5, 1e-12);
    EXPECT_LT(analysis.widening, 1e-13);
}

// c4 = 1 + eps keeps the coin answer instead of falling back to the
// 3-moment bounds (0 / 0.917 at x = -0.3).
TEST(SharpExample, CoinWithSlightlyLargerFourthMomentStaysNearHalf) {
    for (double excess : {1e-14, 1e-12, 1e-10}) {
        std::vector<double> c{1.0, 0.0, 1.0, 0.0, 1.0 + excess};
        SharpAnalysis analysis = analyse_moments(Support::whole, 0.0, 0.0, c.data(), 5);
        ASSERT_NE(analysis.status, SharpStatus::infeasible) << excess;
        SharpBounds bounds = sharp_bounds_at(analysis, -0.3);
        EXPECT_NEAR(bounds.lower_bound, 0.5, 1e-6) << excess;
        EXPECT_NEAR(bounds.upper_bound, 0.5, 1e-6) << excess;
    }
}

struct BadRequest {
    const char* name;
    Support support;
    double lower;
    double upper;
    std::vector<double> moments;
};

class UnusableRequest : public ::testing::TestWithParam<BadRequest> {};

TEST_P(UnusableRequest, IsInvalidWithNeutralBounds) {
    const BadRequest& r = GetParam();
    SharpAnalysis analysis = analyse_moments(r.support, r.lower, r.upper, r.moments.data(),
                                             static_cast<int>(r.moments.size()));
    EXPECT_EQ(analysis.status, SharpStatus::invalid);
    EXPECT_EQ(analysis.moments_used, 0);
    EXPECT_FALSE(analysis.message.empty());
    SharpBounds bounds = sharp_bounds_at(analysis, 0.5);
    EXPECT_EQ(bounds.status, SharpStatus::invalid);
    EXPECT_EQ(bounds.lower_bound, 0.0);
    EXPECT_EQ(bounds.upper_bound, 1.0);
}

const double nan = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Sharp, UnusableRequest,
    ::testing::Values(
        BadRequest{"no_moments", Support::whole, 0, 0, {}},
        BadRequest{"first_not_one", Support::whole, 0, 0, {0.5, 0.0, 1.0}},
        BadRequest{"first_nearly_one", Support::whole, 0, 0, {1.0 + 1e-16 * 4, 0.0, 1.0}},
        BadRequest{"nan_moment", Support::whole, 0, 0, {1.0, nan, 1.0}},
        BadRequest{"infinite_moment", Support::half, 0, 0, {1.0, 1.0, inf}},
        BadRequest{"nan_lower", Support::half, nan, 0, {1.0, 1.0, 2.0}},
        BadRequest{"lower_not_below_upper", Support::interval, 1.0, 1.0, {1.0, 1.0, 1.0}},
        BadRequest{"infinite_upper", Support::interval, 0.0, inf, {1.0, 1.0, 2.0}},
        BadRequest{"unknown_type", static_cast<Support>(3), 0.0, 1.0, {1.0, 0.5, 0.3}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SharpPosition, NotFiniteIsInvalid) {
    SharpAnalysis analysis = analyse_moments(Support::whole, 0.0, 0.0, coin.data(), 3);
    ASSERT_EQ(analysis.status, SharpStatus::sharp);
    for (double x : {nan, inf, -inf}) {
        SharpBounds bounds = sharp_bounds_at(analysis, x);
        EXPECT_EQ(bounds.status, SharpStatus::invalid);
        EXPECT_EQ(bounds.lower_bound, 0.0);
        EXPECT_EQ(bounds.upper_bound, 1.0);
    }
}

TEST(SharpPosition, OutsideTheSupportIsDecidedBySupportAlone) {
    auto u = uniform_moments(0.0, 1.0, 5);
    SharpAnalysis interval = analyse_moments(Support::interval, 0.0, 1.0, u.data(), 5);
    SharpBounds below = sharp_bounds_at(interval, -0.01);
    EXPECT_EQ(below.lower_bound, 0.0);
    EXPECT_EQ(below.upper_bound, 0.0);
    SharpBounds above = sharp_bounds_at(interval, 1.01);
    EXPECT_EQ(above.lower_bound, 1.0);
    EXPECT_EQ(above.upper_bound, 1.0);
    SharpAnalysis half_line = analyse_moments(Support::half, 0.0, 0.0, u.data(), 5);
    SharpBounds left = sharp_bounds_at(half_line, -1e-9);
    EXPECT_EQ(left.upper_bound, 0.0);
}

// At the ends themselves the end point can carry mass: U at b is 1, L at a is 0.
TEST(SharpPosition, AtTheEndsOfAnInterval) {
    auto u = uniform_moments(0.0, 1.0, 6);
    SharpAnalysis analysis = analyse_moments(Support::interval, 0.0, 1.0, u.data(), 6);
    ASSERT_EQ(analysis.status, SharpStatus::sharp);
    SharpBounds at_lower = sharp_bounds_at(analysis, 0.0);
    EXPECT_EQ(at_lower.lower_bound, 0.0);
    EXPECT_GT(at_lower.upper_bound, 0.0);
    EXPECT_LT(at_lower.upper_bound, 0.2);
    SharpBounds at_upper = sharp_bounds_at(analysis, 1.0);
    EXPECT_EQ(at_upper.upper_bound, 1.0);
    EXPECT_GT(at_upper.lower_bound, 0.8);
}

// Longer lists than the method supports are cut, and the cut is reported.
TEST(SharpTruncation, LongListsUseAtMostTheSupportedCount) {
    auto u = uniform_moments(0.0, 1.0, 40);
    SharpAnalysis analysis = analyse_moments(Support::interval, 0.0, 1.0, u.data(), 40);
    ASSERT_EQ(analysis.status, SharpStatus::sharp);
    EXPECT_EQ(analysis.moments_given, 40);
    EXPECT_LE(analysis.moments_used, sharp_max_moments);
    EXPECT_GE(analysis.moments_used, 5);
    SharpBounds bounds = sharp_bounds_at(analysis, 0.37);
    EXPECT_LE(bounds.lower_bound, 0.37 + 1e-7);
    EXPECT_GE(bounds.upper_bound, 0.37 - 1e-7);
}

// Without a resolved variance the data say nothing beyond the mean.
TEST(SharpTruncation, FewMoments) {
    std::vector<double> one{1.0};
    SharpAnalysis only_mass = analyse_moments(Support::whole, 0.0, 0.0, one.data(), 1);
    ASSERT_EQ(only_mass.status, SharpStatus::sharp);
    SharpBounds b1 = sharp_bounds_at(only_mass, 3.0);
    EXPECT_EQ(b1.lower_bound, 0.0);
    EXPECT_EQ(b1.upper_bound, 1.0);
    // Mean only, on [0, 1]: Markov on both sides.
    std::vector<double> mean{1.0, 0.5};
    SharpAnalysis interval = analyse_moments(Support::interval, 0.0, 1.0, mean.data(), 2);
    ASSERT_EQ(interval.status, SharpStatus::sharp);
    SharpBounds low = sharp_bounds_at(interval, 0.1);
    EXPECT_NEAR(low.lower_bound, 0.0, 1e-14);
    EXPECT_NEAR(low.upper_bound, 0.5 / 0.9, 1e-14);
    SharpBounds high = sharp_bounds_at(interval, 0.9);
    EXPECT_NEAR(high.lower_bound, 1.0 - 0.5 / 0.9, 1e-14);
    EXPECT_NEAR(high.upper_bound, 1.0, 1e-14);
}

} // namespace
