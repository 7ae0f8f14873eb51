// SPDX-License-Identifier: Apache-2.0
// Whole-line estimation: worked examples, reports of failing attempts, and the
// attempt routine's contract.

#include "estimation/normal.h"

#include "estimation_support.h"

using namespace estimation_test;

namespace {

struct DriverCase {
    const char* name;
    std::vector<double> moments;
    double x;
    double lower_bound;
    double upper_bound;
    int outcome;
    std::vector<Report> reports;
};

const Report not_a_distribution{"trynormal", "Ezek a momentumok nem határoznak meg eloszlást!"};
const Report too_short{"trynormal", "A becsléshez legalább 3 momentum kell!"};
const Report first_moment{"trynormal", "Az első momentumnak 1-nek kell lennie!"};

class EstimateNormal : public ::testing::TestWithParam<DriverCase> {};

TEST_P(EstimateNormal, MatchesTheWorkedExample) {
    LogFolder log;
    EstimationContext context = context_for(log);
    const DriverCase& c = GetParam();
    Vector moments = vec(c.moments);
    const Estimate e = estimate_normal(moments, c.x, context);
    EXPECT_NEAR(e.lower_bound, c.lower_bound, 1e-12);
    EXPECT_NEAR(e.upper_bound, c.upper_bound, 1e-12);
    EXPECT_EQ(outcome_of(e), c.outcome);
    EXPECT_EQ(values(moments), c.moments);
    EXPECT_EQ(log.reports(), c.reports);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EstimateNormal,
    ::testing::Values(DriverCase{"massAtPosition", {1, 0, 1}, 1, 0.5, 1, 1, {}},
                      DriverCase{"belowTheMean", {1, 0, 1}, -1, 0, 0.5, 1, {}},
                      DriverCase{"farAbove", {1, 0, 1}, 2, 0.8, 1, 1, {}},
                      // Everything at the position: the attempt succeeds with 0 and 1,
                      // which tightens nothing.
                      DriverCase{"atTheMean", {1, 0, 1}, 0, 0, 1, 0, {}},
                      DriverCase{"evenCountLosesLastMoment", {1, 0, 1, 0}, 1, 0.5, 1, 1, {}},
                      // The 3 x 3 Hankel determinant vanishes: estimated from 1, 0, 1.
                      DriverCase{"vanishingDeterminant", {1, 0, 1, 0, 1}, 1, 0.5, 1, 1, {}},
                      DriverCase{"vanishingDeterminantInside", {1, 0, 1, 0, 1}, 0.5, 0.2, 1, 1, {}},
                      DriverCase{"negativeVariance", {1, 2, 1}, 0.5, 0, 1, 0, {not_a_distribution}},
                      DriverCase{"zeroVariance", {1, 1, 1}, 0.5, 0, 1, 0, {too_short}},
                      DriverCase{"firstMomentNotOne", {0.5, 0, 1}, 0.5, 0, 1, 0, {first_moment}},
                      // One report for each of the attempts on 7, 5 and 3 moments.
                      DriverCase{"sevenMomentsAllFailing",
                                 {0.5, 0, 1, 0, 3, 0, 15},
                                 0.5,
                                 0,
                                 1,
                                 0,
                                 {first_moment, first_moment, first_moment}},
                      DriverCase{"twoMomentsRunNoAttempt", {1, 0}, 0.5, 0, 1, 0, {}}),
    [](const auto& info) { return info.param.name; });

TEST(EstimateNormal, FailedLongAttemptLeavesShorterOnesTheirSay) {
    LogFolder log;
    // 1, 0, 1 is fine; its continuation 1, 0, 1, 0, 0.5 has a negative 3 x 3
    // Hankel determinant, so only the attempt on three moments counts.
    EstimationContext context = context_for(log);
    const Estimate e = estimate_normal(vec({1, 0, 1, 0, 0.5}), 1, context);
    EXPECT_NEAR(e.lower_bound, 0.5, 1e-12);
    EXPECT_EQ(e.upper_bound, 1);
    EXPECT_EQ(outcome_of(e), 1);
    EXPECT_EQ(log.reports(), std::vector<Report>{not_a_distribution});
}

TEST(TryNormal, SetsNeutralBoundsBeforeFailing) {
    LogFolder log;
    Vector moments = vec({0.5, 0, 1});
    double lower_bound = 0.3;
    double upper_bound = 0.7;
    EXPECT_EQ(
        log.thrown_code([&] { trynormal(moments, 1, lower_bound, upper_bound, no_diagnostics); }),
        10);
    EXPECT_EQ(lower_bound, 0);
    EXPECT_EQ(upper_bound, 1);
}

TEST(TryNormal, NoMomentsIsARequestFault) {
    LogFolder log;
    Vector moments = empty_vector();
    double lower_bound = 0;
    double upper_bound = 0;
    EXPECT_EQ(
        log.thrown_code([&] { trynormal(moments, 1, lower_bound, upper_bound, no_diagnostics); }),
        10);
    EXPECT_EQ(log.reports(),
              (std::vector<Report>{{"trynormal", "A becsléshez adjon meg momentumokat!"}}));
}

TEST(MassNormal, TakesTheMassAtZeroOut) {
    LogFolder log;
    // Moments of X - 1 for X = -1 or 1 with equal mass: 1, -1, 2.
    Vector moments = vec({1, -1, 2});
    double mass = 0;
    mass_normal(moments, mass);
    EXPECT_NEAR(mass, 0.5, 1e-15);
    EXPECT_NEAR(moments[0], 0.5, 1e-15);
    EXPECT_EQ(moments.length, 2);
    EXPECT_EQ(moments[1], -1);
}

TEST(MassNormal, MassOutOfRangeIsReportedByTheRatioFirst) {
    LogFolder log;
    Vector moments = vec({1, 2, 1});
    double mass = 0;
    EXPECT_EQ(log.thrown_code([&] { mass_normal(moments, mass); }), 1);
    EXPECT_EQ(log.routines(), std::vector<std::string>{"solve_linear_det_eq"});
}

} // namespace
