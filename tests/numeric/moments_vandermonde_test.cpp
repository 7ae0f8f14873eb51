// SPDX-License-Identifier: Apache-2.0
// Binomial coefficients, the moment transformation and the Vandermonde solver.

#include "numeric/moments.h"
#include "numeric/vandermonde.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

using test_support::LogFolder;
using test_support::logged_failure;

namespace {

Vector make_vector(const std::vector<double>& values) {
    return Vector(values.data(), static_cast<int>(values.size()));
}

std::vector<double> elements(const Vector& v) {
    return std::vector<double>(v.data, v.data + v.length);
}

struct BinomialCase {
    int n;
    int k;
    double value;
};

void PrintTo(const BinomialCase& c, std::ostream* os) {
    *os << c.n << " over " << c.k;
}

class Binomial : public testing::TestWithParam<BinomialCase> {};

TEST_P(Binomial, Value) {
    EXPECT_EQ(binomial(GetParam().n, GetParam().k), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Values, Binomial,
                         testing::Values(BinomialCase{5, 2, 10}, BinomialCase{5, 3, 10},
                                         BinomialCase{0, 0, 1}, BinomialCase{4, 0, 1},
                                         BinomialCase{4, 4, 1}, BinomialCase{1, 1, 1},
                                         BinomialCase{10, 5, 252},
                                         BinomialCase{50, 25, 126410606437752.0}));

struct BinomialFailure {
    int n;
    int k;
    const char* message;
};

void PrintTo(const BinomialFailure& c, std::ostream* os) {
    *os << c.n << " over " << c.k;
}

class BinomialFailures : public testing::TestWithParam<BinomialFailure> {};

TEST_P(BinomialFailures, NegativeArgumentsAreTestedFirst) {
    LogFolder folder;
    EXPECT_EQ(folder.thrown_code([] { (void)binomial(GetParam().n, GetParam().k); }), 1);
    EXPECT_NE(folder.log().find(logged_failure("binomial", GetParam().message)), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Arguments, BinomialFailures,
                         testing::Values(BinomialFailure{3, 4, "k nem lehet nagyobb, mint n!"},
                                         BinomialFailure{0, 1, "k nem lehet nagyobb, mint n!"},
                                         BinomialFailure{-1, 5, "n és k nem lehet negatív!"},
                                         BinomialFailure{5, -1, "n és k nem lehet negatív!"},
                                         BinomialFailure{-3, -2, "n és k nem lehet negatív!"}));

struct TransformCase {
    const char* name;
    std::vector<double> moments;
    double scale;
    double shift;
    std::vector<double> expected;
};

void PrintTo(const TransformCase& c, std::ostream* os) {
    *os << c.name;
}

class TransformMoments : public testing::TestWithParam<TransformCase> {};

TEST_P(TransformMoments, MomentsOfTheLinearImage) {
    Vector v = make_vector(GetParam().moments);
    transform_moments(v, GetParam().scale, GetParam().shift);
    ASSERT_EQ(v.length, static_cast<int>(GetParam().expected.size()));
    for (int i = 0; i < v.length; ++i)
        EXPECT_DOUBLE_EQ(v[i], GetParam().expected[i]) << "element " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, TransformMoments,
    testing::Values(
        TransformCase{"ShiftOnly", {1, 0, 1}, 1.0, -2, {1, -2, 5}},
        TransformCase{"ScaleOnly", {1, 1, 1}, 2, 0, {1, 2, 4}},
        TransformCase{"ScaleAndShift", {1, 0.5, 0.5}, 0.5, 0.5, {1, 0.75, 0.625}},
        TransformCase{"Identity", {1, 0.3, 7, -2}, 1.0, 0.0, {1, 0.3, 7, -2}},
        // X uniform on {0, 1, 2} moved by -1: takes -1, 0, 1.
        TransformCase{"UniformThreePoints",
                      {1, 1, 5.0 / 3, 3, 17.0 / 3},
                      1.0,
                      -1.0,
                      {1, 0, 2.0 / 3, 0, 2.0 / 3}},
        // A zero scale leaves the constant shift: its moments, not zeros.
        TransformCase{"ZeroScaleGivesTheConstant", {1, 0.5, 0.5}, 0.0, 3.0, {1, 3, 9}},
        TransformCase{"ZeroScaleKeepsTheTotalMass", {2, 5, 7, 11}, 0.0, -0.5, {2, -1, 0.5, -0.25}},
        TransformCase{"ZeroScaleZeroShift", {1, 0.5, 0.5}, 0.0, 0.0, {1, 0, 0}},
        TransformCase{"SingleElement", {0.75}, 3.0, 4.0, {0.75}}),
    [](const testing::TestParamInfo<TransformCase>& info) { return info.param.name; });

// The nested evaluation written out with binomial() itself: the transformation
// must give the very same doubles, also for rows beyond the exact range.
TEST(TransformMoments, SameDoublesAsTheNestedFormulaWithBinomial) {
    const int n = 60;
    std::vector<double> moments(n);
    for (int i = 0; i < n; ++i)
        moments[i] = std::pow(0.9, i) + 0.01 * i;
    const double scale = 0.7;
    const double shift = -0.3;
    std::vector<double> c(n);
    for (int i = 0; i < n; ++i)
        c[i] = std::pow(scale, static_cast<double>(i)) * moments[i];
    Vector v = make_vector(moments);
    transform_moments(v, scale, shift);
    for (int i = 0; i < n; ++i) {
        double t = c[0];
        for (int j = 1; j <= i; ++j)
            t = binomial(i, j) * c[j] + shift * t;
        EXPECT_EQ(v[i], t) << "element " << i;
    }
}

struct VandermondeCase {
    const char* name;
    std::vector<double> xs;
    std::vector<double> qs;
    std::vector<double> ws;
};

void PrintTo(const VandermondeCase& c, std::ostream* os) {
    *os << c.name;
}

class VandermondeSolve : public testing::TestWithParam<VandermondeCase> {};

TEST_P(VandermondeSolve, MassesReproduceTheMoments) {
    const Vector xs = make_vector(GetParam().xs);
    const Vector qs = make_vector(GetParam().qs);
    Vector ws(xs.length);
    vandermonde(xs, ws, qs);
    for (int i = 0; i < ws.length; ++i)
        EXPECT_NEAR(ws[i], GetParam().ws[i], 1e-14) << "mass " << i;
    EXPECT_EQ(elements(xs), GetParam().xs);
    EXPECT_EQ(elements(qs), GetParam().qs);
}

TEST_P(VandermondeSolve, PermutingThePointsPermutesTheMasses) {
    const int n = static_cast<int>(GetParam().xs.size());
    const Vector qs = make_vector(GetParam().qs);
    for (int shift = 1; shift < n; ++shift) {
        Vector xs(n);
        for (int i = 0; i < n; ++i)
            xs[i] = GetParam().xs[(i + shift) % n];
        Vector ws(n);
        vandermonde(xs, ws, qs);
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(ws[i], GetParam().ws[(i + shift) % n], 1e-14);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, VandermondeSolve,
    testing::Values(
        VandermondeCase{"OnePointIgnoresIt", {42}, {0.3}, {0.3}},
        VandermondeCase{"ZeroAndOne", {0, 1}, {1, 0.5}, {0.5, 0.5}},
        VandermondeCase{"Symmetric", {-1, 1}, {1, 0}, {0.5, 0.5}},
        VandermondeCase{"ThreeThirds", {1, 2, 3}, {1, 2, 14.0 / 3}, {1.0 / 3, 1.0 / 3, 1.0 / 3}},
        VandermondeCase{
            "Unequal", {-2, 0, 0.5, 4}, {1, 0.625, 5.0625, 14.03125}, {0.25, 0.25, 0.25, 0.25}}),
    [](const testing::TestParamInfo<VandermondeCase>& info) { return info.param.name; });

TEST(VandermondeSolve, EqualPointsGiveNoFiniteMassesAndNoReport) {
    LogFolder folder;
    const Vector xs = make_vector({1, 1});
    const Vector qs = make_vector({1, 1});
    Vector ws(2);
    vandermonde(xs, ws, qs);
    EXPECT_FALSE(std::isfinite(ws[0]));
    EXPECT_EQ(folder.log(), "");
}

struct LengthCase {
    const char* name;
    int xs;
    int ws;
    int qs;
};

void PrintTo(const LengthCase& c, std::ostream* os) {
    *os << c.name;
}

class VandermondeLengths : public testing::TestWithParam<LengthCase> {};

TEST_P(VandermondeLengths, MismatchIsReportedAndTheMassesUntouched) {
    LogFolder folder;
    Vector xs(std::max(GetParam().xs, 1));
    Vector ws(std::max(GetParam().ws, 1));
    Vector qs(std::max(GetParam().qs, 1));
    xs.drop(-(xs.length - GetParam().xs));
    ws.drop(-(ws.length - GetParam().ws));
    qs.drop(-(qs.length - GetParam().qs));
    for (int i = 0; i < ws.length; ++i)
        ws[i] = 5.0;
    EXPECT_EQ(folder.thrown_code([&] { vandermonde(xs, ws, qs); }), 1);
    for (int i = 0; i < ws.length; ++i)
        EXPECT_EQ(ws[i], 5.0);
    EXPECT_NE(folder.log().find(logged_failure("vandermonde", "Hibás paramétermegadás!")),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, VandermondeLengths,
    testing::Values(LengthCase{"ShortMasses", 3, 2, 3}, LengthCase{"ShortMoments", 3, 3, 2},
                    LengthCase{"LongMasses", 2, 3, 2}, LengthCase{"AllEmpty", 0, 0, 0}),
    [](const testing::TestParamInfo<LengthCase>& info) { return info.param.name; });

} // namespace
