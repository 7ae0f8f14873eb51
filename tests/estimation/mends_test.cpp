// SPDX-License-Identifier: Apache-2.0
// Requests on which the plain arithmetic of the attempts gives bounds that
// exclude the true distribution function, each mended by one of the measures
// in estimation/tolerances.h.  Every row names the measure it needs: without
// it, the row's bounds miss the truth by more than the 1e-7 allowed for
// rounding.
//
// - At the position: a support point computed a few ulps off the position is
//   counted neither below it nor at it, so its mass drops out of U.
// - Moments reproduced: a construction from a Hankel matrix that is singular
//   up to rounding yields points and masses that miss the moments by percents;
//   the bounds read off them are not bounds for these moments.
// - Whole line, rounding level: with moments like 100^10 a Hankel
//   determinant no larger than its own rounding error passes the plain 1e-8
//   test, nothing is cut, and the construction invents points whose masses
//   leak into the bounds.
// - Half-line, first family: the same for the moved moments of the half-line
//   attempt, which the interval driver runs too.

#include "estimation/estimate.h"
#include "tests/sharp/known_distributions.h"

#include "estimation_support.h"

#include <cmath>
#include <ostream>
#include <vector>

using namespace estimation_test;

namespace {

constexpr double slack = 1e-7;

struct MendCase {
    const char* label;
    std::vector<double> atoms;
    std::vector<double> masses;
    Support support;
    double lower;
    double upper;
    int count;
    double x;
};

std::ostream& operator<<(std::ostream& out, const MendCase& c) {
    return out << c.label;
}

class Mends : public QuietEnvironment, public ::testing::WithParamInterface<MendCase> {};

TEST_P(Mends, BoundsHoldTheTruth) {
    const MendCase& c = GetParam();
    const KnownDistribution d = discrete(c.atoms, c.masses);
    const Estimate e = estimate(c.support, c.x, c.lower, c.upper, vec(d.moments(c.count)), quiet_);
    const double lower_bound = e.lower_bound;
    const double upper_bound = e.upper_bound;

    EXPECT_NE(e.outcome, Outcome::none) << "nothing was estimated, so nothing was checked";
    EXPECT_GE(d.cdf_below(c.x), lower_bound - slack) << "L = " << lower_bound;
    EXPECT_LE(d.cdf(c.x), upper_bound + slack) << "U = " << upper_bound;
}

const std::vector<double> five_atoms{0.0, 0.1, 0.5, 0.9, 1.0};
const std::vector<double> five_masses{0.3, 0.1, 0.2, 0.1, 0.3};
const std::vector<double> equal_fifths{0.2, 0.2, 0.2, 0.2, 0.2};
const std::vector<double> far_atoms{100.0, 101.0, 102.0, 103.0};
const std::vector<double> rising_masses{0.1, 0.2, 0.3, 0.4};
const std::vector<double> doubling_atoms{101.0, 102.0, 104.0, 108.0, 116.0};

const MendCase mend_cases[] = {
    // At the position.  The point of mass 0.1 at x comes out at or a rounding
    // error past x, so the plain sums count it nowhere: without the coincidence
    // margin U = 0.3706 < P(X <= x) = 0.4.
    {"AtPositionHalfLine", five_atoms, five_masses, Support::half, 0.0, 0.0, 10, 0.1},
    {"AtPositionInterval", five_atoms, five_masses, Support::interval, 0.0, 1.0, 10, 0.1},
    // Without the margin U = 0.3852 < P(X <= 1500) = 0.4.
    {"AtPositionScaled",
     {500.0, 1500.0, 3500.0, 7500.0, 15500.0},
     equal_fifths,
     Support::half,
     500.0,
     0.0,
     10,
     1500.0},

    // Moments reproduced.  Atoms 0.001 apart: without the check
    // L = 0.3269 > P(X < x) = 0.3.
    {"ReproducedClusteredAtoms",
     {1.0, 1.001, 1.002, 1.003},
     rising_masses,
     Support::interval,
     0.999,
     1.004,
     8,
     1.00189},
    // Without the check U = 0.7499995 < P(X <= x) = 0.75.
    {"ReproducedNearAtom",
     {19.0, 20.0, 22.0},
     {0.25, 0.5, 0.25},
     Support::half,
     18.945513763205742,
     0.0,
     10,
     20.000000003},

    // Whole line, rounding level.  Atoms 1 apart at 100, 7 moments: the 4x4
    // and 3x3 Hankel determinants, 0.35 and 0.84, are no larger than the
    // rounding error of computing them (1e-16 times diagonal products of 1e24
    // and 1e12), so the construction from them has no digits left.  Without
    // the relative test L = 0.1004 and U = 0.2992 < P(X <= 101) = 0.3.
    {"WholeLineFarAtom", far_atoms, rising_masses, Support::whole, 0.0, 0.0, 7, 101.0},
    // 11 moments: the 5x5 and 6x6 determinants, 0 exactly, come out as 4.4
    // and 2.5e6.  Without the relative test U = 0.2408 < P(X <= x) = 0.3.
    {"WholeLineElevenMoments", far_atoms, rising_masses, Support::whole, 0.0, 0.0, 11, 101.0000003},

    // Half-line, first family, through the interval driver.  Without the
    // relative test L = 0.468 > P(X < x) = 0.4 ...
    {"HalfLineFarBelowAtom", doubling_atoms, equal_fifths, Support::interval, 96.5, 123.5, 10,
     103.999999985},
    // ... and U = 0.1585 < P(X <= x) = 0.2 (this one needs the whole-line
    // test as well).
    {"HalfLineFarAboveAtom", doubling_atoms, equal_fifths, Support::interval, 96.5, 123.5, 10,
     101.000000015},
    // Near the origin too: without it L = 3.3e-4 > P(X < x) = 0.
    {"HalfLineBelowLowestAtom",
     {-2.0, -1.0, 1.0, 2.0},
     {0.25, 0.25, 0.25, 0.25},
     Support::interval,
     -2.04,
     2.08,
     10,
     -2.000000000004},
};

INSTANTIATE_TEST_SUITE_P(Measures, Mends, ::testing::ValuesIn(mend_cases),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
