// SPDX-License-Identifier: Apache-2.0
// Half-line estimation: worked examples, the diagnostic line, the attempts of
// both phases and the masses split off.

#include "estimation/positive.h"

#include "estimation_support.h"

#include <clocale>

using namespace estimation_test;

namespace {

std::string diagnostic_line(const char* lower, const char* upper) {
    return std::string("\n\n/// poz /// L = ") + lower + "; U = " + upper + "\n";
}

TEST(EstimatePositive, WorkedExampleNeedsNoMove) {
    LogFolder log;
    CapturedStream diagnostics;
    EstimationContext context = context_for(log, diagnostics.stream());
    Vector moments = vec({1, 0.5, 1, 3});
    const Estimate e = estimate_positive(moments, 1, 0, context);
    EXPECT_NEAR(e.lower_bound, 0.625, 1e-12);
    EXPECT_NEAR(e.upper_bound, 23.0 / 24, 1e-12);
    EXPECT_EQ(outcome_of(e), 2);
    EXPECT_EQ(diagnostics.text(), diagnostic_line("0.625000", "0.958333"));
    EXPECT_EQ(values(moments), (std::vector<double>{1, 0.5, 1, 3}));
    EXPECT_TRUE(log.reports().empty());
}

TEST(TryPositive, WorkedExampleMasses) {
    LogFolder log;
    // 0.625 at 0, 1/3 at 1 and 1/24 at 4.
    Vector moments = vec({1, 0.5, 1, 3});
    double at_position = 0;
    double at_lower = 0;
    mass_positive(moments, at_position, at_lower);
    EXPECT_NEAR(at_position, 1.0 / 3, 1e-12);
    EXPECT_NEAR(at_lower, 0.625, 1e-12);
    ASSERT_EQ(moments.length, 2);
    EXPECT_NEAR(moments[0], 1.0 / 24, 1e-12);
    EXPECT_NEAR(moments[1], 4.0 / 24, 1e-12);
}

struct PhaseCase {
    const char* name;
    std::vector<double> moments;
    double x;
    double lower;
    double lower_bound;
    double upper_bound;
    int outcome;
    std::string diagnostic;
    std::vector<Report> reports;
};

class EstimatePositivePhases : public ::testing::TestWithParam<PhaseCase> {};

TEST_P(EstimatePositivePhases, CombinesBothPhases) {
    LogFolder log;
    CapturedStream diagnostics;
    EstimationContext context = context_for(log, diagnostics.stream());
    const PhaseCase& c = GetParam();
    const Estimate e = estimate_positive(vec(c.moments), c.x, c.lower, context);
    EXPECT_NEAR(e.lower_bound, c.lower_bound, 1e-12);
    EXPECT_NEAR(e.upper_bound, c.upper_bound, 1e-12);
    EXPECT_EQ(outcome_of(e), c.outcome);
    EXPECT_EQ(diagnostics.text(), c.diagnostic);
    EXPECT_EQ(log.reports(), c.reports);
}

const Report position_fault{"trypositive", "A pozíciónak nagyobbnak kell lennie az alsó határnál!"};
const Report first_moment_positive{"trypositive", "Az első momentumnak 1-nek kell lennie!"};
const Report first_moment_normal{"trynormal", "Az első momentumnak 1-nek kell lennie!"};

INSTANTIATE_TEST_SUITE_P(
    Cases, EstimatePositivePhases,
    ::testing::Values(PhaseCase{"positionAtLowerLimit",
                                {1, 0, 1, 0},
                                1,
                                1,
                                0.5,
                                1,
                                1,
                                diagnostic_line("0.000000", "1.000000"),
                                {position_fault}},
                      // The moved moments 1, 1/3, 2/9, 4/27 have a vanishing determinant in
                      // the second family, and the cut leaves two moments.
                      PhaseCase{"cutBelowFourMoments",
                                {1, 0, 1, 0},
                                2,
                                -1,
                                0.8,
                                1,
                                1,
                                diagnostic_line("0.000000", "1.000000"),
                                {{"trypositive", "A becsléshez legalább 4 momentum kell!"}}},
                      PhaseCase{"threeMomentsRunNoHalfLineAttempt",
                                {1, 0, 1},
                                1,
                                -5,
                                0.5,
                                1,
                                1,
                                diagnostic_line("0.000000", "1.000000"),
                                {}},
                      // Five moments: one half-line attempt (cut to four), whole-line
                      // attempts on five and on three moments; each leaves one report.
                      PhaseCase{"fiveMomentsAllFailing",
                                {2, 0, 1, 0, 3},
                                1,
                                -5,
                                0,
                                1,
                                0,
                                diagnostic_line("0.000000", "1.000000"),
                                {first_moment_positive, first_moment_normal, first_moment_normal}},
                      PhaseCase{"NaNLowerLimitFailsThePositionTest",
                                {1, 0, 1, 0},
                                1,
                                std::nan(""),
                                0.5,
                                1,
                                1,
                                diagnostic_line("0.000000", "1.000000"),
                                {position_fault}}),
    [](const auto& info) { return info.param.name; });

TEST(EstimatePositive, CutMomentsStillGiveBoundsFromTheHalfLine) {
    LogFolder log;
    EstimationContext context = context_for(log);
    // Three points, 0.25 at 0, 0.5 at 1 and 0.25 at 3, and x = 1, lower 0:
    // six moments have a vanishing determinant and are cut to four, which
    // still determine the distribution.
    std::vector<double> m = discrete_moments({0, 1, 3}, {0.25, 0.5, 0.25}, 6);
    const Estimate e = estimate_positive(vec(m), 1, 0, context);
    EXPECT_NEAR(e.lower_bound, 0.25, 1e-9);
    EXPECT_NEAR(e.upper_bound, 0.75, 1e-9);
}

TEST(TryPositive, SetsNeutralBoundsBeforeFailing) {
    LogFolder log;
    Vector moments = vec({1, 0.5, 1});
    double lower_bound = 0.3;
    double upper_bound = 0.7;
    EXPECT_EQ(log.thrown_code(
                  [&] { trypositive(moments, 1, 0, lower_bound, upper_bound, no_diagnostics); }),
              10);
    EXPECT_EQ(lower_bound, 0);
    EXPECT_EQ(upper_bound, 1);
    EXPECT_EQ(
        log.reports(),
        (std::vector<Report>{{"trypositive", "A becsléshez adjon meg legalább 4 momentumot!"}}));
}

TEST(TryPositive, NegativeDeterminantOfEitherFamilyIsReported) {
    LogFolder log;
    // On [0, inf) the first moment cannot be negative: the second family's
    // 2 x 2 determinant m1 m3 - m2^2 is below zero.
    Vector moments = vec({1, -0.5, 1, 0.5});
    double lower_bound = 0;
    double upper_bound = 0;
    EXPECT_EQ(log.thrown_code(
                  [&] { trypositive(moments, 1, 0, lower_bound, upper_bound, no_diagnostics); }),
              1);
    EXPECT_EQ(log.reports(), (std::vector<Report>{{"trypositive", "Ezek a momentumok nem "
                                                                  "határoznak meg pozitív "
                                                                  "eloszlást!"}}));
}

class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::setlocale(LC_ALL, "hu_HU.UTF-8"), nullptr)
            << "the comma-decimal test locale is missing (LOCPATH)";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CommaLocale, DiagnosticLineKeepsThePoint) {
    LogFolder log;
    CapturedStream diagnostics;
    EstimationContext context = context_for(log, diagnostics.stream());
    estimate_positive(vec({1, 0.5, 1, 3}), 1, 0, context);
    EXPECT_EQ(diagnostics.text(), diagnostic_line("0.625000", "0.958333"));
}

} // namespace
