// SPDX-License-Identifier: Apache-2.0
// Positions at a zero of the orthogonal polynomial of the moments (a Gauss
// node) and within a few ulps of it.  There the Radau coefficient runs off to
// infinity; taken from any other computation than the pivot that counts the
// nodes below x, the far node lands on the wrong side and the bounds jump.

#include "sharp/sharp.h"
#include "tests/sharp/known_distributions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Gauss-Legendre with 5 nodes on [-1, 1].
const double legendre5_top_node = 0.9061798459386640;
const double legendre5_top_weight = 0.2369268850561891;
const double legendre5_middle_weight = 0.5688888888888889;

std::vector<double> positions_around(double x) {
    std::vector<double> result{x};
    double up = x;
    double down = x;
    for (int i = 0; i < 4; ++i) {
        up = std::nextafter(up, 10.0);
        down = std::nextafter(down, -10.0);
        result.push_back(up);
        result.push_back(down);
    }
    return result;
}

// 11 uniform moments on the whole line: the form is the Legendre measure with
// m = 5, so at its top node the representation is the Gauss rule itself.
TEST(SharpGaussNode, TopNodeOfElevenUniformMomentsOnTheLine) {
    KnownDistribution d = uniform(0.0, 1.0);
    std::vector<double> c = d.moments(11);
    SharpAnalysis analysis = analyse_moments(Support::whole, 0.0, 0.0, c.data(), 11);
    ASSERT_EQ(analysis.status, SharpStatus::sharp);
    ASSERT_EQ(analysis.moments_used, 11);
    double node = 0.5 * (1.0 + legendre5_top_node);
    for (double x : positions_around(node)) {
        SharpBounds b = sharp_bounds_at(analysis, x);
        EXPECT_NEAR(b.lower_bound, 1.0 - 0.5 * legendre5_top_weight, 1e-9) << x;
        EXPECT_NEAR(b.upper_bound, 1.0, 1e-9) << x;
    }
}

// The same on [0, 1], where the Christoffel rule chooses between two forms.
TEST(SharpGaussNode, TopNodeOfElevenUniformMomentsOnTheInterval) {
    KnownDistribution d = uniform(0.0, 1.0);
    std::vector<double> c = d.moments(11);
    SharpAnalysis analysis = analyse_moments(Support::interval, 0.0, 1.0, c.data(), 11);
    ASSERT_EQ(analysis.status, SharpStatus::sharp);
    double node = 0.5 * (1.0 + legendre5_top_node);
    SharpBounds centre = sharp_bounds_at(analysis, node);
    // Slightly further away the bounds are still within 1e-6 of the node's.
    for (double offset : {-1e-9, 1e-9}) {
        SharpBounds near = sharp_bounds_at(analysis, node + offset);
        EXPECT_NEAR(near.lower_bound, centre.lower_bound, 1e-6);
        EXPECT_NEAR(near.upper_bound, centre.upper_bound, 1e-6);
    }
    for (double x : positions_around(node)) {
        SharpBounds b = sharp_bounds_at(analysis, x);
        EXPECT_NEAR(b.lower_bound, centre.lower_bound, 1e-9) << x;
        EXPECT_NEAR(b.upper_bound, centre.upper_bound, 1e-9) << x;
        EXPECT_LE(b.lower_bound, x);
        EXPECT_GE(b.upper_bound, x);
    }
}

// Symmetric moments put a zero of P_5 exactly at 0, where the Radau
// coefficient overflows the 1e100 limit and the far node goes to infinity.
TEST(SharpGaussNode, ExactZeroAtTheCentre) {
    KnownDistribution d = uniform(-1.0, 1.0);
    std::vector<double> c = d.moments(11);
    for (Support support : {Support::whole, Support::interval}) {
        SharpAnalysis analysis = analyse_moments(support, -1.0, 1.0, c.data(), 11);
        ASSERT_EQ(analysis.status, SharpStatus::sharp);
        std::vector<double> xs{0.0, 1e-300, -1e-300, 5e-324, -5e-324, 1e-17, -1e-17};
        SharpBounds at_zero = sharp_bounds_at(analysis, 0.0);
        if (support == Support::whole) {
            // The Gauss rule: half of the mass outside the centre lies below.
            EXPECT_NEAR(at_zero.lower_bound, 0.5 * (1.0 - 0.5 * legendre5_middle_weight), 1e-9);
            EXPECT_NEAR(at_zero.upper_bound, 0.5 * (1.0 + 0.5 * legendre5_middle_weight), 1e-9);
        }
        for (double x : xs) {
            SharpBounds b = sharp_bounds_at(analysis, x);
            EXPECT_NEAR(b.lower_bound, at_zero.lower_bound, 1e-9)
                << support_index(support) << " " << x;
            EXPECT_NEAR(b.upper_bound, at_zero.upper_bound, 1e-9)
                << support_index(support) << " " << x;
        }
    }
}

} // namespace
