// SPDX-License-Identifier: Apache-2.0
// Point masses from determinant ratios and the discrete construction.

#include "estimation/determinant_ratio.h"
#include "estimation/discrete.h"

#include "estimation_support.h"

#include <algorithm>
#include <cmath>

using namespace estimation_test;

namespace {

struct MassCase {
    const char* name;
    std::vector<double> moments;
    double expected;
};

class SolveLinearDetEq : public ::testing::TestWithParam<MassCase> {};

TEST_P(SolveLinearDetEq, GivesTheMassAtTheOrigin) {
    LogFolder log;
    const MassCase& c = GetParam();
    Vector moments = vec(c.moments);
    EXPECT_NEAR(solve_linear_det_eq(moments), c.expected, 1e-14);
    EXPECT_EQ(values(moments), c.moments);
    EXPECT_TRUE(log.reports().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, SolveLinearDetEq,
                         ::testing::Values(MassCase{"half", {1, 1, 2}, 0.5},
                                           MassCase{"twoThirds", {1, 0, 1, 0, 3}, 2.0 / 3},
                                           MassCase{"wholeMassAccepted", {1, 0, 1}, 1.0},
                                           // Even length: the last moment plays no part.
                                           MassCase{"evenLength", {1, 0, 1, 0, 3, 99}, 2.0 / 3}),
                         [](const auto& info) { return info.param.name; });

struct FailureCase {
    const char* name;
    std::vector<double> moments;
    Report report;
};

class SolveLinearDetEqFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(SolveLinearDetEqFailure, ReportsAndLeavesMomentsAlone) {
    LogFolder log;
    const FailureCase& c = GetParam();
    Vector moments = vec(c.moments);
    EXPECT_EQ(log.thrown_code([&] { solve_linear_det_eq(moments); }), 1);
    EXPECT_TRUE(same_bits(moments, c.moments));
    EXPECT_EQ(log.reports(), std::vector<Report>{c.report});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SolveLinearDetEqFailure,
    ::testing::Values(
        FailureCase{"negativeMass", {1, 2, 1}, {"solve_linear_det_eq", "p nem esik 0 és 1 közé!"}},
        // A zero denominator gives an infinite or undefined p.
        FailureCase{
            "zeroDenominator", {1, 0, 0}, {"solve_linear_det_eq", "p nem esik 0 és 1 közé!"}},
        FailureCase{
            "notANumber", {1, std::nan(""), 1}, {"solve_linear_det_eq", "p nem esik 0 és 1 közé!"}},
        FailureCase{"twoMoments", {1, 0}, {"Vector::luhankeldet", "Túl kicsi Hankel-mátrix!"}},
        FailureCase{"oneMoment", {1}, {"Vector::drop", "Túl sokat elemet akar eldobni!"}}),
    [](const auto& info) { return info.param.name; });

// Points come in the order of the root finder; compare them as sorted pairs.
std::vector<std::pair<double, double>> sorted_atoms(const Vector& xs, const Vector& ps) {
    std::vector<std::pair<double, double>> atoms;
    for (int i = 0; i < xs.length; ++i)
        atoms.emplace_back(xs[i], ps[i]);
    std::sort(atoms.begin(), atoms.end());
    return atoms;
}

struct ConstructionCase {
    const char* name;
    std::vector<double> moments;
    std::vector<std::pair<double, double>> atoms; // sorted by point
};

class DiscreteConstruction : public ::testing::TestWithParam<ConstructionCase> {};

TEST_P(DiscreteConstruction, BuildsPointsAndMasses) {
    LogFolder log;
    const ConstructionCase& c = GetParam();
    Vector moments = vec(c.moments);
    int n = static_cast<int>(c.atoms.size());
    Vector xs(n);
    Vector ps(n);
    discrete_construction(moments, xs, ps, no_diagnostics);
    auto atoms = sorted_atoms(xs, ps);
    for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(atoms[i].first, c.atoms[i].first, 1e-9) << i;
        EXPECT_NEAR(atoms[i].second, c.atoms[i].second, 1e-9) << i;
    }
    EXPECT_EQ(moments.length, 2 * n); // an odd length loses its last moment
    EXPECT_TRUE(log.reports().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DiscreteConstruction,
    ::testing::Values(ConstructionCase{"symmetric", {1, 0, 1, 0}, {{-1, 0.5}, {1, 0.5}}},
                      ConstructionCase{"zeroAndOne", {1, 0.5, 0.5, 0.5}, {{0, 0.5}, {1, 0.5}}},
                      ConstructionCase{"oddLengthShortened", {1, 0, 1}, {{0, 1}}},
                      ConstructionCase{"onePoint", {1, 0.25}, {{0.25, 1}}},
                      ConstructionCase{"threePoints",
                                       discrete_moments({-1, 0.5, 2}, {0.2, 0.5, 0.3}, 6),
                                       {{-1, 0.2}, {0.5, 0.5}, {2, 0.3}}}),
    [](const auto& info) { return info.param.name; });

TEST(DiscreteConstructionFailure, NegativeMassIsReported) {
    LogFolder log;
    Vector moments = vec({1, 2, 1, 5});
    Vector xs(2);
    Vector ps(2);
    EXPECT_EQ(log.thrown_code([&] { discrete_construction(moments, xs, ps, no_diagnostics); }), 1);
    EXPECT_EQ(log.reports(),
              (std::vector<Report>{{"discrete_construction", "ps nem esik 0 és 1 közé!"}}));
    auto atoms = sorted_atoms(xs, ps);
    EXPECT_NEAR(atoms[0].first, (-1 - std::sqrt(13.0)) / 2, 1e-9);
    EXPECT_NEAR(atoms[0].second, -0.193, 1e-3);
}

TEST(DiscreteConstructionFailure, LengthMismatchIsReportedBeforeAnyWork) {
    LogFolder log;
    Vector moments = vec({1, 0, 1, 0});
    Vector xs(1);
    Vector ps(1);
    EXPECT_EQ(log.thrown_code([&] { discrete_construction(moments, xs, ps, no_diagnostics); }), 1);
    ASSERT_EQ(log.reports().size(), 1u);
    EXPECT_EQ(log.reports()[0].routine, "discrete_construction");
    EXPECT_EQ(log.reports()[0].message, "Az xs és ps vektoroknak fele olyan hosszúnak kell lennie, "
                                        "mint a moments vektornak!");
}

class Superdet : public ::testing::TestWithParam<MassCase> {};

TEST_P(Superdet, GivesTheMassAtOne) {
    LogFolder log;
    EXPECT_NEAR(superdet(vec(GetParam().moments)), GetParam().expected, 1e-13);
    EXPECT_TRUE(log.reports().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Superdet,
    ::testing::Values(MassCase{"halfAtEachEnd", {1, 0.5, 0.5}, 0.5},
                      MassCase{"threePoints", {1, 0.625, 0.5625, 0.53125, 0.515625}, 0.5},
                      MassCase{"partialTotalMass", {0.7, 0.54, 0.444}, 0.3},
                      MassCase{"singleMoment", {0.25}, 0.25},
                      // Lengths 2n - 1 and 2n read the same moments.
                      MassCase{"evenLength", {1, 0.625, 0.5625, 0.53125, 0.515625, 42}, 0.5}),
    [](const auto& info) { return info.param.name; });

TEST(SuperdetFailure, VanishingDenominatorIsReported) {
    LogFolder log;
    EXPECT_EQ(log.thrown_code([] { superdet(vec({1, 1, 1})); }), 1);
    EXPECT_EQ(log.reports(),
              (std::vector<Report>{{"superdet", "A nevezőben levő determináns 0!"}}));
}

struct HyperdetCase {
    const char* name;
    std::vector<double> moments;
    double x;
    double expected;
};

class Hyperdet : public ::testing::TestWithParam<HyperdetCase> {};

TEST_P(Hyperdet, GivesTheMassAtThePosition) {
    LogFolder log;
    const HyperdetCase& c = GetParam();
    EXPECT_NEAR(hyperdet(vec(c.moments), c.x), c.expected, 1e-12);
    EXPECT_TRUE(log.reports().empty());
}

const std::vector<double> four_points =
    discrete_moments({0, 0.25, 0.5, 1}, {0.1, 0.3, 0.2, 0.4}, 5);

INSTANTIATE_TEST_SUITE_P(
    Cases, Hyperdet,
    ::testing::Values(HyperdetCase{"onePoint", {1, 0.25, 0.125}, 0.5, 0.5},
                      HyperdetCase{"twoInnerPoints", four_points, 0.5, 0.2},
                      HyperdetCase{"evenLength", {1, 0.25, 0.125, 7}, 0.5, 0.5},
                      // The tolerance is strict: 1e-8 itself, and points outside
                      // [0, 1], pass the position test.
                      HyperdetCase{
                          "atTolerance", {1, 0.25, 0.125}, 1e-8, (0.25 - 0.125) / (1e-8 - 1e-16)},
                      HyperdetCase{"belowZero", {1, 0.25, 0.125}, -0.5, 0.125 / -0.75},
                      HyperdetCase{"aboveOne", {1, 0.25, 0.125}, 1.5, 0.125 / -0.75}),
    [](const auto& info) { return info.param.name; });

class HyperdetPosition : public ::testing::TestWithParam<double> {};

TEST_P(HyperdetPosition, ZeroOrOneIsReportedFirst) {
    LogFolder log;
    // A vector too short for any matrix: the position test comes first.
    EXPECT_EQ(log.thrown_code([] { hyperdet(vec({1}), GetParam()); }), 1);
    EXPECT_EQ(log.reports(), (std::vector<Report>{{"hyperdet", "A pozíció nem lehet 0 vagy 1!"}}));
}

INSTANTIATE_TEST_SUITE_P(Positions, HyperdetPosition,
                         ::testing::Values(0.0, 5e-9, -5e-9, 1.0, 1.000000005, 0.999999995));

TEST(DeterminantRatioFailure, TooShortForAMatrix) {
    LogFolder log;
    EXPECT_EQ(log.thrown_code([] { hyperdet(vec({1, 0.5}), 0.5); }), 1);
    EXPECT_EQ(log.thrown_code([] { superdet(empty_vector()); }), 1);
    EXPECT_EQ(log.reports(), (std::vector<Report>{{"Matrix::Matrix(int)", "Túl kicsi dimenzió!"},
                                                  {"Matrix::Matrix(int)", "Túl kicsi dimenzió!"}}));
}

} // namespace
